// The guided lab's lessons in the page test's session, after its Run all of
// ct-chain: the photon knob through its field with Live on, a refused
// value, the Japanese texts, a broken lesson, a short lesson's knob through
// ctLab (and a change that makes a run stale), a lesson file opened with the
// picker, a saved page opened offline, and kernel_smooth's English labels.

import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { seriousViolations, workspaceFiles } from './browser.mjs';
import { realSliceChecks } from './lab_real_slice.mjs';

const lastRun = (page) => page.evaluate(() => window.ctLab.guided.lastRun);

// Words of a lesson's Japanese texts that are neither file names, tools,
// units nor the field's abbreviations.
export async function englishWords(page) {
  return page.evaluate(() => {
    const tools = new Set(window.ctLab.programs());
    const allowed =
      /^(NPS|NNPS|MTF|LSF|ESF|FBP|CT|JSON|I0|dB|cm|W[0-4w]|ln|cos|sin|Parker|range_degrees|NaN|e\^-p|SART(-TV)?|TV|RMSE|mm|NPWE?i?|CHO|HU|DICOM|NEMA|pydicom|Explicit|VR|Little|Endian)$/;
    const selector =
      '.lesson-title, .lesson-intro, #view-guided .lesson-body h2, .questions-heading, .section-text, .step .what, #view-guided figcaption, .knob label, .knob .unit, .lesson-question p';
    const words = [...document.querySelectorAll(selector)].flatMap(
      (e) => e.textContent.replace(/[\w.()-]+\.(img|prj|txt|err|dcm)\b/g, ' ').match(/[A-Za-z][A-Za-z0-9^_-]+/g) || [],
    ); // one letter is a symbol (x, y, w)
    return [...new Set(words.filter((w) => !tools.has(w) && !allowed.test(w)))];
  });
}

export async function lessonChecks(lab, check, screenshots) {
  const { page } = lab;
  // The lessons' questions (a file to replace) are answered yes here, and
  // left to the page test's own checks afterwards.
  const accept = (dialog) => dialog.accept();
  page.on('dialog', accept);
  mkdirSync(screenshots, { recursive: true });

  await check('at least four lessons, each titled in English and Japanese', async () => {
    const lessons = await page.evaluate(() => window.ctLab.lessons());
    assert.ok(lessons.length >= 4 && lessons[0].id === 'ct-chain', JSON.stringify(lessons));
    for (const l of lessons) assert.ok(l.title.en && /[぀-ヿ一-鿿]/.test(l.title.ja), l.id);
  });

  await check('photons 200 in the field with Live on reruns only the noisy route and changes the noisy reconstruction', async () => {
    const before = (await workspaceFiles(page))['n3-2_poisson_fbp.img'];
    await page.evaluate(() => window.ctLab.show('guided'));
    assert.ok(await page.$eval('.knobs input.live', (box) => box.checked), 'Live starts on');
    const field = await page.$('input[data-knob="photons"]');
    await field.click({ count: 3 });
    await field.type('50');
    await field.press('Tab');
    assert.match(await page.$eval('[data-knob-row="photons"] .warning', (e) => e.textContent), /50 is not a value of .* from 100 to 1000000/);
    await page.evaluate(() => (window.lastRunBefore = window.ctLab.guided.lastRun));
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.ok(await page.evaluate(() => window.ctLab.guided.lastRun === window.lastRunBefore), 'a refused value runs nothing');
    await field.click({ count: 3 });
    await field.type('200');
    await field.press('Tab');
    await page.waitForFunction(() => window.ctLab.guided.lastRun !== window.lastRunBefore, { timeout: 120000 });
    const run = await lastRun(page);
    assert.deepEqual(run.steps, [3, 4, 5, 6, 7, 9]);
    const after = await workspaceFiles(page);
    assert.ok(!after['n3-2_poisson_fbp.img'].equals(before), 'the noisy reconstruction changed');
    assert.ok(after['n3-2_I0_200_poisson.prj'], 'the file names follow the knob');
    assert.match(await page.$eval('.step[data-step="9"] figcaption', (e) => e.textContent), /at 200 photons per ray/);
    assert.match(await page.$eval('#guided-status', (e) => e.textContent), /^Ran the 6 steps that depend on the change \(3, 4, 5, 6, 7, 9\)/);
    console.log(
      `    ct-chain, photons 2000 -> 200: first changed picture after ${run.firstResultSeconds.toFixed(2)} s, 6 steps in ${run.seconds.toFixed(1)} s`,
    );
  });

  await check("in Japanese no English word is left in the lesson's texts", async () => {
    await page.evaluate(() => window.ctLab.setLanguage('ja'));
    assert.deepEqual(await englishWords(page), []);
    assert.equal(await page.$eval('.knob label', (e) => e.textContent), '1本の線あたりの入射光子数（I0）');
    await page.screenshot({ path: join(screenshots, 'guided-ja-1366.png') });
    await page.evaluate(() => window.ctLab.setLanguage('en'));
  });

  await check('a lesson naming an unknown tool is refused with the step and the reason', async () => {
    const lesson = {
      lesson: 1,
      id: 'broken',
      title: { en: 'Broken', ja: '壊れた課題' },
      sections: [{ title: { en: 'One', ja: '一' }, steps: [{ tool: 'raysun', answers: { input: 'a.img' } }] }],
    };
    const result = await page.evaluate((text) => window.ctLab.openLesson(text), JSON.stringify(lesson));
    assert.deepEqual(result, { ok: false, problems: ['step 1 (raysun): there is no tool "raysun"'] });
    assert.match(await page.$eval('.lesson-problems', (e) => e.textContent), /not opened.*raysun/);
    assert.ok(!(await page.evaluate(() => window.ctLab.lessons())).some((l) => l.id === 'broken'));
  });

  await check('dose and noise: 1000 -> 250 photons reruns its dependents and doubles the noise', async () => {
    assert.deepEqual(await page.evaluate(() => window.ctLab.openLesson('dose-and-noise')), { ok: true, problems: [] });
    // A file of the learner's that the lesson writes: asked before it is replaced.
    const folder = mkdtempSync(join(tmpdir(), 'ct-lab-upload-'));
    const asked = [];
    const record = (dialog) => asked.push(dialog.message());
    page.on('dialog', record);
    try {
      writeFileSync(join(folder, 'head128.img'), Buffer.alloc(128 * 128 * 4));
      await page.evaluate(() => window.ctLab.show('workspace'));
      await (await page.$('#upload-files')).uploadFile(join(folder, 'head128.img'));
      await page.waitForFunction(async () => (await window.ctLab.files()).some((f) => f.name === 'head128.img'));
      await page.evaluate(() => window.ctLab.show('guided'));
      assert.equal((await page.evaluate(() => window.ctLab.runLesson())).ok, true);
    } finally {
      page.off('dialog', record);
      rmSync(folder, { recursive: true, force: true });
    }
    assert.ok(
      asked.some((m) => /^This run wrote head128\.img, replacing a file .* you uploaded\. Replace it\?/.test(m)),
      asked.join(' | '),
    );
    const sd = () => page.$eval('.region-figure', (e) => Number(e.dataset.sd));
    const at1000 = await sd();
    const run = await page.evaluate(() => window.ctLab.setKnob('photons', 250));
    assert.deepEqual(run.steps, [2, 3, 5, 6, 7]);
    const ratio = (await sd()) / at1000;
    assert.ok(ratio >= 1.8 && ratio <= 2.2, `the standard deviation grew ${ratio} times, the lesson expects 1.8 to 2.2`);
    console.log(`    dose and noise, photons 1000 -> 250: first changed picture after ${run.firstResultSeconds.toFixed(2)} s`);
    assert.equal((await page.evaluate(() => window.ctLab.setKnob('photons', 20))).ok, false, "below the knob's range");
    // Two changes in a row: the first run is stale and cancelled, the second
    // ends with the files a run at its value makes.
    const [stale, fresh] = await page.evaluate(() => Promise.all([window.ctLab.setKnob('photons', 500), window.ctLab.setKnob('photons', 1000)]));
    assert.deepEqual([stale.stale, fresh.ok], [true, true]);
    assert.equal(await sd(), at1000);
    await page.screenshot({ path: join(screenshots, 'lesson-dose-1366.png') });
  });

  await check('fewer views: FBP, SART and SART-TV with their convergence tables as plots, in both languages', async () => {
    assert.deepEqual(await page.evaluate(() => window.ctLab.openLesson('fewer-views')), { ok: true, problems: [] });
    assert.equal((await page.evaluate(() => window.ctLab.runLesson())).ok, true);
    // A table of named columns: one curve per column, named by its header.
    const legends = await page.$$eval('#view-guided .plot:not(.profile)', (boxes) =>
      boxes.map((b) => b.plot.series.map((s) => (s.mark ? 'lowest' : s.label)).join('+')),
    );
    assert.deepEqual(legends, ['residual+rmse+lowest', 'residual+rmse+lowest', 'residual+rmse+lowest'], 'the lowest RMSE marked');
    // The profile: row 56 of each image inside the skull (columns 28 to 100), the very samples of its file.
    const profile = await page.$eval('.profile-figure .plot', (b) => b.plot.series.map((s) => [s.label, Array.from(s.values)]));
    const written = await workspaceFiles(page);
    assert.deepEqual(
      profile.map(([label]) => label),
      ['head.img', 'sart_32v.img', 'sarttv_32v.img'],
    );
    for (const [label, values] of profile) {
      const at = written[label].byteOffset + (56 * 128 + 28) * 4;
      const row = new Float32Array(written[label].buffer.slice(at, at + 73 * 4));
      assert.deepEqual(values, Array.from(row), `row 56 of ${label}`);
    }
    await page.$eval('.profile-figure', (e) => e.scrollIntoView());
    await page.screenshot({ path: join(screenshots, 'lesson-fewer-views-profile-1366.png') });
    const run = await page.evaluate(() => window.ctLab.setKnob('views', 16));
    assert.deepEqual(run.steps, [3, 4, 5, 6, 7]);
    assert.match(await page.$eval('.step[data-step="4"] figcaption', (e) => e.textContent), /FBP from 16 views, fbp_16v\.img.*streaks run out/);
    const files = await workspaceFiles(page);
    assert.ok(!files['sart_32v.img'] && !files['sart_32v_0005.img'], "the 32 views' files went, the images after chosen iterations with them");
    assert.ok(files['sart_16v_0005.img'], 'the images after iterations 5, 10 and 15 kept');
    await page.evaluate(() => window.ctLab.setLanguage('ja'));
    assert.deepEqual(await englishWords(page), []);
    await page.screenshot({ path: join(screenshots, 'lesson-fewer-views-ja-1366.png') });
    await page.evaluate(() => window.ctLab.setLanguage('en'));
  });

  await iterationChecks(page, check, screenshots);
  await fanBeamChecks(page, check, screenshots);
  await realSliceChecks(page, check, screenshots, englishWords);

  await check("can you see it: d' over the disc's diameter for three observers, in both languages", async () => {
    assert.deepEqual(await page.evaluate(() => window.ctLab.openLesson('can-you-see-it')), { ok: true, problems: [] });
    assert.equal((await page.evaluate(() => window.ctLab.runLesson())).ok, true);
    const plot = await page.$eval('figure[data-file="dprime_diameters.txt"] .plot', (b) => ({
      series: b.plot.series.map((s) => s.label),
      x: [b.plot.x[0], b.plot.x.at(-1)],
      xLabel: b.plot.xLabel,
    }));
    assert.deepEqual(plot, { series: ['NPW', 'NPWE', 'NPWEi'], x: [1, 20], xLabel: 'diameter of the disc (mm)' });
    await page.evaluate(() => window.ctLab.setLanguage('ja'));
    assert.deepEqual(await englishWords(page), []);
    await page.evaluate(() => window.ctLab.setLanguage('en'));
  });

  await check("an instructor's lesson file opened with the picker is listed and kept in the workspace", async () => {
    const folder = mkdtempSync(join(tmpdir(), 'ct-lab-lesson-'));
    try {
      const example = /A short lesson:\n\n```json\n([\s\S]*?)```/.exec(readFileSync(new URL('../../README.md', import.meta.url), 'utf8'))[1];
      writeFileSync(join(folder, 'smoothing.json'), example);
      await (await page.$('#lesson-file')).uploadFile(join(folder, 'smoothing.json'));
      await page.waitForFunction(() => document.querySelector('#lesson-select').value === 'smoothing-example');
      assert.ok((await workspaceFiles(page))['smoothing-example.lesson.json']);
      assert.equal(await page.$$eval('.step', (cards) => cards.length), 4);
    } finally {
      rmSync(folder, { recursive: true, force: true });
    }
    await page.evaluate(() => window.ctLab.openLesson('dose-and-noise'));
  });

  await check('the page saved with a lesson opens offline on that lesson', async () => {
    const folder = mkdtempSync(join(tmpdir(), 'ct-lab-saved-'));
    try {
      const saved = join(folder, 'assignment.html');
      writeFileSync(saved, await page.evaluate(() => window.ctLab.savePage()));
      const other = await lab.browser.newPage();
      const errors = [];
      other.on('pageerror', (error) => errors.push(String(error)));
      other.on('request', (request) => {
        if (!/^(file|blob|data):/.test(request.url())) errors.push(request.url());
      });
      await other.goto(pathToFileURL(saved).href, { waitUntil: 'load' });
      await other.waitForFunction(() => window.ctLab && window.ctLab.ready);
      await other.evaluate(() => window.ctLab.ready);
      assert.equal(await other.$eval('#lesson-select', (e) => e.value), 'dose-and-noise');
      assert.equal(await other.$eval('.lesson-title', (e) => e.textContent), 'Dose and noise');
      assert.deepEqual(errors, []);
      await other.close();
    } finally {
      rmSync(folder, { recursive: true, force: true });
    }
    assert.deepEqual(await page.evaluate(() => window.ctLab.openLesson('ct-chain')), { ok: true, problems: [] });
  });

  await check('hostile lessons: a view whose size disagrees with its file ends the run with a message, a size may follow a knob', async () => {
    const lesson = (height) =>
      JSON.stringify({
        lesson: 1,
        id: 'sizes',
        title: { en: 'Sizes', ja: '大きさ' },
        knobs: [{ name: 'angles', label: { en: 'Angles', ja: '投影数' }, kind: 'integer', default: 64, min: 32, max: 128 }],
        sections: [
          {
            title: { en: 'One', ja: '一' },
            steps: [
              { tool: 'oval_draw', answers: { output: 'disc.img', width: 64, height: 64 } },
              {
                tool: 'raysum',
                answers: { input: 'disc.img', width: 64, height: 64, output: 'disc.prj', bins: 64, angles: '{angles}' },
                views: [{ picture: 'disc.prj', width: 64, height, caption: { en: 'sinogram', ja: 'サイノグラム' } }],
              },
            ],
          },
        ],
      });
    assert.deepEqual(await page.evaluate((text) => window.ctLab.openLesson(text), lesson(128)), { ok: true, problems: [], id: 'sizes' });
    const wrong = await page.evaluate(() => window.ctLab.runLesson());
    assert.equal(wrong.ok, false);
    assert.equal(wrong.failed, 2);
    assert.match(wrong.problem, /disc\.prj: the lesson shows it at 64 × 128, but the run wrote 64 × 64/);
    assert.match(await page.$eval('#guided-status', (e) => e.textContent), /^Step 2: the step ran, but a view cannot be shown/);
    assert.equal(await page.$eval('.step[data-step="2"]', (e) => e.dataset.state), 'failed');
    assert.deepEqual(await page.evaluate((text) => window.ctLab.openLesson(text), lesson('{angles}')), { ok: true, problems: [], id: 'sizes' });
    assert.equal((await page.evaluate(() => window.ctLab.runLesson())).ok, true);
    const changed = await page.evaluate(() => window.ctLab.setKnob('angles', 96));
    assert.equal(changed.ok, true);
    assert.equal(await page.$eval('.step[data-step="2"] canvas.picture', (c) => `${c.width} × ${c.height}`), '64 × 96');
  });

  await check("a lesson with a built-in lesson's id opens beside it, which stays as it was", async () => {
    const builtIn = await page.evaluate(() => window.ctLab.lessons().find((l) => l.id === 'dose-and-noise').title.en);
    const text = JSON.stringify({
      lesson: 1,
      id: 'dose-and-noise',
      title: { en: 'Imposter', ja: '偽物' },
      sections: [{ title: { en: 'One', ja: '一' }, steps: [{ tool: 'oval_draw', answers: { output: 'imposter.img', width: 32, height: 32 } }] }],
    });
    const opened = await page.evaluate((t) => window.ctLab.openLesson(t), text);
    assert.deepEqual(opened, { ok: true, problems: [], id: 'dose-and-noise-own' });
    const lessons = await page.evaluate(() => window.ctLab.lessons());
    assert.equal(lessons.find((l) => l.id === 'dose-and-noise').title.en, builtIn);
    assert.equal(lessons.find((l) => l.id === 'dose-and-noise-own').title.en, 'Imposter (opened from a file)');
    assert.match(await page.$eval('.lesson-problems', (e) => e.textContent), /is a lesson of this lab, which a file never replaces/);
  });

  await check('file names that are paths, or hold control, bidirectional or zero-width characters, are refused before a run', async () => {
    for (const name of ['../x.img', '/dev/null', 'a\u0000b.img', '\u202e64 | 46.img', 'a\u200bb.img']) {
      const error = await page.evaluate(
        (n) =>
          window.ctLab.run('oval_draw', [n, '16', '16']).then(
            () => null,
            (e) => e.message,
          ),
        name,
      );
      assert.match(error || '', /^The file name .* (names a folder|holds a control character|holds a bidirectional or zero-width character)/, name);
    }
    const names = (await page.evaluate(() => window.ctLab.files())).map((f) => f.name);
    assert.ok(!names.some((n) => ['x.img', 'null', 'a'].includes(n) || /[\u0000\u202e\u200b]/.test(n)), names.join(', '));
    // The chain again, as the page test's later checks expect it open.
    assert.deepEqual(await page.evaluate(() => window.ctLab.openLesson('ct-chain')), { ok: true, problems: [] });
  });

  await check("kernel_smooth's English questions 5 and 7 name the corners and the centre", async () => {
    await page.evaluate(() => window.ctLab.show('tools'));
    await page.select('#tool-select', 'kernel_smooth');
    const label = (keyword) =>
      page.$eval(`#view-tools input[data-keyword="${keyword}"]`, (input) => document.querySelector(`label[for="${input.id}"]`).textContent);
    assert.equal(await label('corner'), '5. Weight of the four corners');
    assert.equal(await label('centre'), '7. Weight of the centre');
  });
  page.off('dialog', accept);
}

// The fan-beam lesson: every step runs; the drawing follows the geometry
// file (a short scan's arc, the knob's view, a flat detector's line) in
// both languages at 1366 and 412 px, axe-core finding nothing serious; the
// full turn's difference is exactly zero.
export async function fanBeamChecks(page, check, screenshots) {
  const drawing = (file) =>
    page.$eval(`figure[data-file="${file}"]`, (f) => ({
      facts: f.querySelector('.fan-facts').textContent,
      detector: f.querySelector('path.fan-detector').getAttribute('d'),
      labels: [...f.querySelectorAll('svg text')].map((e) => e.textContent),
      title: f.querySelector('svg title').textContent,
      shapes: {
        rays: f.querySelectorAll('path.fan-ray').length,
        field: f.querySelectorAll('circle.fan-field').length,
        image: f.querySelectorAll('rect.fan-image').length,
      },
    }));
  await check('fan beams: the geometry drawn from the run, Parker or not, rebinning and a scan too short, in both languages', async () => {
    assert.deepEqual(await page.evaluate(() => window.ctLab.openLesson('fan-beams')), { ok: true, problems: [] });
    assert.equal((await page.evaluate(() => window.ctLab.runLesson())).ok, true);
    const short = await drawing('fan_geometry.txt');
    assert.match(
      short.facts,
      /source 30 cm from the isocentre, detector 60 cm .*magnification 2\).*fan angle 89\.6°; the source travels 269\.6° in 360 views.*view 60 of 360, β = 44\.9°/,
    );
    assert.match(short.facts, /field of 20 cm/);
    assert.match(short.title, /^The scan as fan_geometry\.txt describes it, at view 60/);
    assert.equal((short.detector.match(/L/g) || []).length, 48, 'a curved detector is an arc');
    assert.deepEqual(short.shapes, { rays: 9, field: 1, image: 1 });
    assert.match((await drawing('fan_200_geometry.txt')).facts, /travels 200° in 360 views/);
    const largest = () => page.$eval('figure[data-file="fan_fbp_even.img fan_fbp.img"]', (f) => Number(f.dataset.largestDifference));
    assert.ok((await largest()) > 0.01, 'without Parker the short scan differs');
    for (const width of [1366, 412]) {
      await page.setViewport({ width, height: 900, isMobile: width < 500, hasTouch: width < 500 });
      await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
      for (const language of ['en', 'ja']) {
        await page.evaluate((l) => window.ctLab.setLanguage(l), language);
        if (language === 'ja') assert.deepEqual(await englishWords(page), []);
        await page.evaluate(() => document.querySelector('figure[data-file="fan_geometry.txt"]').scrollIntoView());
        const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
        assert.ok(overflow <= 0, `the lesson fits ${width} px in ${language} (${overflow} px too wide)`);
        await page.screenshot({ path: join(screenshots, `lesson-fan-beams-${width}${language === 'en' ? '' : '-ja'}.png`) });
        assert.deepEqual(await seriousViolations(page), [], `axe-core on the fan-beam lesson at ${width} px in ${language}`);
      }
      await page.evaluate(() => window.ctLab.setLanguage('en'));
    }
    await page.setViewport({ width: 1366, height: 900, isMobile: false, hasTouch: false });
    await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
    assert.match((await drawing('fan_geometry.txt')).labels.join('|'), /投影 60|view 60/);
    // A flat detector over a full turn at the last view: a line, the whole circle, no difference.
    await page.evaluate(() => window.ctLab.setKnob('detector', 2));
    const run = await page.evaluate(() => window.ctLab.setKnob('scan', 1));
    assert.equal(run.ok, true);
    await page.evaluate(() => window.ctLab.setKnob('view', 359));
    const full = await drawing('fan_geometry.txt');
    assert.equal((full.detector.match(/L/g) || []).length, 1, 'a flat detector is a line');
    assert.match(full.facts, /fan angle 87\.66°; the source travels 360° in 360 views.*view 359 of 360, β = 359°/);
    assert.equal(await largest(), 0, 'a full turn weighs every view alike, Parker or not');
    assert.match(await page.$eval('figure[data-file="fan_fbp_even.img fan_fbp.img"] figcaption', (e) => e.textContent), /the two images are identical/);
    await page.evaluate(() => document.querySelector('figure[data-file="fan_geometry.txt"]').scrollIntoView());
    await page.screenshot({ path: join(screenshots, 'lesson-fan-beams-flat-full-1366.png') });
    await page.evaluate(() => document.querySelector('figure[data-file="fan_200_fbp.img fan_fbp.img"]').scrollIntoView());
    await page.screenshot({ path: join(screenshots, 'lesson-fan-beams-too-short-1366.png') });
    // The water disc's noise: at R 30 cm the bins at the isocentre are coarser than the
    // pixels; at 15 cm finer, the ramp runs to the pixels' limit and the noise is higher.
    const noise = () => page.$eval('.region-figure[data-file="fan_water.img"]', (f) => Number(f.dataset.sd));
    const nnps = () => page.$eval('figure[data-file="fan_water_nnps_x.txt"] figcaption', (e) => e.textContent);
    assert.match(await nnps(), /R 30 cm: .*coarser than the 0\.156 cm pixels/);
    const at30 = await noise();
    assert.equal((await page.evaluate(() => window.ctLab.setKnob('source', 15))).ok, true);
    assert.match(await nnps(), /R 15 cm: .*finer than the 0\.156 cm pixels/);
    assert.ok((await noise()) > 1.3 * at30, `the noise at R 15 cm against ${at30} /cm at 30 cm`);
    await page.evaluate(() => document.querySelector('figure[data-file="fan_water_nnps_x.txt"]').scrollIntoView());
    await page.screenshot({ path: join(screenshots, 'lesson-fan-beams-noise-1366.png') });
  });
}

// Fewer views' SART step run again: each iteration said in the lesson's
// status as it arrives and its curve drawn growing in place of the table's
// plot; then the images after iterations 5, 10, 15 and 20 stepped through
// with the slider's keys, in both languages at 1366 and 412 px.
export async function iterationChecks(page, check, screenshots) {
  await check('fewer views: iterations shown as they arrive, and the images after chosen iterations stepped through', async () => {
    assert.deepEqual(await page.evaluate(() => window.ctLab.openLesson('fewer-views')), { ok: true, problems: [] });
    const views = await page.evaluate(() => window.ctLab.guided.values.views);
    await page.evaluate(() => {
      const seen = (window.iterationsSeen = { statuses: [], live: [] });
      new MutationObserver(() => {
        const status = document.querySelector('#guided-status').textContent;
        if (seen.statuses[seen.statuses.length - 1] !== status) seen.statuses.push(status);
        const live = document.querySelector('.step[data-step="5"] figure.live-iterations');
        if (live && live.dataset.done !== seen.live[seen.live.length - 1]) {
          seen.live.push(live.dataset.done);
          seen.curves = live
            .querySelector('.plot')
            .plot.series.map((s) => (s.mark ? 'lowest' : s.label))
            .join('+');
        }
      }).observe(document.body, { subtree: true, childList: true, characterData: true, attributes: true });
    });
    assert.equal((await page.evaluate(() => window.ctLab.runLesson())).ok, true);
    const seen = await page.evaluate(() => window.iterationsSeen);
    const counts = seen.statuses.map((s) => /^Step 5: Running iterative_recon: iteration (\d+) of 20/.exec(s)).filter(Boolean);
    assert.deepEqual(
      counts.map((m) => Number(m[1])),
      Array.from({ length: 21 }, (_, i) => i),
      'every iteration of step 5 counted in the status',
    );
    const done = seen.live.map(Number);
    assert.ok(done.length >= 2 && done.every((d, i) => i === 0 || d > done[i - 1]), `the curve grew: ${done}`);
    assert.equal(seen.curves, 'residual+rmse+lowest', 'the live curve: the residual, the RMSE and its lowest so far');

    const figure = `figure.iteration-figure[data-file="sart_${views}v.img"]`;
    const state = () =>
      page.$eval(figure, (f) => ({
        iteration: f.dataset.iteration,
        shown: f.querySelector('output').textContent,
        label: f.querySelector('label').textContent,
        pixels: f.querySelector('canvas').toDataURL(),
      }));
    assert.equal(await page.$eval(figure, (f) => f.dataset.iterations), '5 10 15 20');
    const last = await state();
    assert.equal(last.iteration, '20');
    await page.focus(`${figure} input[type="range"]`);
    await page.keyboard.press('Home');
    const first = await state();
    assert.deepEqual([first.iteration, first.shown, first.label], ['5', `After iteration 5 of 20: sart_${views}v_0005.img`, 'Iteration']);
    assert.notEqual(first.pixels, last.pixels, 'another image');
    await page.keyboard.press('ArrowRight');
    assert.equal((await state()).iteration, '10');
    for (const width of [1366, 412]) {
      await page.setViewport({ width, height: 900, isMobile: width < 500, hasTouch: width < 500 });
      await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
      for (const language of ['en', 'ja']) {
        await page.evaluate((l) => window.ctLab.setLanguage(l), language);
        const now = await state();
        assert.equal(now.iteration, '10', 'the iteration chosen stays through a redraw');
        if (language === 'ja') assert.deepEqual([now.label, now.shown], ['反復', `反復 10／20 回の後：sart_${views}v_0010.img`]);
        await page.evaluate((f) => document.querySelector(f).scrollIntoView(), figure);
        const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
        assert.ok(overflow <= 0, `the lesson fits ${width} px in ${language} (${overflow} px too wide)`);
        await page.screenshot({ path: join(screenshots, `lesson-fewer-views-iterations-${width}${language === 'en' ? '' : '-ja'}.png`) });
        assert.deepEqual(await seriousViolations(page), [], `axe-core on the iterations at ${width} px in ${language}`);
      }
    }
    await page.evaluate(() => window.ctLab.setLanguage('en'));
    await page.setViewport({ width: 1366, height: 900, isMobile: false, hasTouch: false });
    await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
  });
}
