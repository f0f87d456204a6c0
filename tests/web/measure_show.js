// Measures the web build in Debian's headless Chromium: plays the whole show
// from the click to its own end (which must bring up the end card), once with
// the best row kernels of the build (WebAssembly SIMD) and once with the plain
// ones, and prints the mean and longest time the page took to compose and
// present a frame in each run; then the transfer size of the page's files,
// as they are and compressed with gzip.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const {serve, launch, until} = require('./browser');

const usage = `usage: node measure_show.js [--once] [SITE]
Plays the show of the web build in SITE (default build/web) to its end in
headless Chromium with the best and then with the plain row kernels, and
prints the frame times of each run and the size of SITE's files.
  --once   one run, with the best kernels only`;

const args = process.argv.slice(2);
if (args.includes('--help') || args.includes('-h')) {
  process.stdout.write(usage + '\n');
  process.exit(0);
}
const once = args.includes('--once');
const unknown = args.find((a) => a.startsWith('-') && a !== '--once');
if (unknown) {
  process.stderr.write(`measure_show: unknown option ${unknown} (see --help)\n`);
  process.exit(2);
}
const site = path.resolve(args.find((a) => !a.startsWith('-')) ||
                          path.join(__dirname, '..', '..', 'build', 'web'));

// raster::KernelSet values.
const kernelSets = once ? [['best', 0]] : [['best', 0], ['plain', 1]];

async function playWhole(browser, url, set) {
  const page = await browser.newPage({viewport: {width: 1000, height: 700}});
  await page.goto(url);
  await until(async () => (await page.textContent('#prompt')) === 'click to start', 30,
              'the title card');
  if (!(await page.evaluate((s) => Module._vf_web_use_kernels(s), set))) {
    throw new Error(`this build lacks kernel set ${set}`);
  }
  await page.mouse.click(500, 350);
  const begun = Date.now();
  let lastSecond = -1;
  await until(async () => {
    const {running, order, row} = await page.evaluate(() => window.veldraflimmer.state());
    const second = Math.floor((Date.now() - begun) / 1000);
    if (second !== lastSecond && process.stderr.isTTY) {
      process.stderr.write(`\r  ${second} s, order ${order} row ${row}   `);
      lastSecond = second;
    }
    return !running && Date.now() - begun > 1000;
  }, 120, 'the show\'s own end');
  if (process.stderr.isTTY) process.stderr.write('\r' + ' '.repeat(40) + '\r');
  await until(() => page.isVisible('#again'), 5, 'the end card after the show\'s end');
  const timing = await page.evaluate(() => window.veldraflimmer.timing());
  const seconds = (Date.now() - begun) / 1000;
  await page.close();
  return {...timing, seconds};
}

(async () => {
  const server = await serve(site);
  const browser = await launch();
  try {
    for (const [name, set] of kernelSets) {
      const t = await playWhole(browser, server.url, set);
      console.log(`${name} kernels: ${t.frames} frames in ${t.seconds.toFixed(1)} s, ` +
                  `compose and present ${t.meanMs.toFixed(2)} ms mean, ${t.mostMs.toFixed(1)} ms ` +
                  'longest');
    }
  } finally {
    await browser.close();
    await server.stop();
  }
  let raw = 0, packed = 0;
  for (const name of fs.readdirSync(site).sort()) {
    const body = fs.readFileSync(path.join(site, name));
    const gz = zlib.gzipSync(body, {level: 9}).length;
    raw += body.length;
    packed += gz;
    console.log(`  ${name.padEnd(24)} ${String(body.length).padStart(9)} bytes, gzip ` +
                `${String(gz).padStart(8)}`);
  }
  console.log(`site: ${raw} bytes, ${packed} with gzip (${(packed / 1048576).toFixed(2)} MiB)`);
})().catch((error) => {
  process.stderr.write(`measure_show: ${error.message}\n`);
  process.exit(1);
});
