// The lab page in Firefox, opened from disk on a phone's width: the guided
// lab's every step through its Run all button gives the node launchers'
// bytes, the workspace (IndexedDB of a file:// page) outlives a reload, and
// the page asks for nothing beyond itself.
//   node web/tests/lab_firefox.test.mjs PAGE LAUNCHER_DIR EXAMPLES_DIR SCREENSHOT_DIR TOOLS_JSON

import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { expectSameFiles, lessonChain, openLab, runAllSteps, runChain, workspaceFiles } from './browser.mjs';

const [pagePath, launchers, examples, screenshots, toolsJson] = process.argv.slice(2);
const steps = lessonChain(toolsJson);
const stepCount = steps.runs.length;

const lab = await openLab(pagePath, { width: 412, height: 915, browser: 'firefox' });
const { page } = lab;
try {
  const clicked = Date.now();
  const states = await runAllSteps(page, stepCount);
  const seen = (Date.now() - clicked) / 1000;
  assert.deepEqual(
    states,
    states.map(() => 'done'),
  );
  // The status times the run from the click: never more than what was seen
  // here, nor less by more than the polling's second (and some slack).
  const said = Number(await page.$eval('[data-last-run-seconds]', (e) => e.dataset.lastRunSeconds));
  assert.ok(said <= seen + 0.5 && said >= seen - 2.5, `the status says ${said} s of a run seen to take ${seen} s`);
  console.log(`ok  the status says ${said} s for a run seen to take ${seen.toFixed(1)} s from the click`);
  const expected = runChain(steps, examples, launchers).files;
  expectSameFiles(await workspaceFiles(page), expected);
  console.log(`ok  the guided lab's ${stepCount} steps give the node launchers' bytes`);

  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
  assert.equal(Object.keys(await workspaceFiles(page)).length, Object.keys(expected).length);
  console.log('ok  a reload keeps the workspace');

  mkdirSync(screenshots, { recursive: true });
  // The views open on the first picture and the first table of the list.
  for (const view of ['picture', 'plot']) {
    await page.evaluate((v) => window.ctLab.show(v), view);
    await new Promise((resolve) => setTimeout(resolve, 400));
    assert.ok(await page.evaluate((v) => !!document.querySelector(`#view-${v} canvas`), view), `the ${view} view draws`);
    await page.screenshot({ path: join(screenshots, `firefox-${view}-412.png`) });
  }
  assert.deepEqual(lab.errors, []);
  assert.deepEqual(lab.requests, []);
  console.log('ok  no errors, no requests beyond the page');
} finally {
  await lab.close();
}
