// Every lesson at one knob's end, in the page and from Python: the lab moves
// the knob and runs all steps; ctlesson (python/ctlesson.py) runs the same
// lesson at the same value with the node launchers of the same WebAssembly
// module. Both hosts fill the answers from the lesson on their own, so the
// same bytes in every file mean the page's knob reached every answer.
// The lessons take turns: the first knob's maximum, the second's minimum …
// (a choice knob's last or first choice), so that across the lessons both
// ends are met.
//   node web/tests/lab_knob_sample.test.mjs PAGE LAUNCHER_DIR SOURCE_DIR

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { expectSameFiles, openLab, workspaceFiles } from './browser.mjs';

const [pagePath, launchers, source] = process.argv.slice(2);
const lessonsDir = join(source, 'lessons');
const lessons = readdirSync(lessonsDir)
  .filter((name) => name.endsWith('.json') && !name.endsWith('.schema.json'))
  .sort()
  .map((name) => JSON.parse(readFileSync(join(lessonsDir, name), 'utf8')))
  .filter((lesson) => (lesson.knobs || []).length > 0);

// The sample of lesson i: knob i mod (its knobs), at its maximum for an even
// i and its minimum for an odd one.
function sample(lesson, i) {
  const knob = lesson.knobs[i % lesson.knobs.length];
  const values = knob.kind === 'choice' ? knob.choices.map((c) => c.value) : [knob.min, knob.max];
  return { name: knob.name, value: i % 2 === 0 ? values.at(-1) : values[0] };
}

const lab = await openLab(pagePath);
const { page } = lab;
const scratch = mkdtempSync(join(tmpdir(), 'ct-knob-sample-'));
try {
  for (const [i, lesson] of lessons.entries()) {
    const { name, value } = sample(lesson, i);
    assert.deepEqual(await page.evaluate((id) => window.ctLab.openLesson(id), lesson.id), { ok: true, problems: [] });
    const moved = await page.evaluate((n, v) => window.ctLab.setKnob(n, v), name, value);
    assert.equal(moved.ok, true, `${lesson.id}: ${name} = ${value}: ${moved.reason || ''}`);
    const ran = await page.evaluate(() => window.ctLab.runLesson());
    assert.equal(ran.ok, true, `${lesson.id} at ${name} = ${value}: ${JSON.stringify(ran)}`);
    const states = await page.$$eval('.step', (cards) => cards.map((c) => c.dataset.state));
    assert.deepEqual(
      states,
      states.map(() => 'done'),
      `${lesson.id} at ${name} = ${value}`,
    );

    const folder = join(scratch, lesson.id);
    execFileSync('/usr/bin/python3', ['-m', 'ctlesson', lesson.id, folder, '--knob', `${name}=${value}`, '--tools', launchers, '--lang', 'en'], {
      env: { ...process.env, PYTHONPATH: join(source, 'python'), PYTHONWARNINGS: 'ignore' },
      stdio: ['ignore', 'ignore', 'inherit'],
    });
    const expected = Object.fromEntries(readdirSync(folder).map((f) => [f, readFileSync(join(folder, f))]));
    const shown = await workspaceFiles(page);
    const actual = Object.fromEntries(Object.keys(expected).map((f) => [f, shown[f]]));
    expectSameFiles(actual, expected);
    console.log(`ok  ${lesson.id} at ${name} = ${value}: ${states.length} steps, ${Object.keys(expected).length} files as ctlesson's`);
  }
  assert.deepEqual(lab.errors, [], 'errors in the page');
} finally {
  rmSync(scratch, { recursive: true, force: true });
  await lab.close();
}
