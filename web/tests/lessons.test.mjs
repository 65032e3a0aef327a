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
import { setLanguage } from '../lab/core/i18n.js';
import { compileSchema, readSchema } from '../schema_check.mjs';
import {
  answerProblems,
  checkLesson,
  downstreamOf,
  expandLesson,
  filesOfEvents,
  filesOfRun,
  fill,
  knobDefaults,
  lessonSteps,
  parseLesson,
  viewTexts,
} from '../lab/core/lesson.js';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const registry = JSON.parse(readFileSync(process.argv[2] || join(root, 'build/tools.json'), 'utf8'));
const lessonDir = join(root, 'lessons');
const lessons = readdirSync(lessonDir)
  .filter((f) => f.endsWith('.json') && !f.endsWith('.schema.json'))
  .map((f) => JSON.parse(readFileSync(join(lessonDir, f), 'utf8')));
const chain = lessons.find((l) => l.id === 'ct-chain');
const seed = readdirSync(join(root, 'examples')).filter((f) => f.endsWith('.txt') || f.endsWith('.dcm')); // as the lab carries them
const validate = compileSchema(readSchema(join(lessonDir, 'lesson.schema.json')));

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
for (const lesson of lessons) assert.deepEqual(checkLesson(lesson, registry, seed, validate), [], `lesson ${lesson.id}`);
assert.equal(new Set(lessons.map((l) => l.id)).size, lessons.length, 'every id once');

// The README's example lesson opens too.
const example = /A short lesson:\n\n```json\n([\s\S]*?)```/.exec(readFileSync(join(root, 'README.md'), 'utf8'));
assert.deepEqual(parseLesson(example[1], registry, seed, validate).problems, [], "the README's example lesson");

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
assert.deepEqual(changed(chain, 'photons', 200), ['3 attenuate', '4 quantum_noise', '5 linearize', '6 raysum_quanta', '7 raysum_normal', '9 reconstruct']);
// Can you see it?: the trials' photons rerun the trials and what reads them
// (every trial of the count answered, not the registry's two default names),
// down to the detectability step of their NNPS, whose MTF is a Gaussian (the
// edge's table unused); the noise level reruns the white-noise part alone,
// though both parts write n4-4_nnps.img.
const seeIt = lessons.find((l) => l.id === 'can-you-see-it');
assert.deepEqual(changed(seeIt, 'photons', 2000), ['8 detection_trials', '9 observer_study', '10 raw_region', '11 noise_spectrum', '12 detectability']);
assert.deepEqual(changed(seeIt, 'level', 20), ['5 level_noise', '6 noise_spectrum', '7 detectability']);
assert.equal(expandLesson(seeIt, registry)[8].reads.length, 600, 'observer_study reads every trial');
// A change at the top reruns what reads its output, directly or not.
const runsOf = (...pairs) => pairs.map(([reads, writes]) => ({ reads, writes }));
assert.deepEqual(downstreamOf(runsOf([[], ['a']], [['a'], ['b']], [['x'], ['y']], [['b'], ['c']], [['a'], ['b']], [['b'], ['d']]), [0]), [0, 1, 3, 4, 5]);
// A run that writes the file again takes over: later readers follow it alone.
assert.deepEqual(downstreamOf(runsOf([[], ['a']], [[], ['a']], [['a'], ['b']]), [0]), [0]);

// With the native tools: the files of every step as the lab finds them in
// the registry are those its dialogue's events name (--check-answers), no
// answer draws a warning, and one that would is refused with the tool's.
if (process.argv[3] && existsSync(process.argv[3])) {
  const folder = mkdtempSync(join(tmpdir(), 'ct-lessons-check-'));
  const check = async (tool, lines) => {
    const run = spawnSync(join(resolve(process.argv[3]), tool), ['--check-answers'], {
      cwd: folder,
      input: lines.map((l) => l + '\n').join(''),
      env: { ...process.env, CT_LANG: 'en' },
    });
    assert.equal(run.status, 0, `${tool} --check-answers: ${run.error || run.stderr}`);
    return {
      events: run.stdout
        .toString()
        .trim()
        .split('\n')
        .map((line) => JSON.parse(line)),
    };
  };
  const sorted = ({ reads, writes }) => ({ reads: [...reads].sort(), writes: [...writes].sort() });
  for (const lesson of lessons) {
    for (const run of expandLesson(lesson, registry)) {
      const files = filesOfEvents((await check(run.tool, run.lines)).events);
      assert.deepEqual(sorted(files), sorted(run), `${lesson.id}, step ${run.number} (${run.tool})`);
    }
    assert.deepEqual(await answerProblems(lesson, registry, check), [], `${lesson.id}'s answers`);
  }
  // Every program at its demo answers (at its defaults without them): the
  // page sends a run only the files these facts say it reads.
  for (const program of registry.programs) {
    const lines = program.demo_answers ? readFileSync(join(root, program.demo_answers), 'utf8').replace(/\n$/, '').split('\n') : [];
    const files = filesOfEvents((await check(program.name, lines)).events);
    assert.deepEqual(sorted(files), sorted(filesOfRun(program, lines)), `${program.name} at ${program.demo_answers}`);
  }
  const warned = structuredClone(chain);
  lessonSteps(warned)[1].answers.width = '25x';
  assert.deepEqual(await answerProblems(warned, registry, check), [
    'step 2 (raysum), answer "width": warning: the answer to "2. Image width" [25x] has extra characters after the number; 25 is used.',
  ]);
  assert.deepEqual(readdirSync(folder), [], 'checking answers touches no file');
  rmSync(folder, { recursive: true });
}

// Broken lessons: each problem says what and where.
const broken = (edit) => {
  const lesson = structuredClone(chain);
  edit(lesson, lessonSteps(lesson));
  return checkLesson(lesson, registry, seed, validate);
};
// (what the step would have made is missing further down, and said so)
assert.equal(broken((l, s) => (s[1].tool = 'raysun'))[0], 'step 2 (raysun): there is no tool "raysun"');
assert.match(
  broken((l, s) => (s[2].answers.incidnt = 5)).join(),
  /^step 3 \(attenuate\): "incidnt" is not a question of this tool \(its keywords: input, output, bins, angles, incident\)$/,
);
assert.deepEqual(
  broken((l, s) => (s[2].answers.incident = '{photon}')),
  ['step 3 (attenuate), answer "incident": {photon} names no knob of the lesson'],
);
assert.deepEqual(
  broken((l, s) => (s[7].answers.input = 'n3-2.sino')),
  ['step 8 (reconstruct): reads n3-2.sino, which no earlier step makes'],
);
assert.deepEqual(
  broken((l) => (l.knobs[0].default = 50)),
  ['knob "photons": the default 50 is outside its range 100 to 1000000'],
);
assert.deepEqual(
  broken((l) => delete l.title.ja),
  ['field "title": the field "ja" is missing'],
);
assert.match(parseLesson('{"lesson": 1,', registry, seed, validate).problems[0], /^the file is not JSON: /);
assert.deepEqual(parseLesson('{"lesson": 2}', registry, seed, validate).problems, ['the lesson format is 2; this lab reads format 1 ("lesson": 1)']);

// Careless and hostile lessons: refused with what and where, by the schema
// or beside it, before anything runs.
const only = (edit) => broken(edit);
assert.deepEqual(
  only((l) => {
    l.intro_text = l.intro;
    delete l.intro;
  }),
  ['the lesson: "intro_text" is not a field here (misspelt?)'],
);
assert.deepEqual(
  only((l, s) => {
    s[1].views = [{ picture: 'n3-2.prj', captoin: { en: 'x', ja: 'x' }, caption: { en: 'x', ja: 'x' } }];
  }),
  ['step 2 (raysum), view 1: "captoin" is not a field here (misspelt?)'],
);
assert.deepEqual(
  only((l, s) => {
    s[1].views = [{ picture: 'n3-2.prj', plot: 'n3-2.prj', caption: { en: 'x', ja: 'x' } }];
  }),
  ['step 2 (raysum), view 1: a view shows exactly one of picture, compare, region, plot, geometry or profile'],
);
assert.deepEqual(
  only((l, s) => {
    s[1].views = [{ picture: 'n3-2.prj', height: '{angles}', caption: { en: 'x', ja: 'x' } }];
  }),
  ['step 2 (raysum), view 1: {angles} names no knob of the lesson'],
);
assert.deepEqual(
  only((l, s) => {
    s[1].views = [{ picture: 'n3-2.prj', height: 'tall', caption: { en: 'x', ja: 'x' } }];
  }),
  ['step 2 (raysum), view 1, field "height": must be a whole number of pixels from 1 to 16384, or the name of an integer knob in braces'],
);
// A drawing's view number from a knob takes whole numbers; its file must be made.
assert.deepEqual(
  only((l, s) => {
    l.knobs.push({ name: 'turn', label: { en: 'Turn', ja: '回転' }, kind: 'real', default: 0.5, min: 0, max: 1 });
    s[1].views = [{ geometry: 'fan_geometry.txt', view_number: '{turn}', caption: { en: 'x', ja: 'x' } }];
  }),
  [
    'step 2 (raysum), view 1: shows fan_geometry.txt, which no step up to here makes',
    'step 2 (raysum), view 1: the knob "turn" gives a view number, so it must be an integer knob',
  ],
);
// A profile: of files made by earlier steps, at a row and columns inside
// the picture the lesson sizes, from a knob of whole numbers, texts in both
// languages.
const profile = (view) =>
  only((l, s) => {
    s[1].views = [{ profile: ['n3-2.img', 'n3-2.prj'], row: 128, caption: { en: 'x', ja: 'x' }, ...view }];
  });
assert.deepEqual(profile({}), []);
assert.deepEqual(profile({ profile: ['n3-2.img', 'n3-2_I0_{photons}.prj'] }), [
  'step 2 (raysum), view 1: shows n3-2_I0_2000.prj, which no step up to here makes',
]);
assert.deepEqual(profile({ width: 256, height: 256, row: 256, columns: [10, 300] }), [
  "step 2 (raysum), view 1: row 256 lies outside the picture's 256 rows",
  "step 2 (raysum), view 1: columns 10 to 300 do not lie within the picture's 256 columns, first to last",
]);
assert.deepEqual(profile({ height: 256, row: '{photons}' }), ["step 2 (raysum), view 1: row 1000000 lies outside the picture's 256 rows"]);
assert.deepEqual(profile({ caption: { en: 'x' } }), ['step 2 (raysum), view 1, field "caption": the field "ja" is missing']);
assert.deepEqual(profile({ row: undefined }), ['step 2 (raysum), view 1: needs "row" beside "profile"']);
assert.deepEqual(profile({ row: 'middle' }), ['step 2 (raysum), view 1, field "row": must be a row number from 0, or the name of an integer knob in braces']);
// A view in HU: a preset of the tools or [centre, width ≥ 1], water μ a positive number or a knob of positive numbers.
const inHu = (hu, knob = null) =>
  only((l, s) => {
    if (knob) l.knobs.push(knob);
    s[1].views = [{ picture: 'n3-2.img', hu, caption: { en: 'x', ja: 'x' } }];
  });
assert.deepEqual(inHu({ window: 'soft_tissue' }), []);
assert.deepEqual(inHu({ water_mu: 0.2, window: [40, 400] }), []);
assert.deepEqual(inHu({ window: 'softtissue' }), [
  `step 2 (raysum), view 1: no HU window preset "softtissue" (known: ${registry.window_presets.map((p) => p.name).join(', ')})`,
]);
assert.deepEqual(inHu({ window: [40, 0.5] }), [
  'step 2 (raysum), view 1, field "hu.window": must be the name of a window preset, or [centre, width] in HU with a width of 1 or more',
]);
assert.deepEqual(inHu({ water_mu: 0, window: 'lung' }), [
  'step 2 (raysum), view 1, field "hu.water_mu": must be a positive number, or the name of a knob in braces',
]);
assert.deepEqual(inHu({ water_mu: '{mu}', window: 'lung' }), ['step 2 (raysum), view 1: {mu} names no knob of the lesson']);
assert.deepEqual(inHu({ water_mu: '{mu}', window: 'lung' }, { name: 'mu', label: { en: 'mu', ja: 'mu' }, kind: 'real', default: 0.2, min: -1, max: 1 }), [
  'step 2 (raysum), view 1: water μ {mu} is not a positive number',
]);
assert.deepEqual(inHu({ centre: 40, window: 'lung' }), ['step 2 (raysum), view 1, field "hu": "centre" is not a field here (misspelt?)']);
assert.deepEqual(
  only((l, s) => {
    s[2].answers.incident = [[[[1]]]];
  }),
  ['step 3 (attenuate), answer "incident": must be a text or a number'],
);
assert.deepEqual(
  only((l) => {
    l.questions[0].text.ja = 'I0 = {photon}';
  }),
  ['question 1: {photon} names no knob of the lesson'],
);
assert.deepEqual(
  only((l, s) => {
    s[2].answers.bins = 2.5;
  }),
  ['step 3 (attenuate), answer "bins": 2.5 is not a whole number, and the question takes one'],
);
const named = (name) =>
  only((l, s) => {
    s[2].answers.output = name;
  });
assert.match(named('../x.img').join(), /^step 3 \(attenuate\), answer "output": the file name "..\/x.img" names a folder/);
assert.match(named('/dev/null').join(), /names a folder/);
assert.match(named('a\u0000b.prj').join(), /holds a control character/);
assert.match(named('\u202ex.prj').join(), /bidirectional or zero-width/);
assert.match(named('a\u200bb.prj').join(), /bidirectional or zero-width/);
assert.match(named('n'.repeat(252) + '.img').join(), /answer "output": is longer than 254 characters$/);
assert.match(named('é'.repeat(130)).join(), /has more than 254 bytes/);
assert.deepEqual(parseLesson('['.repeat(200000) + ']'.repeat(200000), registry, seed, validate).problems, [
  'the file nests lists and objects more than 24 levels deep; a lesson needs far fewer',
]);
assert.match(parseLesson(' '.repeat(2 * 1024 * 1024), registry, seed, validate).problems[0], /^the file has 2097152 bytes; a lesson may have at most 1048576$/);
const many = structuredClone(chain);
many.sections = Array.from({ length: 30 }, () => ({
  title: { en: 's', ja: 's' },
  steps: Array.from({ length: 10 }, () => structuredClone(lessonSteps(chain)[0])),
}));
assert.deepEqual(checkLesson(many, registry, seed, validate), ['the lesson has 300 steps; a lesson may have at most 200']);
const wide = structuredClone(chain);
wide.sections[0].steps = Array.from({ length: 101 }, () => structuredClone(lessonSteps(chain)[0]));
assert.deepEqual(checkLesson(wide, registry, seed, validate), ['section 1, field "steps": has more than 100 entries']);
// Captions that follow the values: the first variant that holds, else the
// view's own; digits grouped in prose only.
const nanView = lessonSteps(chain)[6].views[0];
const captionAt = (photons) => fill(viewTexts(nanView, { photons }).caption.en, { photons });
assert.match(captionAt(100), /NaN samples: behind the skull only about 2 % of the 100 photons/);
assert.match(captionAt(2501), /2,501 photons get through, 50 to 100 counts/);
assert.match(captionAt(1000000), /^Sinogram .* No NaN samples at 1,000,000 photons/);
assert.equal(fill('{a:grouped}|{a}|{b:grouped}|{c:grouped}', { a: 1234567.5, b: -999, c: 1e21 }), '1,234,567.5|1234567.5|-999|1e+21');
assert.deepEqual(
  only((l, s) => {
    s[2].answers.incident = '{photons:grouped}';
  }),
  ['step 3 (attenuate), answer "incident": {photons:grouped} groups digits for prose; an answer or a file name takes the plain {…}'],
);
assert.deepEqual(
  only((l, s) => {
    s[6].views[0].variants = [
      { when: { photon: { max: 3 } }, caption: { en: 'x', ja: 'x' } },
      { when: { photons: { min: 9, max: 3 } }, caption: { en: '{photon}', ja: 'x' } },
    ];
  }),
  [
    'step 7 (raysum_normal), view 1: {photon} names no knob of the lesson',
    'step 7 (raysum_normal), view 1: the condition names "photon", which is no knob of the lesson',
    'step 7 (raysum_normal), view 1: the condition on "photons" holds for no value (min 9 > max 3)',
  ],
);
assert.throws(() => checkLesson(chain, registry, seed), /validator/, 'a check without the schema is an error, not a pass');
// The same problems in Japanese, where and what.
globalThis.document = { documentElement: {} };
setLanguage('ja');
assert.deepEqual(
  only((l, s) => {
    s[1].views = [{ picture: 'n3-2.prj', captoin: { en: 'x', ja: 'x' }, caption: { en: 'x', ja: 'x' } }];
  }),
  ['第2段（raysum）、表示 1：「captoin」はここで使える項目ではありません（綴りの誤り？）'],
);
assert.match(named('../x.img').join(), /^第3段（attenuate）の答え「output」：ファイル名 "..\/x.img" はフォルダを指しています/);
setLanguage('en');

console.log(`lessons: ${lessons.length} lessons open; ct-chain's ${runs.length} steps are the example answer files and the README's table`);
