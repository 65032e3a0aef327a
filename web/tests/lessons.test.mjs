// The lessons against the registry of programs: every lesson opens; the
// ct-chain lesson's answers are the example answer files (which the tools'
// help texts point to) line for line, and its table is the README's; a
// change of the photon count reruns exactly the noisy route; broken lessons
// are refused with what and where; with the native tools, the files of every
// step are those its dialogue's events name.
//   node web/tests/lessons.test.mjs TOOLS_JSON [NATIVE_BIN_DIR] [--print-table]

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { answerProblems, checkLesson, downstreamOf, expandLesson, filesOfEvents, fill, knobDefaults, lessonSteps, parseLesson } from '../lab/lesson.js';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const registry = JSON.parse(readFileSync(process.argv[2] || join(root, 'build/tools.json'), 'utf8'));
const lessonDir = join(root, 'lessons');
const lessons = readdirSync(lessonDir).filter((f) => f.endsWith('.json') && !f.endsWith('.schema.json'))
  .map((f) => JSON.parse(readFileSync(join(lessonDir, f), 'utf8')));
const chain = lessons.find((l) => l.id === 'ct-chain');
const seed = readdirSync(join(root, 'examples')).filter((f) => f.endsWith('.txt'));

// The README's table of the chain: one row per step of ct-chain.
function chainTable() {
  const code = (names) => (names.length ? names.map((n) => `\`${n}\``).join(', ') : '—');
  const rows = expandLesson(chain, registry).map((run) => {
    // A series of images (one per level or window) is named by its first.
    const series = (run.program.files || []).filter((f) => f.names).map((f) => f.names);
    const writes = run.writes.filter((name) => !series.some((names) => names.indexOf(name) > 0));
    const shown = code(writes).replace(/`([^`]*)`/g, (whole, name) => (series.some((s) => s[0] === name) ? `${whole} ...` : whole));
    return `| ${fill(run.step.summary.en, knobDefaults(chain))} | \`${run.step.answer_file}\` | \`${run.tool}\` | ${code(run.reads)} | ${shown} |`;
  });
  return ['| Step | Answer file | Tool | Reads | Writes |', '|---|---|---|---|---|', ...rows].join('\n');
}
if (process.argv.includes('--print-table')) {
  console.log(chainTable());
  process.exit(0);
}

// Every lesson opens, with texts in both languages.
assert.ok(lessons.length >= 4, 'ct-chain and the short lessons');
for (const lesson of lessons) assert.deepEqual(checkLesson(lesson, registry, seed), [], `lesson ${lesson.id}`);
assert.equal(new Set(lessons.map((l) => l.id)).size, lessons.length, 'every id once');

// The README's example lesson opens too.
const example = /A short lesson:\n\n```json\n([\s\S]*?)```/.exec(readFileSync(join(root, 'README.md'), 'utf8'));
assert.deepEqual(parseLesson(example[1], registry, seed).problems, [], 'the README\'s example lesson');

// ct-chain's answers at the default knobs are the example answer files.
const answerFiles = readdirSync(join(root, 'examples/answers')).sort();
const runs = expandLesson(chain, registry);
assert.deepEqual(runs.map((r) => r.step.answer_file).sort(), answerFiles, 'one step per example answer file');
for (const run of runs) {
  const file = readFileSync(join(root, 'examples/answers', run.step.answer_file), 'utf8');
  assert.equal(run.lines.map((line) => line + '\n').join(''), file, `${run.step.answer_file} is ${run.tool}'s answers in ct-chain`);
}

// The README's table is the lesson's.
const readme = readFileSync(join(root, 'README.md'), 'utf8');
assert.ok(readme.includes(chainTable() + '\n'), 'README.md holds the table of ct-chain (--print-table prints it)');

// Photons: the steps whose answers change, and the noisy reconstruction
// that reads their output; nothing of the 1,000,000-photon route.
const changed = (lesson, knob, value) => {
  const before = expandLesson(lesson, registry);
  const after = expandLesson(lesson, registry, { ...knobDefaults(lesson), [knob]: value });
  const differ = after.flatMap((run, i) => (run.lines.join('\n') !== before[i].lines.join('\n') ? [i] : []));
  return downstreamOf(after, differ).map((i) => `${after[i].number} ${after[i].tool}`);
};
assert.deepEqual(changed(chain, 'photons', 200),
  ['3 attenuate', '4 quantum_noise', '5 linearize', '6 raysum_quanta', '7 raysum_normal', '9 reconstruct']);
// A change at the top reruns what reads its output, directly or not.
const runsOf = (...pairs) => pairs.map(([reads, writes]) => ({ reads, writes }));
assert.deepEqual(downstreamOf(runsOf([[], ['a']], [['a'], ['b']], [['x'], ['y']], [['b'], ['c']], [['a'], ['b']], [['b'], ['d']]), [0]),
  [0, 1, 3, 4, 5]);
// A run that writes the file again takes over: later readers follow it alone.
assert.deepEqual(downstreamOf(runsOf([[], ['a']], [[], ['a']], [['a'], ['b']]), [0]), [0]);

// With the native tools: the files of every step as the lab finds them in
// the registry are those its dialogue's events name (--check-answers), no
// answer draws a warning, and one that would is refused with the tool's.
if (process.argv[3] && existsSync(process.argv[3])) {
  const folder = mkdtempSync(join(tmpdir(), 'ct-lessons-check-'));
  const check = async (tool, lines) => {
    const run = spawnSync(join(resolve(process.argv[3]), tool), ['--check-answers'], { cwd: folder, input: lines.map((l) => l + '\n').join(''), env: { ...process.env, CT_LANG: 'en' } });
    assert.equal(run.status, 0, `${tool} --check-answers: ${run.error || run.stderr}`);
    return { events: run.stdout.toString().trim().split('\n').map((line) => JSON.parse(line)) };
  };
  const sorted = ({ reads, writes }) => ({ reads: [...reads].sort(), writes: [...writes].sort() });
  for (const lesson of lessons) {
    for (const run of expandLesson(lesson, registry)) {
      const files = filesOfEvents((await check(run.tool, run.lines)).events);
      assert.deepEqual(sorted(files), sorted(run), `${lesson.id}, step ${run.number} (${run.tool})`);
    }
    assert.deepEqual(await answerProblems(lesson, registry, check), [], `${lesson.id}'s answers`);
  }
  const warned = structuredClone(chain);
  lessonSteps(warned)[1].answers.width = '25x';
  assert.deepEqual(await answerProblems(warned, registry, check),
    ['step 2 (raysum), answer "width": warning: the answer to "2. Image width" [25x] has extra characters after the number; 25 is used.']);
  assert.deepEqual(readdirSync(folder), [], 'checking answers touches no file');
  rmSync(folder, { recursive: true });
}

// Broken lessons: each problem says what and where.
const broken = (edit) => {
  const lesson = structuredClone(chain);
  edit(lesson, lessonSteps(lesson));
  return checkLesson(lesson, registry, seed);
};
// (what the step would have made is missing further down, and said so)
assert.equal(broken((l, s) => (s[1].tool = 'raysun'))[0], 'step 2 (raysun): there is no tool "raysun"');
assert.match(broken((l, s) => (s[2].answers.incidnt = 5)).join(), /^step 3 \(attenuate\): "incidnt" is not a question of this tool \(its keywords: input, output, bins, angles, incident\)$/);
assert.deepEqual(broken((l, s) => (s[2].answers.incident = '{photon}')), ['step 3 (attenuate), answer "incident": {photon} names no knob of the lesson']);
assert.deepEqual(broken((l, s) => (s[7].answers.input = 'n3-2.sino')), ['step 8 (reconstruct): reads n3-2.sino, which no earlier step makes']);
assert.deepEqual(broken((l) => (l.knobs[0].default = 50)), ['knob "photons": the default 50 is outside its range 100 to 1000000']);
assert.deepEqual(broken((l) => delete l.title.ja), ['the title needs a text in English ("en") and in Japanese ("ja")']);
assert.match(parseLesson('{"lesson": 1,', registry, seed).problems[0], /^the file is not JSON: /);
assert.deepEqual(parseLesson('{"lesson": 2}', registry, seed).problems, ['the lesson format is 2; this lab reads format 1 ("lesson": 1)']);

console.log(`lessons: ${lessons.length} lessons open; ct-chain's ${runs.length} steps are the example answer files and the README's table`);
