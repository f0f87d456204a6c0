// What the browser tests share: the web build served on a free local port by
// scripts/serve-web's server, Debian's Chromium started headless through
// playwright-core (never a browser of its own), and a PNG decoder for
// screenshots. Chromium plays Web Audio into a fake output device here, so no
// sound card is needed and nothing is heard.
'use strict';
const path = require('path');
const zlib = require('zlib');

let chromium;
try {
  ({chromium} = require('playwright-core'));
} catch (error) {
  process.stderr.write('playwright-core is missing: run scripts/install-deps web\n');
  process.exit(1);
}

const repository = path.resolve(__dirname, '..', '..');
const chromiumPath = process.env.VF_CHROMIUM || '/usr/bin/chromium';

// Serves the web build on a free port: resolves to {url, stop()}.
function serve(folder) {
  return require(path.join(repository, 'scripts', 'serve-web')).serve(folder, 0);
}

// Headless Chromium as root on a closed network: no sandbox (it cannot run as
// root), nothing that phones home, software drawing only. Playwright gives it
// a fresh profile of its own and removes it afterwards.
function launch() {
  return chromium.launch({
    executablePath: chromiumPath,
    args: [
      '--no-sandbox', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', '--disable-quic', '--disable-gpu',
      '--disable-audio-output',
    ],
  });
}

// Decodes an 8-bit RGB or RGBA PNG (what Chromium's screenshots are) into
// {width, height, pixel(x, y) -> [r, g, b]}.
function decodePng(png) {
  let at = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0) {
        throw new Error('only 8-bit RGB or RGBA PNG without interlacing is read here');
      }
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = pixels.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? pixels.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? out[i - channels] : 0;
      const b = up[i];
      const c = i >= channels ? up[i - channels] : 0;
      let predictor = 0;
      if (filter === 1) predictor = a;
      else if (filter === 2) predictor = b;
      else if (filter === 3) predictor = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[i] = (line[i] + predictor) & 0xFF;
    }
  }
  return {
    width,
    height,
    pixel(x, y) {
      const i = y * stride + x * channels;
      return [pixels[i], pixels[i + 1], pixels[i + 2]];
    },
  };
}

// Waits until `check()` resolves to a truthy value and returns it; rejects
// after `seconds` with `what` (a text, or a function that gives one then).
async function until(check, seconds, what) {
  const deadline = Date.now() + seconds * 1000;
  for (;;) {
    const value = await check();
    if (value) return value;
    if (Date.now() > deadline) {
      const text = typeof what === 'function' ? what() : what;
      throw new Error(`not within ${seconds.toFixed(1)} s: ${text}`);
    }
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

module.exports = {serve, launch, decodePng, until};
