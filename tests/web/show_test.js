// The show's web build in a real browser: Debian's headless Chromium opens the
// page from a local server, a click starts the show, and the test watches the
// screen, the song clock against the audio actually played, the sound itself,
// Escape and the end card, and the console; then the page's error line for
// each missing file and for a browser without WebAssembly.
//   node show_test.js [SITE [HOST_BIN]]
// SITE is the web build's page (default build/web); HOST_BIN the desktop
// build's bin folder (default build/release/bin), whose offline renderer
// gives the sound to compare with.
'use strict';
const assert = require('node:assert');
const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {describe, it, before, after} = require('node:test');
const {serve, launch, decodePng, until} = require('./browser');

const repository = path.join(__dirname, '..', '..');
const site = path.resolve(process.argv[2] || path.join(repository, 'build', 'web'));
const hostBin = path.resolve(process.argv[3] || path.join(repository, 'build', 'release', 'bin'));
// The one version number, from the top-level CMakeLists.txt.
const projectVersion =
    /project\(veldraflimmer VERSION ([0-9.]+)/.exec(
        fs.readFileSync(path.join(repository, 'CMakeLists.txt'), 'utf8'))[1];

// The viewport is not a multiple of the frame: the largest whole multiple of
// 320x240 that fits 1000x700 is 2 (640x480), centred at (180, 110).
const viewport = {width: 1000, height: 700};
const frameBox = {x: 180, y: 110, width: 640, height: 480};

// The desktop player's song clock for the same audio, from the block fill's
// rule: the song runs at 167 BPM; each tick lasts trunc(1000 / (BPM * 0.4) *
// rate * 0.001) frames (with the constants in single precision, as the
// sequencer has them); the mix is cut into blocks of ((rate * 20 / 1000 + 3)
// with the low two bits cleared) frames, each piece of a tick within a block
// adds its frames * (1 / rate in single precision) * 1000 milliseconds,
// truncated; and the clock heard is the time at the end of the block being
// played. Also the row reached: 6 ticks per row.
function desktopClock(rate) {
  const block = (Math.floor(rate * 20 / 1000) + 3) & ~3;
  const tick = Math.trunc(1000 / (167 * Math.fround(0.4)) * rate * Math.fround(0.001));
  const oneOver = Math.fround(1 / rate);
  const ends = [];  // per block: [song ms, ticks started] at its end
  let time = 0, ticks = 0, left = 0;
  function blockEnd(k) {
    while (ends.length <= k) {
      for (let mixed = 0; mixed < block;) {
        if (left === 0) {
          left = tick;
          ++ticks;
        }
        const n = Math.min(left, block - mixed);
        mixed += n;
        left -= n;
        time += Math.trunc(n * oneOver * 1000);
      }
      ends.push([time, ticks]);
    }
    return ends[k];
  }
  return {
    block,
    blockMs: block * 1000 / rate,
    songMs: (frames) => blockEnd(Math.floor(frames / block))[0],
    rowIndex: (frames) => Math.floor((blockEnd(Math.floor(frames / block))[1] - 1) / 6),
  };
}

function luminance([r, g, b]) {
  return 0.299 * r + 0.587 * g + 0.114 * b;
}

// The first scene (kolla demos): the eye, drawn at (160, 88) in the frame,
// with a black pupil, an orange iris 22 pixels right of its centre and the
// white of the eye 50 pixels left of it; and the grey noise in a patch below
// the words, every frame pixel shown as a sharp 2x2 square.
function firstScene(shot) {
  const at = (x, y) => shot.pixel(frameBox.x + 2 * x, frameBox.y + 2 * y);
  const pupil = at(160, 88), iris = at(182, 88), white = at(110, 88);
  const eye = Math.max(...pupil) < 60 && iris[0] > 150 && iris[1] > 50 && iris[1] < 140 &&
              iris[2] < 60 && Math.min(...white) > 200;
  const patch = [];
  let sharp = true;
  for (let y = 200; y < 232; ++y) {
    for (let x = 8; x < 48; ++x) {
      const p = at(x, y);
      patch.push(p);
      const sx = frameBox.x + 2 * x, sy = frameBox.y + 2 * y;
      for (const [dx, dy] of [[1, 0], [0, 1], [1, 1]]) {
        if (shot.pixel(sx + dx, sy + dy).join() !== p.join()) sharp = false;
      }
    }
  }
  const light = patch.map(luminance);
  const mean = light.reduce((a, b) => a + b) / light.length;
  const spread = Math.sqrt(light.reduce((a, b) => a + (b - mean) ** 2, 0) / light.length);
  const colours = new Set(patch.map((p) => p.join())).size;
  const noise = spread > 8 && mean > 40 && mean < 140 && colours > patch.length / 2;
  return {eye, noise, sharp, patch, details: {pupil, iris, white, mean, spread, colours}};
}

// The first 20 s of the song as the desktop's offline renderer mixes it at
// 44,100 Hz: {left, right} as Int16Arrays.
function referenceSound() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'veldraflimmer-web-'));
  try {
    const wav = path.join(folder, 'reference.wav');
    execFileSync(path.join(hostBin, 'veldraflimmer-render'), ['--quiet', '--until', '20000',
                 '--wav', wav], {cwd: hostBin, stdio: ['ignore', 'ignore', 'inherit']});
    const file = fs.readFileSync(wav);
    let at = 12;
    while (file.toString('latin1', at, at + 4) !== 'data') at += 8 + file.readUInt32LE(at + 4);
    const frames = file.readUInt32LE(at + 4) / 4;
    const left = new Int16Array(frames), right = new Int16Array(frames);
    for (let i = 0; i < frames; ++i) {
      left[i] = file.readInt16LE(at + 8 + 4 * i);
      right[i] = file.readInt16LE(at + 10 + 4 * i);
    }
    return {left, right};
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
}

// Where `heard` (the 16-bit values) appears whole in `reference`, or -1.
function findIn(reference, heard) {
  for (let o = 0; o + heard.length <= reference.length; ++o) {
    let i = 0;
    while (i < heard.length && reference[o + i] === heard[i]) ++i;
    if (i === heard.length) return o;
  }
  return -1;
}

// Listens to what the page's audio worklet hands to the audio graph: each
// channel goes to an analyser that keeps its last 32,768 samples.
function tapAudioWorklet() {
  const Native = window.AudioWorkletNode;
  window.AudioWorkletNode = class extends Native {
    constructor(context, name, options) {
      super(context, name, options);
      const split = context.createChannelSplitter(2);
      this.connect(split);
      window.heardChannels = [0, 1].map((channel) => {
        const analyser = context.createAnalyser();
        analyser.fftSize = 32768;
        split.connect(analyser, channel);
        return analyser;
      });
    }
  };
}

function watchConsole(page) {
  const complaints = [];
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') {
      complaints.push(`${message.type()}: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => complaints.push(`uncaught: ${error.message}`));
  return complaints;
}

const state = (page) =>
  page.evaluate(() => Object.assign(window.veldraflimmer.state(), {now: performance.now()}));
const visible = (page, selector) => page.isVisible(selector);

describe('the show in a browser', () => {
  let server, browser;
  before(async () => {
    server = await serve(site);
    browser = await launch();
  });
  after(async () => {
    if (browser) await browser.close();
    if (server) await server.stop();
  });

  // At the usual rate and at another: the page mixes at its audio context's
  // rate, whatever that is (here set through the context's constructor).
  for (const contextRate of [44100, 48000]) {
    it(`plays from a click in step with its audio at ${contextRate} Hz, ends on Escape and ` +
       'plays again', async () => {
      const page = await browser.newPage({viewport});
      const complaints = watchConsole(page);
      await page.addInitScript((sampleRate) => {
        const Native = window.AudioContext;
        window.AudioContext = class extends Native {
          constructor(options) { super(Object.assign({}, options, {sampleRate})); }
        };
      }, contextRate);
      await page.addInitScript(tapAudioWorklet);
      await page.goto(server.url);
      await until(async () => (await page.textContent('#prompt')) === 'click to start', 30,
                  'the title card asks for a click');
      assert.ok((await page.textContent('#title')).includes(`version ${projectVersion}`),
                'the title card shows the project\'s version');
      assert.strictEqual((await state(page)).running, false, 'running before the click');
      const rate = await page.evaluate(async () => {
        const context = new AudioContext();
        const sampleRate = context.sampleRate;
        await context.close();
        return sampleRate;
      });
      assert.strictEqual(rate, contextRate);
      const clock = desktopClock(rate);
      if (rate === 44100) assert.strictEqual(clock.songMs(0), 19, 'the clock model');

      const clicked = Date.now();
      await page.mouse.click(viewport.width / 2, viewport.height / 2);
      let scene;
      try {
        scene = await until(async () => {
          const seen = firstScene(decodePng(await page.screenshot()));
          return seen.eye && seen.noise && seen.sharp ? seen : null;
        }, 3 - (Date.now() - clicked) / 1000, 'the first scene with the eye and the noise');
      } catch (error) {
        const last = firstScene(decodePng(await page.screenshot()));
        throw new Error(`${error.message}; last seen ${JSON.stringify(last.details)}, ` +
                        `eye ${last.eye}, noise ${last.noise}, sharp ${last.sharp}`);
      }
      console.log(`# the first scene after ${((Date.now() - clicked) / 1000).toFixed(2)} s`);
      const box = await page.evaluate(() => {
        const r = document.getElementById('screen').getBoundingClientRect();
        return {x: r.x, y: r.y, width: r.width, height: r.height};
      });
      assert.deepStrictEqual(box, frameBox, 'the canvas: twice the frame, centred');
      assert.deepStrictEqual(decodePng(await page.screenshot()).pixel(20, 20), [0, 0, 0],
                             'black around the frame');
      const later = firstScene(decodePng(await page.screenshot()));
      const changed = later.patch.filter((p, i) => p.join() !== scene.patch[i].join()).length;
      assert.ok(changed > later.patch.length / 2, `the noise moves (${changed} pixels changed)`);
      await page.mouse.dblclick(viewport.width / 2, viewport.height / 2);
      const fullScreen = () => document.fullscreenElement === document.documentElement;
      await until(() => page.evaluate(fullScreen), 3, 'full screen after a double-click');
      assert.strictEqual(await page.evaluate(
          () => getComputedStyle(document.getElementById('screen')).cursor), 'none',
          'the pointer hidden over the canvas');

      // Eight seconds of audio played; the song clock and its row follow it.
      // The page reads the player's clock as of its last poll of the device:
      // exactly the desktop clock for the audio heard then, which may lag the
      // audio heard now by a block or so, but can never be ahead of it.
      const reads = [];
      const offset = (s) => s.songMs - clock.songMs(s.audioFrames);
      const agreeing = async () => {
        const now = await state(page);
        reads.push(now);
        return offset(now) === 0 ? now : null;
      };
      const disagreement = () => {
        const last = reads[reads.length - 1];
        return `songMs ${last.songMs} after ${last.audioFrames} frames of audio; the desktop ` +
               `clock reads ${clock.songMs(last.audioFrames)} ms`;
      };
      const start = await until(agreeing, 3, disagreement);
      assert.ok(start.running, 'running once the first scene shows');
      await until(async () => {
        const now = await state(page);
        reads.push(now);
        return now.audioFrames >= start.audioFrames + 8 * rate;
      }, 20, 'eight seconds of audio played');
      const end = await until(agreeing, 3, disagreement);
      const ahead = reads.filter((s) => offset(s) > 0);
      assert.deepStrictEqual(ahead.map((s) => [s.songMs, s.audioFrames]), [],
                             'reads with the song clock ahead of the audio');
      const exact = reads.filter((s) => offset(s) === 0).length;
      assert.ok(exact >= reads.length / 4, `${exact} of ${reads.length} reads agree exactly`);
      const played = end.audioFrames - start.audioFrames;
      const expected = clock.songMs(end.audioFrames) - clock.songMs(start.audioFrames);
      const advanced = end.songMs - start.songMs;
      assert.ok(Math.abs(advanced - expected) <= clock.blockMs,
                `songMs advanced ${advanced} ms over ${played} frames of audio; the desktop ` +
                `clock advances ${expected} ms (one block is ${clock.blockMs.toFixed(1)} ms)`);
      const seconds = (end.now - start.now) / 1000;
      assert.ok(Math.abs(played / rate - seconds) < 0.1 * seconds,
                `${(played / rate).toFixed(2)} s of audio in ${seconds.toFixed(2)} s`);
      console.log(`# ${played} frames at ${rate} Hz in ${seconds.toFixed(2)} s: ` +
                  `songMs +${advanced}` +
                  `, the desktop clock +${expected}; ${exact} of ${reads.length} reads exact`);
      assert.strictEqual(end.order, 1, 'order 1 reached');
      const rowIndex = end.order * 64 + end.row;
      assert.ok(Math.abs(rowIndex - clock.rowIndex(end.audioFrames)) <= 1,
                `row ${end.order}:${end.row} for ${end.audioFrames} frames of audio`);
      assert.ok(end.frame > start.frame, 'frames presented');

      // What was played last is the song, sample for sample, as the desktop
      // player mixes it (at its one rate, 44,100 Hz).
      if (rate === 44100) {
        const heard = await page.evaluate(() => window.heardChannels.map((analyser) => {
          const samples = new Float32Array(analyser.fftSize);
          analyser.getFloatTimeDomainData(samples);
          return Array.from(samples, (v) => v * 32768);
        }));
        const reference = referenceSound();
        ['left', 'right'].forEach((side, channel) => {
          const values = heard[channel];
          assert.ok(values.every(Number.isInteger), `${side}: not 16-bit values`);
          assert.ok(values.filter((v) => Math.abs(v) > 1000).length > values.length / 10,
                    `${side}: the sound is nearly silent`);
          const at = findIn(reference[side], Int16Array.from(values));
          assert.ok(at >= 0, `the last ${values.length} samples on the ${side} are not the ` +
                             'song as the offline renderer mixes it');
          console.log(`# ${side}: ${values.length} samples heard are the song from frame ${at}`);
        });
      }

      // Escape: the show stops, the music with it, and the end card shows.
      // Stopping takes effect at the audio graph's next render quantum; what is
      // left to hear after that is the output latency, well under 0.1 s.
      await page.keyboard.press('Escape');
      const stopped = await until(async () => {
        const now = await state(page);
        return now.running ? null : now;
      }, 3, 'running false after Escape');
      await until(() => visible(page, '#again'), 3, 'the end card with "play again"');
      assert.ok(!(await visible(page, '#screen')), 'the canvas is gone');
      const second = await until(async () => {
        const now = await state(page);
        return now.now - stopped.now >= 1000 ? now : null;
      }, 5, 'a second after the stop');
      assert.ok(second.audioFrames - stopped.audioFrames < 0.1 * rate,
                `${second.audioFrames - stopped.audioFrames} frames of audio played in the ` +
                'second after the stop');

      // Play again: a fresh start, from the top of the song.
      await page.click('#again');
      await until(async () => {
        const now = await state(page);
        return now.running && now.songMs > 0 && now.songMs < 3000 && now.order === 0;
      }, 5, 'the show running again from its start');
      await page.keyboard.press('Escape');
      await until(async () => !(await state(page)).running, 3, 'running false after Escape');

      assert.deepStrictEqual(complaints, [], 'console errors or warnings');
      await page.close();
    });
  }

  // Each file reaches the page by another path: a script element, the
  // module's own download of its code, the loader of its data.
  for (const file of ['veldraflimmer.js', 'veldraflimmer.wasm', 'veldraflimmer.data']) {
    it(`names ${file} on the page when it is missing`, async () => {
      const page = await browser.newPage({viewport});
      await page.route(`**/${file}`, (route) => route.fulfill({status: 404, body: ''}));
      await page.goto(server.url);
      const told = `The show cannot start: ${file} could not be loaded`;
      let text = '';
      await until(async () => (text = await page.textContent('#message')).startsWith(told), 10,
                  () => `"${told}", not "${text}"`);
      assert.ok(!text.includes('\n'), 'one line');
      assert.ok(await visible(page, '#title'), 'the title card stays');
      assert.ok(!(await visible(page, '#screen')), 'no blank canvas');
      assert.strictEqual(await page.textContent('#prompt'), '', 'no "click to start"');
      await page.close();
    });
  }

  it('says so where the browser has no WebAssembly', async () => {
    const page = await browser.newPage({viewport});
    await page.addInitScript(() => { delete window.WebAssembly; });
    await page.goto(server.url);
    const text = await until(() => page.textContent('#message'), 10, 'an error line');
    assert.strictEqual(text, 'The show cannot start: this browser does not run WebAssembly.');
    await page.close();
  });
});
