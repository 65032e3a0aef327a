// The known answers drawn on plots against the native tools' measurements:
// the MTF that transfer_curve measures on step_target's default edge
// follows x / sinh x (x = π²f at gain 2) within 4e-4 up to the Nyquist
// frequency; the NNPS of 20 dB noise on a flat image lies near
// σ² / (W·H·mean²).
//   node web/tests/theory_agreement.test.mjs NATIVE_BIN EXAMPLES_DIR

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { sigmoidEdgeMtf, whiteNoiseNnps } from '../lab/core/theory_curves.js';

const [bin, examples] = process.argv.slice(2);
const folder = mkdtempSync(join(tmpdir(), 'ct-theory-'));
const run = (tool, answers) => {
  const result = spawnSync(join(bin, tool), [], { cwd: folder, input: readFileSync(join(examples, 'answers', answers)) });
  assert.equal(result.status, 0, `${tool}: ${result.stderr}`);
};
const lines = (name) => readFileSync(join(folder, name), 'utf8').trim().split('\n').map(Number);
try {
  run('step_target', '15_step_target.txt'); // gain 2, 3 degrees, 256 × 256
  run('transfer_curve', '17_transfer_curve.txt'); // N = 256, Δ = 0.1
  const mtf = lines('n4-3.txt');
  let worst = 0;
  for (let i = 0; i / (2 * 256 * 0.1) <= 0.5; i++) worst = Math.max(worst, Math.abs(mtf[i] - sigmoidEdgeMtf(i / (2 * 256 * 0.1), 2)));
  assert.ok(worst < 4e-4, `the measured MTF departs from x / sinh x by ${worst}`);
  console.log(`MTF of the default edge: at most ${worst.toExponential(2)} from x / sinh x up to 0.5 cycles per pixel`);

  run('oval_draw', '18_oval_draw_flat.txt'); // a flat image of ones
  run('level_noise', '19_level_noise.txt'); // 20 dB: σ = 0.1
  run('noise_spectrum', '20_nnps_of_image.txt');
  const expected = whiteNoiseNnps(0.1, 1, 256, 256);
  for (const table of ['n4-4x.txt', 'n4-4y.txt']) {
    const values = lines(table);
    const mean = values.reduce((s, v) => s + v, 0) / values.length;
    assert.ok(Math.abs(mean / expected - 1) < 0.05, `${table}: mean NNPS ${mean} against ${expected}`);
  }
} finally {
  rmSync(folder, { recursive: true, force: true });
}
