// Times the guided lab's whole chain in the page (headless chromium, the
// page's own Run all button) against the native tools on one thread, in
// one run, and prints both and their ratio; then, in the same page, each
// lesson's knob moved once after a run of the lesson: how long until the
// first changed picture shows (the live goal: within 1 s) and until every
// dependent step ran.
//   node web/bench_lab.mjs [PAGE] [NATIVE_BIN_DIR]
// (defaults build-web/ct-lab.html and build/bin)

import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { lessonChain, openLab, runChain } from './tests/browser.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
const pagePath = resolve(process.argv[2] || join(root, 'build-web/ct-lab.html'));
const bin = resolve(process.argv[3] || join(root, 'build/bin'));
const steps = lessonChain(join(root, 'build/tools.json'));
const examples = join(root, 'examples');

// A change of each lesson's knob: [lesson, knob, new value].
const KNOB_CHANGES = [
  ['ct-chain', 'photons', 200],
  ['dose-and-noise', 'photons', 250],
  ['resolution', 'fwhm', 4],
  ['resolution', 'gain', 8],
  ['filter-windows', 'level', 30],
  ['filter-windows', 'window', 3],
];

const native = runChain(steps, examples, bin, { env: { ...process.env, OMP_NUM_THREADS: '1' } }).seconds;
const lab = await openLab(pagePath);
try {
  const { page } = lab;
  await page.click('#run-all');
  await page.waitForFunction(() => document.getElementById('view-guided').dataset.lastRunSeconds || document.querySelector('.step[data-state="failed"]'), {
    timeout: 1800000,
    polling: 500,
  });
  const inPage = await page.evaluate(() => document.getElementById('view-guided').dataset.lastRunSeconds);
  if (!inPage) throw new Error('a step of the guided lab failed');
  console.log(
    `guided lab chain: native one thread ${native.toFixed(1)} s, in the page ${Number(inPage).toFixed(1)} s, ratio ${(inPage / native).toFixed(2)} (goal at most 1.5)`,
  );
  let open = 'ct-chain';
  for (const [lesson, knob, value] of KNOB_CHANGES) {
    if (lesson !== open) {
      await page.evaluate((id) => window.ctLab.openLesson(id), lesson);
      await page.evaluate(() => window.ctLab.runLesson());
      open = lesson;
    }
    const run = await page.evaluate((k, v) => window.ctLab.setKnob(k, v), knob, value);
    const first = run.firstResultSeconds === null ? 'no step reruns' : `first changed picture ${run.firstResultSeconds.toFixed(2)} s`;
    console.log(`live ${lesson}, ${knob} -> ${value}: ${first} (goal within 1 s), steps ${run.steps.join(', ') || 'none'} in ${run.seconds.toFixed(2)} s`);
  }
  await page.evaluate(() => window.ctLab.openLesson('ct-chain'));
} finally {
  await lab.close();
}
