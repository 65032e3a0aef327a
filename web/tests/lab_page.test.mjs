// The lab page as a learner uses it, opened from disk in headless chromium:
// the guided lab's every step through its buttons, its files against the
// WebAssembly build's node launchers byte for byte, a warned answer, Cancel,
// a reload, accessible names, axe-core's checks and screenshots of every
// view at 1366 and 412 px,
// the page's size and the absence of any request beyond the page itself.
//   node web/tests/lab_page.test.mjs PAGE LAUNCHER_DIR EXAMPLES_DIR SCREENSHOT_DIR TOOLS_JSON

import assert from 'node:assert/strict';
import { mkdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { expectSameFiles, lessonChain, openLab, runAllSteps, runChain, seriousViolations, workspaceFiles } from './browser.mjs';
import { lessonChecks } from './lab_lessons.mjs';
import { checkLooking } from './looking_page.mjs';

const [pagePath, launchers, examples, screenshots, toolsJson] = process.argv.slice(2);
const steps = lessonChain(toolsJson);
const allSteps = steps.runs;
const VIEWS = ['guided', 'tools', 'workspace', 'picture', 'plot'];
const check = async (what, work) => {
  const started = Date.now();
  await work();
  console.log(`ok  ${what} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
};

const digest = (files) =>
  Object.entries(files)
    .map(([name, bytes]) => `${name}:${bytes.length}:${bytes.toString('base64').slice(-24)}`)
    .sort();

await check('the page is one file of at most 3 MB', () => {
  assert.ok(statSync(pagePath).size <= 3 * 1024 * 1024, `${statSync(pagePath).size} bytes`);
});

const lab = await openLab(pagePath, { width: 1366, height: 900 });
const { page } = lab;
try {
  await check('every control has an accessible name', async () => {
    const tree = await page.accessibility.snapshot({ interestingOnly: false });
    const unnamed = [];
    const walk = (node) => {
      if (['button', 'textbox', 'combobox', 'checkbox', 'spinbutton', 'tab', 'listbox', 'slider'].includes(node.role) && !node.name?.trim()) {
        unnamed.push(node.role);
      }
      (node.children || []).forEach(walk);
    };
    walk(tree);
    assert.deepEqual(unnamed, []);
  });

  let pageFiles;
  await check('the guided lab runs every step from its Run all button', async () => {
    const states = await runAllSteps(page, allSteps.length);
    assert.deepEqual(
      states,
      allSteps.map(() => 'done'),
    );
    pageFiles = await workspaceFiles(page);
  });

  await check('every file of the workspace equals the node run of the same answers', async () => {
    expectSameFiles(pageFiles, runChain(steps, examples, launchers).files);
  });

  await check('screenshots of every view at 1366 and 412 px in English and after a switch to Japanese; axe-core finds nothing serious in any', async () => {
    mkdirSync(screenshots, { recursive: true });
    for (const [width, height, mobile] of [
      [1366, 900, false],
      [412, 915, true],
    ]) {
      // A change to a phone's viewport reloads the page: the choices are made after it.
      await page.setViewport({ width, height, isMobile: mobile, hasTouch: mobile });
      await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
      await page.evaluate(() => window.ctLab.show('picture'));
      await page.select('#picture-file', 'n3-2_poisson_fbp.img');
      await page.select('#picture-compare', 'n3-2_fbp.img');
      await page.evaluate(() => window.ctLab.show('plot'));
      await page.select('#plot-file', 'n4-3.txt');
      await page.evaluate(() => window.ctLab.show('tools'));
      await page.select('#tool-select', 'reconstruct');
      // English, then Japanese by the language menu (no reload): every view redrawn in it.
      for (const language of ['en', 'ja']) {
        await page.select('#language', language);
        for (const view of VIEWS) {
          await page.evaluate((v) => window.ctLab.show(v), view);
          if (view === 'plot') await page.evaluate(() => document.querySelector('#plot-file').dispatchEvent(new Event('change')));
          await new Promise((resolve) => setTimeout(resolve, 400));
          const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
          assert.ok(overflow <= 0, `the ${view} view fits ${width} px in ${language} (${overflow} px too wide)`);
          await page.screenshot({ path: join(screenshots, `${view}-${width}${language === 'en' ? '' : '-ja'}.png`) });
          assert.deepEqual(await seriousViolations(page), [], `axe-core on the ${view} view at ${width} px in ${language}`);
        }
      }
      await page.select('#language', 'en');
    }
    await page.setViewport({ width: 1366, height: 900, isMobile: false, hasTouch: false });
    await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
  });

  await checkLooking(page, check, pageFiles, screenshots);

  // After the looking checks, which read the files of the Run all above.
  await lessonChecks(lab, check, screenshots);

  await check("a form shows the tool's own warning for a bad answer before the run (--check-answers)", async () => {
    await page.evaluate(() => window.ctLab.show('tools'));
    await page.select('#tool-select', 'reconstruct');
    const field = await page.$('#view-tools input[data-keyword][data-kind="integer"]');
    await field.type('12abc');
    const warning = (pattern) =>
      page.waitForFunction(
        (input, source) => new RegExp(source).test(document.getElementById(input.getAttribute('aria-describedby')).textContent),
        {},
        field,
        pattern.source,
      );
    await warning(/^warning: the answer to "2\. .+" \[12abc\] has extra characters after the number; 12 is used\.$/);
    await page.select('#language', 'ja');
    await warning(/^警告：「2\. .+」への答え\[12abc\]は数の後に余分な文字があります。12 として使います。$/);
    await page.select('#language', 'en');
    await field.click({ count: 3 });
    await field.type('256');
    await warning(/^$/);
  });

  await check('a run hands its events to the page; a failure says its cause', async () => {
    const ok = await page.evaluate(() => window.ctLab.run('raysum', ['n3-2.img', '', '', '', 'events_check.prj', '64', '32']));
    assert.equal(ok.events[0].event, 'start');
    assert.deepEqual(ok.events.at(-1), { event: 'end', exit: 0 });
    const written = ok.events.find((e) => e.event === 'file' && e.role === 'output');
    assert.equal(written.rows * written.columns * 4, written.bytes);
    assert.equal(written.quantity, 'line integral');
    const checked = await page.evaluate(() => window.ctLab.check('raysum', ['no_such.img', 'abc']));
    assert.equal(checked.events.find((e) => e.number === 2).warning.kind, 'not_a_number');
    assert.equal(checked.events.find((e) => e.event === 'file' && e.role === 'input').exists, false);
    // The learner's way: the form marks the missing input, Run asks, the status names the cause.
    await page.select('#tool-select', 'raysum');
    const input = await page.$('#view-tools input[data-keyword="input"]');
    await input.type('missing.img');
    await page.waitForFunction(() => /missing\.img/.test(document.querySelector('#view-tools .warning:not([hidden])')?.textContent || ''));
    const asked = [];
    const answer = (dialog) => {
      asked.push(dialog.message());
      dialog.accept();
    };
    page.on('dialog', answer);
    await page.click('#view-tools .run-panel button.primary');
    await page.waitForFunction(() => /^Failed: cannot open missing\.img$/.test(document.querySelector('#view-tools .status').textContent));
    page.off('dialog', answer);
    assert.equal(asked.length, 1, 'Run asks once before a run the tool would warn about');
    const html = readFileSync(pagePath, 'utf8');
    assert.doesNotMatch(html, /function (strtol|strtod|integerAnswer|realAnswer|answerWarning)\b/, 'no port of the dialogue in the page');
  });

  await check('Cancel ends a run and leaves the workspace as it was', async () => {
    const before = digest(await workspaceFiles(page));
    await page.select('#tool-select', 'recon_noise_sweep');
    // Many repetitions: the run would overwrite the sweep's tables of the guided lab.
    const repetitions = await page.$('#view-tools input[data-keyword="repetitions"]');
    await repetitions.type('500');
    await page.click('#view-tools .run-panel button.primary');
    await page.waitForFunction(() => document.querySelector('#view-tools .console').textContent.includes('noise average'), { timeout: 120000 });
    await page.click('#view-tools .run-panel .buttons button:last-child');
    await page.waitForFunction(() => /Cancelled/.test(document.querySelector('#view-tools .status').textContent));
    assert.deepEqual(digest(await workspaceFiles(page)), before);
    // The next run starts a fresh worker.
    const after = await page.evaluate(() => window.ctLab.run('oval_draw', ['cancel_check.img']));
    assert.equal(after.exit, 0);
    assert.deepEqual(after.written, ['cancel_check.img']);
  });

  await check('a reload keeps the workspace', async () => {
    const before = digest(await workspaceFiles(page));
    await page.reload({ waitUntil: 'load' });
    await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
    assert.deepEqual(digest(await workspaceFiles(page)), before);
    assert.equal(await page.$$eval('#view-guided .results canvas', (c) => c.length > 0), true, 'the guided lab shows its stored results');
  });

  await check('no request to any host or other file, no script error', () => {
    assert.deepEqual(lab.requests, []);
    assert.deepEqual(lab.errors, []);
  });
} finally {
  await lab.close();
}
