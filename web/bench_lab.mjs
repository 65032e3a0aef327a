// Times the guided lab's whole chain in the page (headless chromium, the
// page's own Run all button) against the native tools on one thread, in
// one run, and prints both and their ratio.
//   node web/bench_lab.mjs [PAGE] [NATIVE_BIN_DIR]
// (defaults build-web/ct-lab.html and build/bin)

import { readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { openLab, runChain } from './tests/browser.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
const pagePath = resolve(process.argv[2] || join(root, 'build-web/ct-lab.html'));
const bin = resolve(process.argv[3] || join(root, 'build/bin'));
const steps = JSON.parse(readFileSync(join(root, 'web/lab_steps.json'), 'utf8'));
const examples = join(root, 'examples');

async function pageSeconds() {
  const lab = await openLab(pagePath);
  try {
    const { page } = lab;
    await page.click('#run-all');
    await page.waitForFunction(() => document.getElementById('view-guided').dataset.lastRunSeconds ||
      document.querySelector('.step[data-state="failed"]'), { timeout: 1800000, polling: 500 });
    const seconds = await page.evaluate(() => document.getElementById('view-guided').dataset.lastRunSeconds);
    if (!seconds) throw new Error('a step of the guided lab failed');
    return Number(seconds);
  } finally {
    await lab.close();
  }
}

const native = runChain(steps, examples, bin, { env: { ...process.env, OMP_NUM_THREADS: '1' } }).seconds;
const inPage = await pageSeconds();
console.log(`guided lab chain: native one thread ${native.toFixed(1)} s, in the page ${inPage.toFixed(1)} s, ratio ${(inPage / native).toFixed(2)} (goal at most 1.5)`);
