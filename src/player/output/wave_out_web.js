// The page side of the browser's wave-output device (wave_out_web.cpp).
//
// The device plays through an AudioWorklet (wave_out_worklet.js) on the
// browser's audio thread, not through a ScriptProcessorNode: that one runs on
// the main thread, where every frame's drawing would delay the sound, and
// browsers log a deprecation warning for it. The worklet needs no shared
// memory (and so no cross-origin isolation of the page): it is sent copies. The player's ring stays in the module's memory on
// the main thread; the device posts copies of the ring's frames to the worklet
// a little ahead of what it has played (a quarter of the ring, half a second
// at most), so the main thread may stall that long without a gap in the sound.
// The player refills a block only once it has been heard, and the device never
// posts more than a quarter of the ring beyond what was heard, so every frame
// posted is one the player has already written for that pass of the ring.
//
// The play position is the frames the worklet has handed to the audio graph,
// carried forward from its last report by the context's clock, minus the
// context's reported latency from the graph to the loudspeaker: the frames
// heard. Each report from the worklet is the device's audio callback: it runs
// the player's poll (vf_audio_refill) and posts more frames.
//
// Module.prepareAudio(), called by the page in its start gesture, creates the
// audio context (browsers start sound only after a gesture), loads the worklet
// and resolves to the context's sample rate, or to 0 when the browser offers no
// way to play (Module.audioTrouble then says why). Without it, or at another
// rate than the context's, the device runs silently on the page's clock, so
// the show still keeps time. Module.audioFrames() is the play position, kept
// after the device stops until it starts again.
mergeInto(LibraryManager.library, {
  $VfAudio: {
    context: null,
    node: null,
    ready: null,      // promise of the sample rate once the worklet is in place
    live: false,      // the last start plays through the worklet (else the silent clock)
    rate: 0,
    run: 0,           // start count, so reports of an earlier start are ignored
    playing: false,
    ring: 0,          // byte address of the ring in the module's memory
    ringFrames: 0,
    sent: 0,          // frames posted since the start
    handed: 0,        // frames handed to the graph at the last report
    reportFrame: 0,   // the context frame of that report
    heard: 0,         // the position: frames heard since the start
    clockStart: 0,    // performance.now() at the start, for the silent clock

    prepare: function() {
      if (!VfAudio.context) {
        var Context = window.AudioContext || window.webkitAudioContext;
        if (!Context) {
          Module['audioTrouble'] = 'this browser has no Web Audio';
          return Promise.resolve(0);
        }
        var context = new Context();
        VfAudio.context = context;
        if (!context.audioWorklet || typeof AudioWorkletNode !== 'function') {
          Module['audioTrouble'] = 'audio worklets need a secure page (https or localhost)';
          VfAudio.ready = Promise.resolve(0);
        } else {
          VfAudio.ready = context.audioWorklet.addModule(locateFile('wave_out_worklet.js'))
            .then(function() {
              var node = new AudioWorkletNode(context, 'veldraflimmer-ring', {
                numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2]});
              node.port.onmessage = VfAudio.onReport;
              node.connect(context.destination);
              VfAudio.node = node;
              return context.sampleRate;
            })
            .catch(function() {
              Module['audioTrouble'] = 'the audio worklet wave_out_worklet.js could not be loaded';
              return 0;
            });
        }
      }
      // Within the gesture: a context may only start to play from there.
      var resumed = VfAudio.context.resume().catch(function() {});
      return Promise.all([VfAudio.ready, resumed]).then(function(values) { return values[0]; });
    },

    onReport: function(event) {
      var report = event.data;
      if (report.run !== VfAudio.run) return;
      VfAudio.handed = report.handed;
      VfAudio.reportFrame = report.frame;
      if (!VfAudio.playing) return;
      _vf_audio_refill();
      VfAudio.feed();
    },

    position: function() {
      if (!VfAudio.live) {
        if (VfAudio.playing) {
          var elapsed = (performance.now() - VfAudio.clockStart) / 1000;
          VfAudio.heard = Math.max(VfAudio.heard, Math.floor(elapsed * VfAudio.rate));
        }
        return VfAudio.heard;
      }
      var context = VfAudio.context, rate = VfAudio.rate;
      var handed = VfAudio.handed;
      if (VfAudio.playing) {
        var since = Math.round(context.currentTime * rate) - VfAudio.reportFrame;
        handed = Math.min(VfAudio.sent, handed + Math.max(0, since));
      }
      var latency = Math.round(((context.baseLatency || 0) + (context.outputLatency || 0)) * rate);
      VfAudio.heard = Math.max(VfAudio.heard, handed - latency);
      return VfAudio.heard;
    },

    feed: function() {
      if (!VfAudio.live || !VfAudio.playing) return;
      var ringFrames = VfAudio.ringFrames;
      var end = VfAudio.handed + Math.min(Math.floor(ringFrames / 4), Math.floor(VfAudio.rate / 2));
      var first = VfAudio.ring >> 1;  // in 16-bit values
      while (VfAudio.sent < end) {
        var at = VfAudio.sent % ringFrames;
        var count = Math.min(end - VfAudio.sent, ringFrames - at);
        var pcm = HEAP16.slice(first + 2 * at, first + 2 * (at + count));
        VfAudio.node.port.postMessage({type: 'pcm', run: VfAudio.run, pcm: pcm}, [pcm.buffer]);
        VfAudio.sent += count;
      }
    },

    stop: function() {
      if (VfAudio.live && VfAudio.playing) VfAudio.node.port.postMessage({type: 'stop'});
      VfAudio.position();  // the silent clock stops where it is
      VfAudio.playing = false;
      VfAudio.ring = 0;
    },
  },
  $VfAudio__postset: 'Module["prepareAudio"] = function() { return VfAudio.prepare(); };\n' +
                     'Module["audioFrames"] = function() { return VfAudio.position(); };',

  vf_audio_open__deps: ['$VfAudio'],
  vf_audio_open: function(rate) {
    VfAudio.stop();
    VfAudio.rate = rate;
  },

  vf_audio_start__deps: ['$VfAudio'],
  vf_audio_start: function(ring, bytes) {
    VfAudio.stop();
    VfAudio.run += 1;
    VfAudio.ring = ring;
    VfAudio.ringFrames = bytes >>> 2;
    VfAudio.sent = 0;
    VfAudio.handed = 0;
    VfAudio.heard = 0;
    VfAudio.live = !!VfAudio.node && VfAudio.context.sampleRate === VfAudio.rate;
    VfAudio.playing = VfAudio.ringFrames > 0;
    if (!VfAudio.playing) return;
    if (VfAudio.live) {
      VfAudio.reportFrame = Math.round(VfAudio.context.currentTime * VfAudio.rate);
      VfAudio.node.port.postMessage({type: 'start', run: VfAudio.run});
      VfAudio.feed();
    } else {
      VfAudio.clockStart = performance.now();
    }
  },

  vf_audio_position__deps: ['$VfAudio'],
  vf_audio_position: function() {
    return VfAudio.position();
  },

  vf_audio_reset__deps: ['$VfAudio'],
  vf_audio_reset: function() {
    VfAudio.stop();
  },

  vf_audio_close__deps: ['$VfAudio'],
  vf_audio_close: function() {
    VfAudio.stop();
  },
});
