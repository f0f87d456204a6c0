// The audio graph's end of the browser's wave-output device (wave_out_web.js),
// running on the browser's audio thread. It plays the 16-bit stereo frames the
// page posts, in order, and silence when it has none; every few render quanta
// it reports how many frames it has handed to the graph since the start, and
// the context frame at which that count holds.
//
// Messages in: {type: 'start', run} forgets everything and starts counting
// anew for run `run`; {type: 'pcm', run, pcm} queues an Int16Array of
// interleaved frames; {type: 'stop'} drops the queue (silence at once).
// Messages out: {run, handed, frame}.
class RingPlayer extends AudioWorkletProcessor {
  constructor() {
    super();
    this.queue = [];
    this.offset = 0;   // frames of queue[0] already played
    this.handed = 0;
    this.reported = 0;
    this.run = 0;
    this.quanta = 0;
    this.port.onmessage = (event) => {
      const message = event.data;
      if (message.type === 'start') {
        this.run = message.run;
        this.queue = [];
        this.offset = 0;
        this.handed = 0;
        this.reported = 0;
      } else if (message.type === 'pcm') {
        if (message.run === this.run) this.queue.push(message.pcm);
      } else if (message.type === 'stop') {
        this.queue = [];
        this.offset = 0;
        this.report(currentFrame);
      }
    };
  }

  report(frame) {
    this.reported = this.handed;
    this.port.postMessage({run: this.run, handed: this.handed, frame});
  }

  process(inputs, outputs) {
    const channels = outputs[0];
    const left = channels[0];
    const right = channels.length > 1 ? channels[1] : null;
    const n = left.length;
    let i = 0;
    while (i < n && this.queue.length > 0) {
      const chunk = this.queue[0];
      const frames = chunk.length >> 1;
      const count = Math.min(n - i, frames - this.offset);
      for (let j = 0, s = 2 * this.offset; j < count; ++j, s += 2) {
        left[i + j] = chunk[s] / 32768;
        if (right) right[i + j] = chunk[s + 1] / 32768;
      }
      i += count;
      this.offset += count;
      if (this.offset === frames) {
        this.queue.shift();
        this.offset = 0;
      }
    }
    left.fill(0, i);
    if (right) right.fill(0, i);
    this.handed += i;
    if (++this.quanta % 4 === 0 && this.handed !== this.reported) this.report(currentFrame + n);
    return true;
  }
}

registerProcessor('veldraflimmer-ring', RingPlayer);
