// The lab's page against the native tools on one thread, in one run: each
// case's runs in headless chromium and Firefox (the page's own worker,
// through window.ctLab.run) and natively (OMP_NUM_THREADS=1), the best of
// three, and the ratio page/native against the goal of 2. The inputs are
// drawn by the tools themselves in both places (a disc of 0.2/cm), so that
// no file needs uploading.
//   raysum and reconstruct at 1024² (1024 bins × 1024 angles);
//   one SART iteration at 256² and 512² (as many bins and views over half a
//   turn as the image is wide): a run of two iterations less a run of one,
//   so that reading, writing and the residual's start do not count;
//   fan_reconstruct of 512² from 720 views × 768 curved bins (a 40 cm field,
//   source 57 cm from the isocentre, detector 104 cm from the source).
//
//   node web/bench_page.mjs [--browsers chromium,firefox] [--cases raysum,reconstruct,sart,fan]
//                           [PAGE] [NATIVE_BIN_DIR]
// (defaults build-web/ct-lab.html and build/bin)

import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { openLab } from './tests/browser.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
const args = process.argv.slice(2);
const option = (name, fallback) => {
  const at = args.indexOf(name);
  if (at < 0) return fallback;
  const [, value] = args.splice(at, 2);
  return value.split(',');
};
const browsers = option('--browsers', ['chromium', 'firefox']);
const wanted = option('--cases', ['raysum', 'reconstruct', 'sart', 'fan']);
const pagePath = resolve(args[0] || join(root, 'build-web/ct-lab.html'));
const bin = resolve(args[1] || join(root, 'build/bin'));

const disc = (name, n) => ['oval_draw', [name, n, n, 0, 0, 0.8, 0.8, 0, 0.2]];
const sart = (n, iterations) => {
  const length = (20 / n).toPrecision(9);
  return ['iterative_recon', [`s${n}.prj`, n, n, n, 0, 1, `sart${n}.img`, n, n, length, 2, iterations, 1, 1, 1, 0, 2000, 0, 0, `sart${n}.txt`, 'none']];
};
const fanCurved = (2 * (Math.asin(20 / 57) * (180 / Math.PI))) / 767;

// Each case: the runs that make its input, then what is timed (one run, or
// [two iterations, one iteration] whose difference counts).
const CASES = {
  raysum: {
    label: 'raysum 1024²',
    setup: [disc('d1024.img', 1024)],
    timed: ['raysum', ['d1024.img', 1024, 1024, (20 / 1024).toPrecision(9), 'd1024.prj', 1024, 1024]],
  },
  reconstruct: {
    label: 'reconstruct 1024²',
    setup: [disc('d1024.img', 1024), ['raysum', ['d1024.img', 1024, 1024, (20 / 1024).toPrecision(9), 'd1024.prj', 1024, 1024]]],
    timed: ['reconstruct', ['d1024.prj', 1024, 1024, 'r1024.img', 1024, 1024, (20 / 1024).toPrecision(9)]],
  },
  ...Object.fromEntries(
    [256, 512].map((n) => [
      `sart${n}`,
      {
        label: `one SART iteration ${n}²`,
        setup: [disc(`s${n}.img`, n), ['raysum', [`s${n}.img`, n, n, (20 / n).toPrecision(9), `s${n}.prj`, n, n]]],
        difference: [sart(n, 2), sart(n, 1)],
      },
    ]),
  ),
  fan: {
    label: 'fan_reconstruct 512², 720 × 768',
    setup: [
      disc('f512.img', 512),
      ['fan_raysum', ['f512.img', 1, 11, 512, 512, 0.078125, 'f512.prj', 'f512.txt', 57, 104, 1, 768, fanCurved, 0.1, 0.5, 720, 1, 360]],
    ],
    timed: ['fan_reconstruct', ['f512.prj', 'f512.txt', 768, 720, 'fr512.img', 512, 512, 0.078125, 0, 1]],
  },
};
const cases = Object.entries(CASES).filter(([name]) => wanted.some((w) => name.startsWith(w)));

async function measure(run) {
  const seconds = {};
  for (const [name, c] of cases) {
    for (const [tool, answers] of c.setup) await run(tool, answers);
    const best = async ([tool, answers]) => {
      let shortest = Infinity;
      for (let i = 0; i < 3; i++) shortest = Math.min(shortest, await run(tool, answers));
      return shortest;
    };
    seconds[name] = c.difference ? (await best(c.difference[0])) - (await best(c.difference[1])) : await best(c.timed);
  }
  return seconds;
}

const folder = mkdtempSync(join(tmpdir(), 'ct-bench-page-'));
let native;
try {
  const env = { ...process.env, OMP_NUM_THREADS: '1', CT_LANG: 'en' };
  native = await measure(async (tool, answers) => {
    const start = process.hrtime.bigint();
    const run = spawnSync(join(bin, tool), [], { cwd: folder, env, input: answers.map((a) => `${a}\n`).join('') });
    if (run.status !== 0) throw new Error(`${tool}: ${run.stderr}`);
    return Number(process.hrtime.bigint() - start) / 1e9;
  });
} finally {
  rmSync(folder, { recursive: true, force: true });
}

const rows = Object.fromEntries(browsers.map((b) => [b, {}]));
for (const browser of browsers) {
  const lab = await openLab(pagePath, { browser });
  try {
    rows[browser] = await measure((tool, answers) =>
      lab.page.evaluate(
        async (tool, answers) => {
          const start = performance.now();
          const run = await window.ctLab.run(tool, answers);
          if (run.exit !== 0) throw new Error(`${tool}: ${run.stderr}`);
          return (performance.now() - start) / 1000;
        },
        tool,
        answers.map(String),
      ),
    );
  } finally {
    await lab.close();
  }
}

console.log(`seconds, native one thread against the page (best of three); goal: page/native at most 2`);
for (const [name, c] of cases) {
  const cells = browsers.map((b) => `${b} ${rows[b][name].toFixed(3)} (${(rows[b][name] / native[name]).toFixed(2)}×)`);
  console.log(`${c.label.padEnd(34)} native ${native[name].toFixed(3)}   ${cells.join('   ')}`);
}
