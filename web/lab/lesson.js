// Lessons: a chain of tool runs described once (lessons/*.json, format in
// lessons/lesson.schema.json) for the lab, the demo and the README. This
// module has no page in it: it checks a lesson against the registry of
// programs, turns it into runs for given knob values, and says which runs a
// change makes stale. The page, its build and the tests share it;
// scripts/lesson_plan turns a lesson into the demo's calls in Python.

import { t } from './i18n.js';

export const LESSON_FORMAT = 1;
const NAME = /^[a-z][a-z0-9_]*$/;
const PLACEHOLDER = /\{([a-z][a-z0-9_]*)\}/g;

// A knob's value as it is written into answers, file names and texts.
export const knobText = (value) => String(value);

// `template` with every {knob} replaced by its value; other text untouched.
export function fill(template, values) {
  return String(template).replace(PLACEHOLDER, (whole, name) => (name in values ? knobText(values[name]) : whole));
}

// A bilingual text ({en, ja}) in `language`, with the knobs' values filled in.
export const lessonText = (texts, language, values = {}) => (texts ? fill(texts[language] ?? texts.en ?? '', values) : '');

export const knobDefaults = (lesson) => Object.fromEntries((lesson.knobs || []).map((k) => [k.name, k.default]));

export const lessonSteps = (lesson) => lesson.sections.flatMap((section) => section.steps);

// The answer lines of one run: one per question up to the last answered,
// an empty line (Enter, the default) for a question the lesson leaves out.
export function answerLines(program, answers, values) {
  const lines = program.questions.map((q) => (q.keyword in answers ? fill(answers[q.keyword], values) : ''));
  while (lines.length > 0 && lines[lines.length - 1] === '') lines.pop();
  return lines;
}

// The files a run of `program` with answer `lines` reads and writes, from
// the registry's list of its files (a name asked is the answer, or the
// default for Enter alone): {reads: [names], writes: [names]}. The tests
// check these against the events of the tools' --check-answers.
export function filesOfRun(program, lines) {
  const reads = [], writes = [];
  const asked = (number) => (lines[number - 1] ? lines[number - 1] : String(program.questions[number - 1].default));
  for (const entry of program.files || []) {
    const names = entry.question !== undefined ? [asked(entry.question)] : entry.names ? entry.names : [entry.name];
    (entry.use === 'read' ? reads : writes).push(...names);
  }
  return { reads, writes };
}

// The same from the events of the run's dialogue (`TOOL --check-answers`):
// the files it would read (role input) and write (role output).
export function filesOfEvents(events) {
  const files = events.filter((e) => e.event === 'file');
  return { reads: files.filter((e) => e.role === 'input').map((e) => e.name), writes: files.filter((e) => e.role === 'output').map((e) => e.name) };
}

// The lesson's runs for the knob values: [{number, section, tool, program,
// lines, reads, writes, step}] in order.
export function expandLesson(lesson, registry, values = knobDefaults(lesson)) {
  const byName = Object.fromEntries(registry.programs.map((p) => [p.name, p]));
  const runs = [];
  lesson.sections.forEach((section, s) => {
    for (const step of section.steps) {
      const program = byName[step.tool];
      const lines = answerLines(program, step.answers || {}, values);
      runs.push({ number: runs.length + 1, section: s, tool: step.tool, program, lines, ...filesOfRun(program, lines), step });
    }
  });
  return runs;
}

// The runs to repeat when runs `changed` (indices) change: those and every
// run that reads, directly or through others, a file one of them writes, in
// the lesson's order. A run depends on the last earlier run that writes a
// file it reads. runs: [{reads, writes}].
export function downstreamOf(runs, changed) {
  const stale = new Set(changed);
  const lastWriter = new Map();
  runs.forEach((run, j) => {
    if (!stale.has(j) && run.reads.some((name) => stale.has(lastWriter.get(name)))) stale.add(j);
    for (const name of run.writes) lastWriter.set(name, j);
  });
  return [...stale].sort((a, b) => a - b);
}

// The files a view shows.
export const viewFiles = (view) => (view.compare ? view.compare : [view.picture || view.plot || view.region]);

function checkTexts(texts, where, problems) {
  if (!texts || typeof texts.en !== 'string' || typeof texts.ja !== 'string' || !texts.en.trim() || !texts.ja.trim()) {
    problems.push(t('lesson_needs_texts', { where }));
  }
}

function checkKnob(knob, problems) {
  const where = t('lesson_knob', { name: knob.name });
  if (!NAME.test(knob.name || '')) problems.push(t('lesson_bad_name', { where, name: knob.name }));
  checkTexts(knob.label, where, problems);
  if (knob.kind === 'choice') {
    if (!Array.isArray(knob.choices) || knob.choices.length === 0) problems.push(t('lesson_no_choices', { where }));
    else if (!knob.choices.some((c) => c.value === knob.default)) problems.push(t('lesson_default_not_a_choice', { where }));
    return;
  }
  if (knob.kind !== 'integer' && knob.kind !== 'real') {
    problems.push(t('lesson_bad_kind', { where, kind: knob.kind }));
    return;
  }
  const numbers = [knob.default, knob.min, knob.max];
  if (!numbers.every(Number.isFinite) || (knob.kind === 'integer' && !numbers.every(Number.isInteger))) {
    problems.push(t('lesson_knob_numbers', { where, kind: knob.kind }));
  } else if (!(knob.min <= knob.default && knob.default <= knob.max)) {
    problems.push(t('lesson_out_of_range', { where, value: knob.default, min: knob.min, max: knob.max }));
  }
  if (knob.scale === 'log' && !(knob.min > 0)) problems.push(t('lesson_log_scale', { where }));
  if (knob.scale !== undefined && knob.scale !== 'log' && knob.scale !== 'linear') problems.push(t('lesson_bad_scale', { where, scale: knob.scale }));
}

// Placeholders in `text` that name no knob: says so, and whether there were any.
function unknownKnobs(text, knobs, where, problems) {
  const unknown = [...String(text).matchAll(PLACEHOLDER)].filter(([, name]) => !knobs.has(name));
  for (const [, name] of unknown) problems.push(t('lesson_unknown_knob', { where, name }));
  return unknown.length > 0;
}

// Every problem of a lesson, each saying what and where, in the page's
// language; an empty list for a lesson the lab can open. seed: the names of
// the files the page can put into the workspace (the examples).
export function checkLesson(lesson, registry, seed = []) {
  const problems = [];
  if (!lesson || typeof lesson !== 'object' || Array.isArray(lesson)) return [t('lesson_not_an_object')];
  if (lesson.lesson !== LESSON_FORMAT) return [t('lesson_bad_format', { found: JSON.stringify(lesson.lesson), format: LESSON_FORMAT })];
  if (!/^[a-z0-9][a-z0-9-]*$/.test(lesson.id || '')) problems.push(t('lesson_bad_id', { id: lesson.id }));
  checkTexts(lesson.title, t('lesson_title'), problems);
  const knobs = new Map();
  for (const knob of lesson.knobs || []) {
    checkKnob(knob, problems);
    if (knobs.has(knob.name)) problems.push(t('lesson_duplicate_knob', { name: knob.name }));
    knobs.set(knob.name, knob);
  }
  for (const name of lesson.seed || []) if (!seed.includes(name)) problems.push(t('lesson_unknown_seed', { name }));
  if (!Array.isArray(lesson.sections) || lesson.sections.length === 0) return [...problems, t('lesson_no_steps')];
  const byName = Object.fromEntries(registry.programs.map((p) => [p.name, p]));
  const values = Object.fromEntries([...knobs.values()].map((k) => [k.name, k.default]));
  const made = new Set(lesson.seed || []);
  let number = 0;
  lesson.sections.forEach((section, s) => {
    checkTexts(section.title, t('lesson_section', { n: s + 1 }), problems);
    for (const step of section.steps || []) {
      number++;
      const where = t('lesson_step', { n: number, tool: step.tool });
      const program = byName[step.tool];
      if (!program) {
        problems.push(t('lesson_unknown_tool', { where, tool: step.tool }));
        continue;
      }
      const answers = step.answers || {};
      for (const [keyword, value] of Object.entries(answers)) {
        const question = program.questions.find((q) => q.keyword === keyword);
        const at = t('lesson_answer', { where, keyword });
        if (!question) {
          const known = program.questions.map((q) => q.keyword).join(', ');
          problems.push(t('lesson_unknown_keyword', { where, keyword, known }));
          continue;
        }
        unknownKnobs(value, knobs, at, problems);
      }
      const lines = answerLines(program, answers, values);
      const files = filesOfRun(program, lines);
      for (const name of files.reads) {
        if (!made.has(name)) problems.push(t('lesson_file_not_made', { where, name }));
      }
      for (const name of files.writes) made.add(name);
      for (const view of step.views || []) {
        for (const file of viewFiles(view)) {
          unknownKnobs(file, knobs, where, problems);
          if (!made.has(fill(file, values))) problems.push(t('lesson_view_not_made', { where, name: fill(file, values) }));
        }
        for (const texts of [view.caption, view.note]) if (texts) unknownKnobs(texts.en, knobs, where, problems);
      }
    }
  });
  (lesson.questions || []).forEach((question, i) => {
    const where = t('lesson_question', { n: i + 1 });
    checkTexts(question.text, where, problems);
    const expect = question.expect;
    if (expect && !(Number.isFinite(expect.min) && Number.isFinite(expect.max) && expect.min <= expect.max)) {
      problems.push(t('lesson_bad_expect', { where }));
    }
  });
  if (number === 0) problems.push(t('lesson_no_steps'));
  return problems;
}

// The warnings the tools would give about a lesson's answers at its default
// knobs, from the events of their dialogues: check(tool, lines) resolves
// to {events} (the page's session.check, or a tool's --check-answers).
export async function answerProblems(lesson, registry, check) {
  const problems = [];
  for (const run of expandLesson(lesson, registry)) {
    const { events } = await check(run.tool, run.lines);
    for (const e of events) {
      if (e.event === 'answer' && e.warning && e.keyword in (run.step.answers || {})) {
        const where = t('lesson_step', { n: run.number, tool: run.tool });
        problems.push(`${t('lesson_answer', { where, keyword: e.keyword })}: ${e.warning.text}`);
      }
    }
  }
  return problems;
}

// A lesson from the text of a file: {lesson, problems}.
export function parseLesson(text, registry, seed) {
  let lesson;
  try {
    lesson = JSON.parse(text);
  } catch (error) {
    return { lesson: null, problems: [t('lesson_not_json', { message: error.message })] };
  }
  return { lesson, problems: checkLesson(lesson, registry, seed) };
}
