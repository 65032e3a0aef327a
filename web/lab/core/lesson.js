// Lessons: a chain of tool runs described once (lessons/*.json, format in
// lessons/lesson.schema.json) for the lab, the demo and the README. This
// module has no page in it: it checks a lesson against the registry of
// programs, turns it into runs for given knob values, and says which runs a
// change makes stale. The page, its build and the tests share it;
// scripts/lesson_plan turns a lesson into the demo's calls in Python.

import { fileNameProblem } from './file_names.js';
import { t } from './i18n.js';
import { joinPlaces, schemaProblems } from './schema_problems.js';

export const LESSON_FORMAT = 1;
// A lesson file opens at once or not at all: larger files, deeper nesting
// or more steps than any lesson needs are refused before they are read.
export const LESSON_LIMITS = { bytes: 1024 * 1024, depth: 24, steps: 200 };
const NAME = /^[a-z][a-z0-9_]*$/;
// {knob}, or in a text {knob:grouped}: the value with its thousands grouped.
const PLACEHOLDER = /\{([a-z][a-z0-9_]*)(:grouped)?\}/g;

// A knob's value as it is written into answers, file names and texts.
export const knobText = (value) => String(value);

// A number with a comma between groups of three digits of its whole part
// (1000000 -> 1,000,000), in both languages, as a reader of prose expects.
export function groupedText(value) {
  const text = knobText(value);
  const [, sign, whole, rest] = /^(-?)(\d+)(.*)$/.exec(text) || [null, '', '', text];
  if (!whole || /e/i.test(rest)) return text;
  return sign + whole.replace(/\B(?=(\d{3})+$)/g, ',') + rest;
}

// `template` with every {knob} replaced by its value; other text untouched.
export function fill(template, values) {
  return String(template).replace(PLACEHOLDER, (whole, name, grouped) => {
    if (!(name in values)) return whole;
    return grouped ? groupedText(values[name]) : knobText(values[name]);
  });
}

// Whether every knob `when` names lies within its {min, max} (both optional,
// both included).
export const conditionHolds = (when, values) =>
  Object.entries(when).every(([name, { min = -Infinity, max = Infinity }]) => values[name] >= min && values[name] <= max);

// A view's caption and note at the knobs' values: those of its first
// variant whose condition holds, or else its own. A text that would become
// false at some values (no NaN samples left at a high photon count) says so
// through its variants.
export function viewTexts(view, values) {
  const chosen = (view.variants || []).find((v) => conditionHolds(v.when, values));
  return chosen ? { caption: chosen.caption, note: chosen.note } : { caption: view.caption, note: view.note };
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

// Answer lines as a tool's standard input: one line each.
export const stdinText = (lines) => lines.map((line) => line + '\n').join('');

// A series numbered 1 … N with N the answer to another question (trial
// images): every name, as far as a run plans them ahead (SERIES_PLANNED),
// the count read as the dialogue reads an integer (its leading digits).
const SERIES_PLANNED = 1000;
const numbered = (entry, answer) => {
  const count = Math.min(Math.max(parseInt(answer, 10) || 0, 0), SERIES_PLANNED);
  return Array.from({ length: count }, (_, k) => entry.pattern.replace('{n}', String(k + 1)));
};

// The files a run of `program` with answer `lines` reads and writes, from
// the registry's list of its files (a name asked is the answer, or the
// default for Enter alone): {reads: [names], writes: [names]}. The tests
// check these against the events of the tools' --check-answers.
export function filesOfRun(program, lines) {
  const reads = [],
    writes = [];
  const asked = (number) => (lines[number - 1] ? lines[number - 1] : String(program.questions[number - 1].default));
  for (const entry of program.files || []) {
    // A series whose names follow the answers (iterative_recon's images after
    // chosen iterations) is known from the run's events alone: no lesson
    // step may read it, and a view shows it through the image it ends with.
    if (entry.from_answers) continue;
    // A file the answers leave unused (detectability's MTF table beside a Gaussian MTF).
    if (entry.used_when && !entry.used_when.values.includes(parseInt(asked(entry.used_when.question), 10))) continue;
    const names =
      entry.question !== undefined
        ? [asked(entry.question)]
        : entry.count !== undefined
          ? numbered(entry, asked(entry.count))
          : entry.names
            ? entry.names
            : [entry.name];
    (entry.use === 'read' ? reads : writes).push(...names);
  }
  // One question may have two facts (detectability's NPS: an image or a
  // table, as another answer chooses): its file is read once.
  return { reads: [...new Set(reads)], writes: [...new Set(writes)] };
}

// The same from the events of the run's dialogue (`TOOL --check-answers`):
// the files it would read (role input) and write (role output), but for a
// series the answers name, which filesOfRun leaves to the run's events too.
export function filesOfEvents(events) {
  const files = events.filter((e) => e.event === 'file' && !e.from_answers);
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
export const viewFiles = (view) => view.compare || view.profile || [view.picture || view.plot || view.region || view.geometry];

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

// {knob:grouped} is for prose: a tool reads 1,000,000 as 1, and a file name
// with commas is another file.
function groupedInName(text, where, problems) {
  const grouped = [...String(text).matchAll(PLACEHOLDER)].filter(([, , format]) => format);
  for (const [whole] of grouped) problems.push(t('lesson_grouped_not_here', { where, placeholder: whole }));
  return grouped.length > 0;
}

// A variant's condition: knobs that exist and take numbers, a range that
// is not empty.
function checkCondition(when, knobs, where, problems) {
  for (const [name, range] of Object.entries(when)) {
    const knob = knobs.get(name);
    if (!knob) problems.push(t('lesson_condition_unknown', { where, name }));
    else if (knob.kind === 'choice' && !knob.choices.every((c) => typeof c.value === 'number')) problems.push(t('lesson_condition_kind', { where, name }));
    else if (range.min !== undefined && range.max !== undefined && range.min > range.max)
      problems.push(t('lesson_empty_condition', { where, name, min: range.min, max: range.max }));
  }
}

// Every problem of a lesson, each saying what and where, in the page's
// language; an empty list for a lesson the lab can open. seed: the names of
// the files the page can put into the workspace (the examples); validate:
// the lesson schema's validator (schema_check.mjs in node, the bundled
// standalone one in the page). The schema is checked first; what it cannot
// say (the registry's tools and keywords, knobs, files, names) after it.
export function checkLesson(lesson, registry, seed, validate) {
  if (typeof validate !== 'function') throw new Error("checkLesson needs the lesson schema's validator");
  const problems = [];
  if (!lesson || typeof lesson !== 'object' || Array.isArray(lesson)) return [t('lesson_not_an_object')];
  if (lesson.lesson !== LESSON_FORMAT) return [t('lesson_bad_format', { found: JSON.stringify(lesson.lesson), format: LESSON_FORMAT })];
  const shape = schemaProblems(validate, lesson);
  if (shape.length) return shape;
  checkTexts(lesson.title, t('lesson_title'), problems);
  const knobs = new Map();
  for (const knob of lesson.knobs || []) {
    checkKnob(knob, problems);
    if (knobs.has(knob.name)) problems.push(t('lesson_duplicate_knob', { name: knob.name }));
    knobs.set(knob.name, knob);
  }
  for (const name of lesson.seed || []) {
    if (!seed.includes(name)) problems.push(t('lesson_unknown_seed', { name }));
    checkName(name, name, t('lesson_seed'), problems);
  }
  const stepCount = lesson.sections.reduce((n, section) => n + section.steps.length, 0);
  if (stepCount > LESSON_LIMITS.steps) return [...problems, t('lesson_too_many_steps', { count: stepCount, limit: LESSON_LIMITS.steps })];
  const byName = Object.fromEntries(registry.programs.map((p) => [p.name, p]));
  const values = Object.fromEntries([...knobs.values()].map((k) => [k.name, k.default]));
  const made = new Set(lesson.seed || []);
  const writer = new Map(); // a file made by a step -> that step's program
  for (const [texts, where] of lessonTexts(lesson)) {
    for (const language of ['en', 'ja']) if (texts && texts[language] !== undefined) unknownKnobs(texts[language], knobs, where, problems);
  }
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
        if (unknownKnobs(value, knobs, at, problems) || groupedInName(value, at, problems)) continue;
        if (question.kind === 'name') checkName(value, fill(value, values), at, problems);
        else checkNumberAnswer(value, question, knobs, at, problems);
      }
      const lines = answerLines(program, answers, values);
      const files = filesOfRun(program, lines);
      for (const name of files.reads) {
        if (!made.has(name)) problems.push(t('lesson_file_not_made', { where, name }));
      }
      for (const name of files.writes) {
        made.add(name);
        writer.set(name, program);
      }
      (step.views || []).forEach((view, v) => {
        const at = joinPlaces([where, t('schema_view', { n: v + 1 })]);
        for (const file of viewFiles(view)) {
          if (unknownKnobs(file, knobs, at, problems) || groupedInName(file, at, problems)) continue;
          checkName(file, fill(file, values), at, problems);
          if (!made.has(fill(file, values))) problems.push(t('lesson_view_not_made', { where: at, name: fill(file, values) }));
        }
        for (const side of ['width', 'height']) {
          if (typeof view[side] !== 'string') continue;
          const name = view[side].slice(1, -1);
          const knob = knobs.get(name);
          if (!knob) problems.push(t('lesson_unknown_knob', { where: at, name }));
          else if (!knobTakesIntegers(knob)) problems.push(t('lesson_size_knob', { where: at, name }));
        }
        if (view.region && (!view.at || !view.size)) problems.push(t('lesson_region_needs', { where: at }));
        // Stepping through iterations needs a run that writes images after them.
        if (view.iterations && view.picture) {
          const name = fill(view.picture, values);
          const program = writer.get(name);
          if (program && !(program.files || []).some((f) => f.from_answers))
            problems.push(t('lesson_iterations_no_series', { where: at, name, tool: program.name }));
        }
        // A drawing's view number, when a knob gives it, takes whole numbers only.
        if (typeof view.view_number === 'string') {
          const name = view.view_number.slice(1, -1);
          const knob = knobs.get(name);
          if (!knob) problems.push(t('lesson_unknown_knob', { where: at, name }));
          else if (!knobTakesIntegers(knob)) problems.push(t('lesson_view_number_knob', { where: at, name }));
        }
        if (view.profile) checkProfile(view, knobs, at, problems);
        if (view.hu) checkHounsfield(view.hu, knobs, registry, at, problems);
        for (const variant of view.variants || []) checkCondition(variant.when, knobs, at, problems);
      });
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

// Every text of a lesson with where it stands: [texts, where].
function lessonTexts(lesson) {
  const found = [
    [lesson.title, t('lesson_title')],
    [lesson.intro, t('lesson_intro')],
  ];
  for (const knob of lesson.knobs || []) found.push([knob.label, t('lesson_knob', { name: knob.name })], [knob.unit, t('lesson_knob', { name: knob.name })]);
  let number = 0;
  lesson.sections.forEach((section, s) => {
    found.push([section.title, t('lesson_section', { n: s + 1 })], [section.text, t('lesson_section', { n: s + 1 })]);
    for (const step of section.steps) {
      const where = t('lesson_step', { n: ++number, tool: step.tool });
      found.push([step.what, where], [step.summary, where]);
      (step.views || []).forEach((view, v) => {
        const at = joinPlaces([where, t('schema_view', { n: v + 1 })]);
        found.push([view.caption, at], [view.note, at], [view.x && view.x.label, at], [view.y && view.y.label, at]);
        for (const variant of view.variants || []) found.push([variant.caption, at], [variant.note, at]);
      });
    }
  });
  (lesson.questions || []).forEach((question, i) => found.push([question.text, t('lesson_question', { n: i + 1 })]));
  return found.filter(([texts]) => texts);
}

// An HU view's preset, one of the tools' (tools.json), and its water μ:
// a knob that gives it must exist and give only positive numbers.
function checkHounsfield(hu, knobs, registry, where, problems) {
  const presets = registry.window_presets || [];
  if (typeof hu.window === 'string' && !presets.some((p) => p.name === hu.window)) {
    problems.push(t('lesson_hu_preset', { where, name: hu.window, known: presets.map((p) => p.name).join(', ') }));
  }
  if (typeof hu.water_mu !== 'string') return;
  const name = hu.water_mu.slice(1, -1);
  const knob = knobs.get(name);
  if (!knob) problems.push(t('lesson_unknown_knob', { where, name }));
  else {
    const numbers = knob.kind === 'choice' ? (knob.choices || []).map((c) => c.value) : [knob.min, knob.max];
    if (!numbers.every((v) => typeof v === 'number' && v > 0)) problems.push(t('lesson_hu_water_mu', { where, value: hu.water_mu }));
  }
}

// A file name as written (`template`) and with the default knobs (`name`).
function checkName(template, name, where, problems) {
  const problem = fileNameProblem(String(template).includes('{') ? name : template);
  if (problem) problems.push(t('lesson_bad_file_name', { where, name: JSON.stringify(name), problem: t(problem) }));
}

// A profile's row and columns: a row knob of whole numbers, and, where the
// lesson gives the picture's size as a number, a row and columns inside it
// (at every value of the row's knob). A size the lesson leaves to the run
// is checked when the view is drawn.
function checkProfile(view, knobs, where, problems) {
  const height = typeof view.height === 'number' ? view.height : null;
  const width = typeof view.width === 'number' ? view.width : null;
  let rows = [view.row];
  if (typeof view.row === 'string') {
    const name = view.row.slice(1, -1);
    const knob = knobs.get(name);
    if (!knob) return problems.push(t('lesson_unknown_knob', { where, name }));
    if (!knobTakesIntegers(knob)) return problems.push(t('lesson_row_knob', { where, name }));
    rows = knob.kind === 'choice' ? knob.choices.map((c) => c.value) : [knob.min, knob.max];
  }
  for (const row of rows) if (row < 0 || (height !== null && row >= height)) problems.push(t('lesson_profile_row', { where, row, height: height ?? '?' }));
  if (view.columns) {
    const [first, last] = view.columns;
    if (first > last || (width !== null && last >= width)) problems.push(t('lesson_profile_columns', { where, first, last, width: width ?? '?' }));
  }
}

// A knob whose every value is a whole number.
function knobTakesIntegers(knob) {
  if (knob.kind === 'integer') return true;
  if (knob.kind === 'choice') return (knob.choices || []).every((c) => Number.isInteger(c.value));
  return false;
}

// A number question's answer: a whole number for an integer question, and
// a knob put into one only when all its values are whole numbers (a real
// knob of 2.5 would reach the tool as 2).
function checkNumberAnswer(value, question, knobs, where, problems) {
  if (question.kind !== 'integer') return;
  if (typeof value === 'number' && !Number.isInteger(value)) {
    problems.push(t('lesson_not_integer_answer', { where, value }));
    return;
  }
  for (const [, name] of String(value).matchAll(PLACEHOLDER)) {
    const knob = knobs.get(name);
    if (knob && !knobTakesIntegers(knob)) problems.push(t('lesson_kind_mismatch', { where, name, kind: knob.kind }));
  }
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

// How deeply the JSON text nests arrays and objects (strings skipped).
export function nestingDepth(text) {
  let depth = 0,
    deepest = 0,
    inString = false;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (inString) {
      if (c === '\\') i++;
      else if (c === '"') inString = false;
    } else if (c === '"') inString = true;
    else if (c === '{' || c === '[') deepest = Math.max(deepest, ++depth);
    else if (c === '}' || c === ']') depth--;
  }
  return deepest;
}

// A lesson from the text of a file: {lesson, problems}. Too large or too
// deep a text is refused before it is parsed.
export function parseLesson(text, registry, seed, validate) {
  const bytes = new TextEncoder().encode(text).length;
  if (bytes > LESSON_LIMITS.bytes) return { lesson: null, problems: [t('lesson_too_large', { size: bytes, limit: LESSON_LIMITS.bytes })] };
  if (nestingDepth(text) > LESSON_LIMITS.depth) return { lesson: null, problems: [t('lesson_too_deep', { limit: LESSON_LIMITS.depth })] };
  let lesson;
  try {
    lesson = JSON.parse(text);
  } catch (error) {
    return { lesson: null, problems: [t('lesson_not_json', { message: error.message })] };
  }
  return { lesson, problems: checkLesson(lesson, registry, seed, validate) };
}
