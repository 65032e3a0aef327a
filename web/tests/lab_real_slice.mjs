// The lesson "A real CT slice" and a DICOM file of the learner's: the
// bundled sample read in HU, fat and muscle where the tables put them, the
// suite's own disc written as DICOM and read back at its CT number, and an
// uploaded or dropped file read by the page's own dicom_to_raw (or refused
// with its reason, the file kept and no image made).

import assert from 'node:assert/strict';
import { copyFileSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { seriousViolations } from './browser.mjs';

const sample = join(dirname(fileURLToPath(import.meta.url)), '../../examples/CT_small.dcm');

export async function realSliceChecks(page, check, screenshots, englishWords) {
  const regions = () =>
    page.$$eval('#view-guided .region-figure', (figures) =>
      figures.map((f) => ({ file: f.dataset.file, mean: Number(f.dataset.mean), sd: Number(f.dataset.sd) })),
    );
  await check("a real CT slice: the sample in HU, its tissues, and the suite's own disc read back from DICOM, in both languages", async () => {
    assert.deepEqual(await page.evaluate(() => window.ctLab.openLesson('real-ct-slice')), { ok: true, problems: [] });
    assert.equal((await page.evaluate(() => window.ctLab.runLesson())).ok, true);
    const [fat, muscle, region, disc] = await regions();
    // The soft-tissue preset's grey bar reads in HU; the regions say HU.
    const bar = await page.$eval('#view-guided .picture-figure[data-file="ct.img"]', (f) => ({
      ticks: [...f.querySelectorAll('.grey-ticks span')].map((s) => s.textContent),
      quantity: f.querySelector('.grey-quantity').textContent,
    }));
    assert.deepEqual([bar.ticks[0], bar.ticks.at(-1), bar.quantity], ['-150', '250', 'CT number (HU)']);
    assert.equal(await page.$eval('#view-guided .region-figure', (f) => f.dataset.unit), 'HU');
    assert.ok(fat.mean >= -100 && fat.mean <= -85, `fat reads ${fat.mean} HU`);
    assert.ok(muscle.mean >= 20 && muscle.mean <= 50, `muscle reads ${muscle.mean} HU`);
    assert.equal(region.file, 'region.img');
    assert.ok(Math.abs(disc.mean) <= 1, `the water disc reads ${disc.mean} HU`);
    // Only the disc's steps follow its μ, and its centre reads 1000·(μ − μw)/μw.
    const run = await page.evaluate(() => window.ctLab.setKnob('disc_mu', 0.2));
    assert.deepEqual(run.steps, [6, 7, 8, 9, 10]);
    const at02 = (await regions())[3].mean;
    assert.ok(Math.abs(at02 - (1000 * (0.2 - 0.19)) / 0.19) <= 1, `the disc of 0.2 /cm reads ${at02} HU`);
    for (const width of [1366, 412]) {
      await page.setViewport({ width, height: 900, isMobile: width < 500, hasTouch: width < 500 });
      await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
      for (const language of ['en', 'ja']) {
        await page.evaluate((l) => window.ctLab.setLanguage(l), language);
        if (language === 'ja') assert.deepEqual(await englishWords(page), []);
        const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
        assert.ok(overflow <= 0, `the lesson fits ${width} px in ${language} (${overflow} px too wide)`);
        await page.evaluate(() => document.querySelector('#view-guided .picture-figure, #view-guided figure').scrollIntoView());
        await page.screenshot({ path: join(screenshots, `lesson-real-ct-slice-${width}${language === 'en' ? '' : '-ja'}.png`) });
        assert.deepEqual(await seriousViolations(page), [], `axe-core on the real slice at ${width} px in ${language}`);
      }
      await page.evaluate(() => window.ctLab.setLanguage('en'));
    }
    await page.setViewport({ width: 1366, height: 900, isMobile: false, hasTouch: false });
    await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
  });

  await check("a DICOM file uploaded in the workspace is read into HU by the page's dicom_to_raw, a broken one refused with its reason", async () => {
    const folder = mkdtempSync(join(tmpdir(), 'ct-lab-dicom-'));
    try {
      copyFileSync(sample, join(folder, 'mine.dcm'));
      writeFileSync(join(folder, 'broken.dcm'), 'not a DICOM file\n');
      await page.evaluate(() => window.ctLab.show('workspace'));
      const status = () => page.$eval('#view-workspace .status', (e) => e.textContent);
      await (await page.$('#upload-files')).uploadFile(join(folder, 'mine.dcm'));
      await page.waitForFunction(() => /dicom_to_raw/.test(document.querySelector('#view-workspace .status').textContent));
      assert.match(await status(), /^mine\.dcm read by dicom_to_raw into mine\.img: 128 × 128 pixels of 0\.661 mm, in HU \(CT, Explicit VR Little Endian\)\.$/);
      const files = await page.evaluate(async () => (await window.ctLab.files()).map((f) => f.name));
      assert.ok(files.includes('mine.dcm') && files.includes('mine.img'), files.join(', '));
      assert.equal(await page.evaluate(() => document.body.dataset.view), 'picture');
      await page.evaluate(() => window.ctLab.show('workspace'));
      await (await page.$('#upload-files')).uploadFile(join(folder, 'broken.dcm'));
      await page.waitForFunction(() => /broken\.dcm/.test(document.querySelector('#view-workspace .status').textContent));
      assert.match(await status(), /^broken\.dcm uploaded, but dicom_to_raw could not read it: .*broken\.dcm/);
      const after = await page.evaluate(async () => (await window.ctLab.files()).map((f) => f.name));
      assert.ok(after.includes('broken.dcm') && !after.includes('broken.img'), after.join(', '));
      // Dropped on the view, the same file is read the same way.
      await page.evaluate(() => window.ctLab.show('workspace'));
      await page.evaluate((base64) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], 'dropped.dcm'));
        document.querySelector('#view-workspace').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
      }, readFileSync(sample).toString('base64'));
      await page.waitForFunction(() =>
        /^dropped\.dcm read by dicom_to_raw into dropped\.img/.test(document.querySelector('#view-workspace .status').textContent),
      );
    } finally {
      rmSync(folder, { recursive: true, force: true });
      await page.evaluate(() => window.ctLab.show('guided'));
    }
  });
}
