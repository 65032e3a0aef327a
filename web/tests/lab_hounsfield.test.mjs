// The Pictures view in Hounsfield units, in headless chromium: a water disc
// (μ in 1/cm) and its reconstruction (μ × pixel length, whose pixel length
// the run's events give) through HU windows, every grey level against
// DICOM's linear window written out here; the grey bar's ends in HU; a
// region's statistics in HU; screenshots at 1366 and 412 px in English and
// Japanese.
//   node web/tests/lab_hounsfield.test.mjs PAGE SCREENSHOT_DIR

import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { openLab, workspaceFiles } from './browser.mjs';

const [pagePath, screenshots] = process.argv.slice(2);
const check = async (what, work) => {
  const started = Date.now();
  await work();
  console.log(`ok  ${what} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
};

// DICOM's linear window onto 0 … 255, the nearest level with halves up.
const level = (x, c, w) => {
  if (x <= c - 0.5 - (w - 1) / 2) return 0;
  if (x > c - 0.5 + (w - 1) / 2) return 255;
  return Math.floor(((x - (c - 0.5)) / (w - 1) + 0.5) * 255 + 0.5);
};
const floats = (buffer) => Array.from({ length: buffer.length / 4 }, (_, i) => buffer.readFloatLE(i * 4));

// The greys of the first picture of the Pictures view (red = green = blue), and its grey bar's texts.
const shown = (page) =>
  page.evaluate(() => {
    const figure = document.querySelector('#view-picture .picture-figure');
    const canvas = figure.querySelector('canvas.picture');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const greys = [];
    for (let i = 0; i < data.length; i += 4) greys.push(data[i] === data[i + 1] && data[i] === data[i + 2] ? data[i] : -1);
    return {
      hu: figure.dataset.hu,
      greys,
      bar: (() => {
        const bar = figure.querySelector('canvas.grey-bar');
        const pixels = bar.getContext('2d').getImageData(0, 0, bar.width, 1).data;
        return Array.from({ length: bar.width }, (_, i) => pixels[i * 4]);
      })(),
      ticks: [...figure.querySelectorAll('.grey-ticks span')].map((s) => s.textContent),
      quantity: figure.querySelector('.grey-quantity')?.textContent,
    };
  });

const WATER = 0.19;
const lab = await openLab(pagePath, { width: 1366, height: 900 });
const { page } = lab;
try {
  let files;
  await check('a water disc, its projections and its reconstruction run in the page', async () => {
    const runs = [
      ['oval_draw', ['w.img', '64', '64', '0', '0', '0.6', '0.6', '0', String(WATER)]],
      ['raysum', ['w.img', '64', '64', '0.3125', 'w.prj', '64', '90']],
      ['reconstruct', ['w.prj', '64', '90', 'r.img', '64', '64', '0.3125']],
    ];
    for (const [tool, answers] of runs) {
      const outcome = await page.evaluate((tool, answers) => window.ctLab.run(tool, answers).then((o) => o.exit), tool, answers);
      assert.equal(outcome, 0, tool);
    }
    files = await workspaceFiles(page);
  });

  await check('μ through the soft-tissue preset: water 96, air black, the bar from −150 to 250 HU', async () => {
    await page.evaluate(() => window.ctLab.openPicture('w.img', null, '', { window: 'soft_tissue', waterMu: 0.19 }));
    const { hu, greys, bar, ticks, quantity } = await shown(page);
    assert.equal(hu, 'true');
    const mu = floats(files['w.img']);
    assert.deepEqual(
      greys,
      mu.map((v) => level((1000 * (v - WATER)) / WATER, 50, 400)),
    );
    // Water is 0 HU: ((0 − 49.5)/399 + 0.5)·255 = 95.86; air −1000 HU.
    assert.deepEqual([greys[32 * 64 + 32], greys[0]], [96, 0]);
    // The bar's 256 steps from −150 to 250 HU, each as the picture shows that HU.
    assert.deepEqual(
      bar,
      bar.map((_, i) => level(-150 + (i / 255) * 400, 50, 400)),
    );
    assert.equal(ticks[0], '-150');
    assert.equal(ticks[ticks.length - 1], '250');
    assert.match(quantity, /\(HU\)$/);
  });

  await check("μ × pixel length through centre 0, width 100: every grey is the window's, at the run's pixel length", async () => {
    await page.evaluate(() => window.ctLab.openPicture('r.img', null, '', { window: [0, 100], waterMu: 0.19 }));
    const { greys, ticks } = await shown(page);
    const expected = floats(files['r.img']).map((v) => level((1000 * (v / 0.3125 - WATER)) / WATER, 0, 100));
    assert.deepEqual(greys, expected);
    assert.ok(new Set(expected).size > 20, 'the window spans many levels');
    assert.deepEqual([ticks[0], ticks[2], ticks[4]], ['-50', '0', '50']);
  });

  await check("a region's statistics in HU: the disc's centre near 0 HU", async () => {
    const results = await page.evaluate(() => window.ctLab.measureInPicture({ row: 28, column: 28, rows: 8, columns: 8 }));
    const r = floats(files['r.img']);
    const inside = [];
    for (let y = 28; y < 36; y++) for (let x = 28; x < 36; x++) inside.push((1000 * (r[y * 64 + x] / 0.3125 - WATER)) / WATER);
    const mean = inside.reduce((s, v) => s + v, 0) / inside.length;
    assert.equal(results[0].hu, true);
    assert.ok(Math.abs(results[0].mean - mean) < 1e-9, `${results[0].mean} against ${mean}`);
    assert.ok(Math.abs(results[0].mean) < 60, `the water reads ${results[0].mean} HU`);
    const header = await page.$eval('#view-picture .region-stats th.file-name', (th) => th.textContent);
    assert.equal(header, 'r.img (HU)');
  });

  await check('a picture of no quantity that turns into HU says so and keeps its plain window', async () => {
    await page.evaluate(() => window.ctLab.openPicture('w.prj', null, '', { window: 'lung', waterMu: 0.19 }));
    const { hu } = await shown(page);
    assert.equal(hu, 'false');
    assert.equal(await page.$eval('#picture-low', (input) => input.disabled), false, 'the plain window stays at hand');
    const message = await page.$eval('#view-picture p.hint[role="status"]', (p) => p.textContent);
    assert.match(message, /cannot be shown in HU/);
  });

  await check('screenshots of the Pictures view in HU at 1366 and 412 px, English and Japanese', async () => {
    mkdirSync(screenshots, { recursive: true });
    for (const language of ['en', 'ja']) {
      if (language === 'ja') await page.select('#language', 'ja');
      for (const width of [1366, 412]) {
        await page.setViewport({ width, height: 900 });
        await page.evaluate(() => window.ctLab.openPicture('r.img', null, '', { window: 'soft_tissue', waterMu: 0.19 }));
        await page.evaluate(() => window.ctLab.measureInPicture({ row: 28, column: 28, rows: 8, columns: 8 }));
        await page.screenshot({ path: join(screenshots, `picture-hu-${width}${language === 'en' ? '' : '-ja'}.png`), fullPage: true });
      }
    }
  });

  assert.deepEqual(lab.errors, []);
} finally {
  await lab.close();
}
