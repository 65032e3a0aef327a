// The guided lab: one lesson at a time (ct-chain, the demo's chain, and the
// others), its knobs, its steps with their answers filled in, their
// pictures and plots, and its questions. A change of a knob or an answer
// reruns exactly the steps downstream of it, in order; with Live on, a new
// change cancels the run it made stale. Instructors open their own lesson
// files (picker or drop) and save the lab with the lesson as one page.

import { clear, h } from './dom.js';
import { ProgramForm } from './forms.js';
import { currentLanguage, onLanguage, t } from '../core/i18n.js';
import { LessonRun } from '../core/lesson_run.js';
import { isZip, readCourse } from '../core/course.js';
import { answerProblems, expandLesson, filesOfRun, fill, knobDefaults, LESSON_LIMITS, lessonText, parseLesson, viewFiles, viewTexts } from '../core/lesson.js';
import { ITERATION_STAGE, iterationData, pictureSeries } from '../core/iterations.js';
import { drawPlot, plotOfTables } from './plots.js';
import { lessonFigure } from './lesson_figures.js';
import { knobValue } from '../core/knob_values.js';
import { KnobPanel } from './knob_panel.js';
import { RunPanel } from './run_panel.js';

const STORED_LESSON = 'ct-lab-lesson';
const sameText = (a, b) => a.length === b.length && a.every((byte, i) => byte === b[i]);
const STORED_KNOBS = 'ct-lab-knobs-'; // + the lesson's id
const STORED_LIVE = 'ct-lab-live-'; // + the lesson's id: '1' or '0'
const LESSON_SUFFIX = '.lesson.json';
// What the title of a lesson opened beside a built-in one of the same id adds, in both languages.
const OWN_TITLE = { en: ' (opened from a file)', ja: '（ファイルから開いた版）' };
// What the next visit starts from (the files stay in the workspace): the
// lesson open last and its knobs' values, so that texts match the files.
function remember(key, value) {
  try {
    if (value === null) localStorage.removeItem(key);
    else localStorage.setItem(key, value);
  } catch {
    // not remembered: the next visit starts from the first lesson and the defaults
  }
}
function recalled(key) {
  try {
    return localStorage.getItem(key);
  } catch {
    return null;
  }
}

// The lesson's knob values remembered for it, each still a value of its knob.
function recalledValues(lesson) {
  const values = knobDefaults(lesson);
  let stored = {};
  try {
    stored = JSON.parse(recalled(STORED_KNOBS + lesson.id) || '{}');
  } catch {
    // a damaged entry: the defaults
  }
  for (const knob of lesson.knobs || []) {
    if (!(knob.name in stored)) continue;
    const { value } = knobValue(knob, String(stored[knob.name]));
    if (value !== null) values[knob.name] = value;
  }
  return values;
}

export class GuidedView {
  // library: {lessons: [lesson], examples: {name: text}, registry}
  // app: {openPicture(name, window), openPlot(name, log), savePage()}
  constructor(session, library, app) {
    this.session = session;
    this.library = library;
    this.app = app;
    this.lessons = new Map(library.lessons.map((l) => [l.id, l]));
    this.steps = [];
    this.lessonRun = null; // the open lesson's runs (core/lesson_run.js)
    this.courseFiles = new Map(); // name -> {bytes, format, shape} of the courses opened
    this.lessonSelect = h('select', { id: 'lesson-select', onchange: () => this.open(this.lessons.get(this.lessonSelect.value)) });
    this.lessonLabel = h('label', { for: 'lesson-select' }, t('lesson'));
    this.fileInput = h('input', {
      type: 'file',
      id: 'lesson-file',
      accept: '.json,application/json,.zip,application/zip',
      onchange: () => this.openFiles(this.fileInput.files),
    });
    this.openLabel = h('label', { for: 'lesson-file', className: 'button-like' }, t('open_lesson'));
    this.saveButton = h('button', { type: 'button', id: 'save-page', onclick: () => this.app.savePage() }, t('save_page'));
    this.dropHint = h('p', { className: 'hint' }, t('drop_lesson'));
    this.problems = h('div', { className: 'lesson-problems', role: 'alert' });
    this.body = h('div', { className: 'lesson-body' });
    this.element = h(
      'section',
      { className: 'view', id: 'view-guided', 'aria-labelledby': 'tab-guided' },
      h(
        'div',
        { className: 'toolbar lesson-bar' },
        h('span', { className: 'control' }, this.lessonLabel, this.lessonSelect),
        this.fileInput,
        this.openLabel,
        this.saveButton,
      ),
      this.dropHint,
      this.problems,
      this.body,
    );
    this.element.addEventListener('dragover', (event) => event.preventDefault());
    this.element.addEventListener('drop', (event) => {
      event.preventDefault();
      this.openFiles(event.dataTransfer.files);
    });
    // Cancel stays available while the lesson has anything to run, between its tools too.
    session.onRun((event) => {
      if (this.cancelButton) this.cancelButton.disabled = event.state !== 'started' && !(this.lessonRun && this.lessonRun.busy);
    });
    onLanguage(() => this.relabel());
  }

  // Adds the lessons an instructor opened earlier (kept in the workspace),
  // then opens `first`, the lesson chosen last, or the first one.
  async start(first) {
    for (const record of await this.session.workspace.all()) {
      if (!record.name.endsWith(LESSON_SUFFIX)) continue;
      const { lesson, problems } = this.parse(new TextDecoder().decode(record.bytes), await this.seedNames());
      if (problems.length > 0) continue;
      this.ownId(lesson); // one kept before built-in ids were protected opens beside the built-in one
      this.lessons.set(lesson.id, lesson);
    }
    this.open(first || this.lessons.get(recalled(STORED_LESSON)) || this.lessons.values().next().value);
  }

  parse(text, seed) {
    return parseLesson(text, this.library.registry, seed, this.library.validateLesson);
  }

  // The files a lesson may start from: the lab's examples and whatever the
  // workspace holds (a course's data files among them).
  async seedNames() {
    return [...Object.keys(this.library.examples), ...(await this.session.workspace.all()).map((r) => r.name)];
  }

  // Opens a lesson given as the id of a known lesson or as its JSON text: {ok, problems}.
  async openLesson(idOrText) {
    if (this.lessons.has(idOrText)) {
      this.open(this.lessons.get(idOrText));
      return { ok: true, problems: [] };
    }
    if (/^\s*\{/.test(idOrText)) return this.openText(idOrText);
    return this.refuse([t('lesson_unknown_id', { id: idOrText, known: [...this.lessons.keys()].join(', ') })]);
  }

  // A lesson file's text: checked, opened and (keep) kept in the workspace.
  async openText(text, { keep = true, source = '' } = {}) {
    const { lesson, problems } = this.parse(text, await this.seedNames());
    // What the tools would warn about its answers, from their dialogues' events.
    if (!problems.length && this.library.check) problems.push(...(await answerProblems(lesson, this.library.registry, this.library.check)));
    if (problems.length) return this.refuse(problems, source);
    const same = this.builtInAsItIs(lesson);
    if (same) {
      this.open(same);
      return { ok: true, problems: [], id: same.id };
    }
    const builtIn = await this.add(lesson, keep ? text : null);
    this.open(lesson);
    const title = lessonText(lesson.title, currentLanguage());
    this.problems.replaceChildren(
      h('p', { className: 'hint' }, builtIn ? t('lesson_opened_beside', { title, builtIn, id: lesson.id }) : t('lesson_opened', { title })),
    );
    return { ok: true, problems: [], id: lesson.id };
  }

  // Lists a lesson that has been checked and keeps it in the workspace (its
  // `text`, unless null) as ID.lesson.json; returns the built-in id it gave
  // way to, or null.
  async add(lesson, text) {
    if (this.builtInAsItIs(lesson)) return null; // listed already, as it is
    const builtIn = this.ownId(lesson);
    this.lessons.set(lesson.id, lesson);
    if (text !== null) {
      await this.keepFile(lesson.id + LESSON_SUFFIX, new TextEncoder().encode(builtIn ? JSON.stringify(lesson, null, 2) + '\n' : text), { format: 'text' });
    }
    return builtIn;
  }

  // The built-in lesson that `lesson` is a copy of (a page saved with it, a
  // course that hands it out), or undefined.
  builtInAsItIs(lesson) {
    return this.library.lessons.find((l) => l.id === lesson.id && JSON.stringify(l) === JSON.stringify(lesson));
  }

  // Puts a file into the workspace; one of that name that holds something
  // else goes to the bin first.
  async keepFile(name, bytes, { format, shape = null }) {
    const existing = await this.session.workspace.get(name);
    if (existing && sameText(existing.bytes, bytes)) return;
    if (existing) await this.session.workspace.remove(name);
    await this.session.upload(name, bytes, { format, shape });
  }

  // A course file's bytes (a ZIP): its lessons listed and kept, its data
  // files put into the workspace, its first lesson opened; or refused with
  // every problem, nothing of it used.
  async openCourse(bytes, { source = '' } = {}) {
    const validators = { lesson: this.library.validateLesson, course: this.library.validateCourse };
    const { course, lessons, files, problems } = readCourse(bytes, this.library.registry, Object.keys(this.library.examples), validators);
    if (problems.length) return this.refuse(problems, source);
    if (this.library.check) {
      for (const lesson of lessons) {
        problems.push(...(await answerProblems(lesson, this.library.registry, this.library.check)).map((p) => `${lesson.id}: ${p}`));
      }
      if (problems.length) return this.refuse(problems, source);
    }
    for (const file of files) {
      this.courseFiles.set(file.name, file);
      await this.keepFile(file.name, file.bytes, file);
    }
    for (const lesson of lessons) await this.add(lesson, JSON.stringify(lesson, null, 2) + '\n');
    const first = this.builtInAsItIs(lessons[0]) || lessons[0];
    this.open(first);
    this.problems.replaceChildren(
      h('p', { className: 'hint' }, t('course_opened', { title: lessonText(course.title, currentLanguage()), lessons: lessons.length, files: files.length })),
    );
    return { ok: true, problems: [], id: first.id, lessons: lessons.map((l) => l.id) };
  }

  // A lesson whose id is a built-in lesson's opens beside it under an id of
  // its own (ID-own, ID-own-2, …) and a title that says so: the lab's own
  // lessons are never replaced. Returns the built-in id it gave way to, or null.
  ownId(lesson) {
    const builtIn = lesson.id;
    if (!this.library.lessons.some((l) => l.id === builtIn)) return null;
    let id = `${builtIn}-own`;
    for (let n = 2; this.library.lessons.some((l) => l.id === id); n++) id = `${builtIn}-own-${n}`;
    lesson.id = id;
    lesson.title = { en: `${lesson.title.en}${OWN_TITLE.en}`, ja: `${lesson.title.ja}${OWN_TITLE.ja}` };
    return builtIn;
  }

  refuse(problems, source = '') {
    clear(
      this.problems,
      h('p', {}, `${source ? source + ': ' : ''}${t('lesson_refused')}`),
      h(
        'ul',
        {},
        problems.map((p) => h('li', {}, p)),
      ),
    );
    return { ok: false, problems };
  }

  async openFiles(files) {
    for (const file of files || []) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      if (isZip(bytes)) await this.openCourse(bytes, { source: file.name });
      else if (bytes.length > LESSON_LIMITS.bytes) this.refuse([t('lesson_too_large', { size: bytes.length, limit: LESSON_LIMITS.bytes })], file.name);
      else await this.openText(new TextDecoder().decode(bytes), { source: file.name });
    }
    this.fileInput.value = '';
  }

  open(lesson) {
    if (this.lessonRun && this.lessonRun.busy) this.cancel();
    this.lesson = lesson;
    this.lessonRun = new LessonRun(lesson, this.library.registry, this.host(), recalledValues(lesson));
    this.problems.replaceChildren();
    remember(STORED_LESSON, lesson.id);
    this.refreshLessonList();
    this.steps = [];
    this.title = h('h2', { className: 'lesson-title' });
    this.intro = h('p', { className: 'lesson-intro' });
    // Live starts on in every lesson (a change shows its result at once), and
    // each lesson remembers the learner's choice.
    const live = recalled(STORED_LIVE + lesson.id);
    this.knobPanel = new KnobPanel(lesson.knobs || [], this.values, (changes) => this.changeKnobs(changes), {
      live: live === null ? true : live === '1',
      onLive: (on) => remember(STORED_LIVE + lesson.id, on ? '1' : '0'),
    });
    this.runAllButton = h('button', { type: 'button', className: 'primary', id: 'run-all', onclick: () => this.runAll() }, t('run_all'));
    this.cancelButton = h('button', { type: 'button', disabled: !this.lessonRun.busy && !this.session.runner.busy, onclick: () => this.cancel() }, t('cancel'));
    this.resetButton = h('button', { type: 'button', onclick: () => this.reset() }, t('reset_lab'));
    this.status = h('p', { className: 'status', id: 'guided-status', role: 'status', 'aria-live': 'polite' });
    this.statusText = null;
    const runs = expandLesson(lesson, this.library.registry, this.values);
    this.sectionHeadings = [];
    const sections = lesson.sections.map((section, s) => {
      const heading = h('h2', {});
      const text = h('p', { className: 'section-text' });
      this.sectionHeadings.push({ section, heading, text, number: s + 1 });
      return [heading, text, runs.filter((run) => run.section === s).map((run) => this.stepCard(run))];
    });
    this.questions = this.questionList(lesson.questions || []);
    clear(
      this.body,
      this.title,
      this.intro,
      this.knobPanel.element,
      h('div', { className: 'toolbar sticky' }, this.runAllButton, this.cancelButton, this.resetButton),
      this.status,
      sections.flat(2),
      this.questions.element,
    );
    this.relabelLesson();
    this.seed();
    this.showStoredResults();
    if (this.app.lessonOpened) this.app.lessonOpened();
  }

  refreshLessonList() {
    const language = currentLanguage();
    clear(
      this.lessonSelect,
      [...this.lessons.values()].map((l) => h('option', { value: l.id }, lessonText(l.title, language))),
    );
    if (this.lesson) this.lessonSelect.value = this.lesson.id;
  }

  stepCard(run) {
    const form = new ProgramForm(run.program, run.lines);
    const panel = new RunPanel(this.session, { runLabel: 'run_step', step: run.number });
    const index = run.number - 1;
    const fromHere = h('button', { type: 'button', onclick: () => this.runFrom(index) }, t('run_from_here'));
    panel.element.querySelector('.buttons').insertBefore(fromHere, panel.cancelButton);
    panel.element.querySelector('details').open = false;
    const results = h('div', { className: 'results' });
    const heading = h('h3', {});
    const summary = h('summary', {});
    const card = h(
      'article',
      { className: 'step', 'data-step': run.number, 'data-tool': run.tool, 'data-state': 'pending' },
      heading,
      h('details', { className: 'answers' }, summary, form.element),
      panel.element,
      results,
    );
    const entry = { ...run, index, form, panel, fromHere, results, card, heading, summary };
    panel.runButton.addEventListener('click', () => this.runOne(entry));
    this.steps.push(entry);
    return card;
  }

  questionList(questions) {
    const items = questions.map((question, i) => {
      const text = h('p', {});
      const item = { question, text, element: h('li', { className: 'lesson-question' }, text) };
      if (question.expect) {
        const id = `lesson-answer-${i + 1}`;
        item.label = h('label', { for: id });
        item.input = h('input', { type: 'number', id, step: 'any' });
        item.check = h('button', { type: 'button', onclick: () => this.checkAnswer(item) });
        item.verdict = h('p', { className: 'verdict', 'aria-live': 'polite' });
        item.element.append(h('div', { className: 'control' }, item.label, item.input, item.check), item.verdict);
      } else {
        // An open question: the learner's words, for the report.
        const id = `lesson-answer-${i + 1}`;
        item.label = h('label', { for: id });
        item.input = h('textarea', { id, rows: 2, maxLength: 4000, className: 'open-answer' });
        item.element.append(h('div', { className: 'control open-answer' }, item.label, item.input));
      }
      return item;
    });
    this.questionItems = items;
    this.questionsHeading = h('h3', { className: 'questions-heading' }); // part of the last section, not one of its own
    return {
      element: h(
        'section',
        { className: 'lesson-questions' },
        h(
          'div',
          { hidden: items.length === 0 },
          this.questionsHeading,
          h(
            'ol',
            {},
            items.map((i) => i.element),
          ),
        ),
        this.handInFields(),
      ),
    };
  }

  // What the report to hand in needs from the learner: a name and a course
  // for its cover, and the conclusions. Kept for this tab only (a lab PC is
  // shared): a reload keeps them, the next learner's browser session does not.
  handInFields() {
    const field = (key, element) => {
      element.id = `hand-in-${key}`;
      element.dataset.handIn = key;
      element.value = sessionStorage.getItem(`ct-lab-hand-in-${key}`) || '';
      element.addEventListener('input', () => sessionStorage.setItem(`ct-lab-hand-in-${key}`, element.value));
      const label = h('label', { for: element.id });
      this.handInLabels.push([label, key]);
      return h('div', { className: `control hand-in-${key}` }, label, element);
    };
    this.handInLabels = [];
    this.handInHeading = h('h3', { className: 'questions-heading' });
    return h(
      'div',
      { className: 'hand-in' },
      this.handInHeading,
      field('name', h('input', { type: 'text', autocomplete: 'name', maxLength: 200 })),
      field('course', h('input', { type: 'text', maxLength: 200 })),
      field('conclusions', h('textarea', { rows: 5, maxLength: 8000 })),
    );
  }

  checkAnswer(item) {
    const v = Number(item.input.value);
    const { min, max } = item.question.expect;
    const inside = item.input.value.trim() !== '' && v >= min && v <= max;
    item.verdict.textContent = inside ? t('answer_in_range', { min, max }) : t('answer_out_of_range');
    item.verdict.dataset.inside = String(inside);
  }

  // Every text of the lesson in the page's language with the knobs' values.
  relabelLesson() {
    const language = currentLanguage();
    const text = (texts) => lessonText(texts, language, this.values);
    this.title.textContent = text(this.lesson.title);
    this.intro.textContent = text(this.lesson.intro);
    for (const s of this.sectionHeadings) {
      s.heading.textContent = `${s.number}. ${text(s.section.title)}`;
      s.text.textContent = text(s.section.text);
    }
    for (const entry of this.steps) {
      const label = `${t('step', { n: entry.number })} · ${entry.tool}`;
      entry.heading.replaceChildren(`${label}: `, h('span', { className: 'what' }, text(entry.step.what)));
      entry.card.setAttribute('aria-label', label);
      entry.summary.textContent = t('questions');
    }
    this.questionsHeading.textContent = t('think');
    this.handInHeading.textContent = t('hand_in');
    for (const [label, key] of this.handInLabels) label.textContent = t(`hand_in_${key}`);
    for (const item of this.questionItems) {
      item.text.textContent = text(item.question.text);
      if (item.label) item.label.textContent = t('your_answer');
      if (item.check) {
        item.check.textContent = t('check_answer');
        if (item.verdict.textContent) this.checkAnswer(item);
      }
    }
  }

  relabel() {
    this.lessonLabel.textContent = t('lesson');
    this.openLabel.textContent = t('open_lesson');
    this.saveButton.textContent = t('save_page');
    this.dropHint.textContent = t('drop_lesson');
    this.refreshLessonList();
    if (!this.lesson) return;
    this.runAllButton.textContent = t('run_all');
    this.cancelButton.textContent = t('cancel');
    this.resetButton.textContent = t('reset_lab');
    this.knobPanel.relabel();
    for (const entry of this.steps) {
      entry.form.relabel();
      entry.panel.relabel();
      entry.fromHere.textContent = t('run_from_here');
    }
    this.relabelLesson();
    if (this.statusText) this.status.textContent = this.statusText();
    this.showStoredResults();
  }

  // Puts the lesson's input files (the phantom's ellipses, the examples,
  // and a course's data files) into the workspace when missing.
  async seed() {
    for (const name of this.lesson.seed || []) {
      if (await this.session.workspace.get(name)) continue;
      const example = this.library.examples[name];
      if (typeof example === 'string') await this.session.upload(name, new TextEncoder().encode(example), { format: 'text' });
      else if (example)
        await this.session.upload(
          name,
          Uint8Array.from(atob(example.base64), (c) => c.charCodeAt(0)),
          { format: 'dicom' },
        );
      else if (this.courseFiles.has(name)) await this.keepFile(name, this.courseFiles.get(name).bytes, this.courseFiles.get(name));
    }
  }

  // What the lesson's runs ask of the page: the steps' forms, the
  // workspace, a step run in its panel and shown, the cards' states.
  host() {
    return {
      answersOf: (i) => this.steps[i].form.answers(),
      setAnswers: (i, lines) => this.steps[i].form.setAnswers(lines),
      exists: async (name) => !!(await this.session.workspace.get(name)),
      runStep: (i, signal) => this.runStep(this.steps[i], signal),
      stepState: (i, state) => {
        if (this.steps[i]) this.steps[i].card.dataset.state = state;
        if (this.cancelButton) this.cancelButton.disabled = !this.lessonRun.busy;
      },
      cancelled: () => this.session.cancel(),
      // Only what this lesson's own runs made goes; the learner's files, and
      // snapshots (kept under names of their own), stay.
      // The images a run wrote after chosen iterations go with its output.
      forget: async (names) => {
        const gone = new Set();
        for (const name of names) {
          const record = await this.session.workspace.get(name);
          if (!record || !record.made || record.made.lesson !== this.lesson.id) continue;
          for (const other of [name, ...(record.made.series || []).map((s) => s.name)]) {
            if (gone.has(other)) continue;
            const made = other === name ? record : await this.session.workspace.get(other);
            if (made && made.made && made.made.lesson === this.lesson.id) await this.session.workspace.remove(other);
            gone.add(other);
          }
        }
      },
    };
  }

  get values() {
    return this.lessonRun.values;
  }

  // Knob changes [[name, value]]: the steps whose answers change take the
  // new ones, the texts follow, and the steps downstream of them run.
  async changeKnobs(changes) {
    const changedAt = performance.now();
    const names = changes.map(([name]) => `{${name}}`);
    const run = this.lessonRun.changeKnobs(changes, changedAt);
    remember(STORED_KNOBS + this.lesson.id, JSON.stringify(this.values));
    this.relabelLesson();
    this.say(() => t('preparing'));
    // Views that show a knob's value but whose steps do not run again.
    const shows = (entry) => names.some((name) => JSON.stringify(entry.step.views || []).includes(name));
    for (const entry of this.steps) if (entry.card.dataset.state !== 'pending' && shows(entry)) this.showResults(entry);
    return this.said(await run, 'ran_changed');
  }

  // Knob `name` to `value` as the field would take it (ctLab.setKnob).
  async setKnob(name, value) {
    const knob = (this.lesson.knobs || []).find((k) => k.name === name);
    if (!knob) return { ok: false, reason: t('lesson_unknown_knob', { where: this.lesson.id, name }) };
    const { value: accepted, reason } = knobValue(knob, value);
    if (accepted === null) return { ok: false, reason };
    this.knobPanel.show(name, accepted);
    return this.changeKnobs([[name, accepted]]);
  }

  async runAll() {
    return this.said(await this.lessonRun.runAll(), 'ran_all');
  }

  async runFrom(index) {
    return this.said(await this.lessonRun.runFrom(index), 'ran_from', index);
  }

  async runOne(entry) {
    if (this.lessonRun.busy || this.session.runner.busy) return false;
    return this.said(await this.lessonRun.run([entry.index]), 'ran_from', entry.index).ok;
  }

  // The status line after a run of the lesson's steps, and its outcome.
  said(outcome, what, from) {
    if (outcome.stale) return outcome;
    if (!outcome.ok) {
      this.say(() => `${t('step', { n: outcome.failed })}: ${outcome.problem ? outcome.problem : t('step_failed')}`);
      return outcome;
    }
    const numbers = outcome.steps;
    if (numbers.length === 0) {
      this.say(() => t('nothing_to_run'));
      return outcome;
    }
    const others = from === undefined ? numbers : numbers.filter((n) => n !== from + 1);
    const seconds = outcome.seconds.toFixed(1);
    this.say(() => t(what, { count: what === 'ran_all' ? numbers.length : others.length, n: from + 1, steps: others.join(', '), seconds }));
    this.element.dataset.lastRunSeconds = seconds;
    this.lastRun = outcome;
    return outcome;
  }

  // Runs one step in its panel and shows its views: {ok, problem, shown}.
  // Whatever goes wrong ends the step as failed, with a message in the
  // page's language: a lesson never leaves a run waiting for ever.
  async runStep(entry, signal) {
    try {
      await this.seed();
      if (signal.aborted) return { ok: false };
      this.say(() => `${t('step', { n: entry.number })}: ${t('running', { tool: entry.tool })}`);
      const live = this.liveIterations(entry);
      const outcome = await entry.panel.run(entry.tool, entry.form.answers(), { lesson: this.lesson.id, onEvent: live });
      if (signal.aborted || !outcome) return { ok: false };
      const problems = await this.showResults(entry);
      if (problems.length) return { ok: false, problem: t('view_failed', { message: problems.join(' ') }) };
      return { ok: outcome.exit === 0, shown: entry.results.childElementCount > 0 };
    } catch (error) {
      return { ok: false, problem: t('view_failed', { message: error.message || String(error) }) };
    }
  }

  // What an iterative step's events show while it runs: each iteration's
  // count in the lesson's status and the step's, and the residual and RMSE
  // so far drawn in the place of the step's plot of the table the run
  // writes (its view's caption and labels, the x axis all its iterations).
  // Returns the handler of the run's events.
  liveIterations(entry) {
    const events = [];
    const writes = new Set(filesOfRun(entry.program, entry.form.answers()).writes);
    const view = (entry.step.views || []).find((v) => v.plot && writes.has(fill(v.plot, this.values)));
    let figure = null,
      pending = false;
    const draw = () => {
      pending = false;
      const data = iterationData(events);
      if (!data || !view) return;
      if (!figure) {
        const box = h('div', { className: 'plot' });
        const note = h('p', { className: 'live-count' });
        figure = {
          box,
          note,
          element: h('figure', { className: 'plot-figure live-iterations', 'data-file': fill(view.plot, this.values) }, box, h('figcaption', {}, note)),
        };
        // What the step showed before is of earlier answers: the run's own curve takes its place.
        clear(entry.results, figure.element);
      }
      const text = (texts) => lessonText(texts, currentLanguage(), this.values);
      const meaning = { quantity: 'convergence', unit: '', layout: 'columns', axis: { quantity: 'iteration', unit: '' } };
      const plot = plotOfTables([{ name: fill(view.plot, this.values), data, meaning }], { log: !!view.log });
      figure.element.dataset.done = String(data.done);
      figure.note.textContent = `${t('iterations_so_far', data)} ${text(viewTexts(view, this.values).caption)}`;
      drawPlot(figure.box, {
        ...plot,
        title: text(viewTexts(view, this.values).caption),
        xLabel: view.x && view.x.label ? text(view.x.label) : plot.xLabel,
        yLabel: view.y && view.y.label ? text(view.y.label) : plot.yLabel,
        xRange: [0, data.total],
      });
    };
    return (event) => {
      if (event.event !== 'progress' || event.stage !== ITERATION_STAGE) return;
      events.push(event);
      const counted = () => `${t('step', { n: entry.number })}: ${t('running_iteration', { tool: entry.tool, done: event.done, total: event.total })}`;
      this.say(counted);
      entry.panel.say(() => t('running_iteration', { tool: entry.tool, done: event.done, total: event.total }));
      if (view && !pending) {
        pending = true;
        requestAnimationFrame(draw);
      }
    };
  }

  cancel() {
    this.lessonRun.cancel();
    if (this.status) this.say(() => t('cancelled'));
  }

  // The status line, said again in the other language after a switch.
  say(text) {
    this.statusText = text;
    this.status.textContent = text();
  }

  async reset() {
    if (!confirm(t('confirm_reset'))) return;
    const lessons = (await this.session.workspace.all()).filter((r) => r.name.endsWith(LESSON_SUFFIX));
    await this.session.workspace.clear();
    await this.session.workspace.putAll(lessons);
    remember(STORED_KNOBS + this.lesson.id, null);
    this.open(this.lesson);
  }

  async showStoredResults() {
    for (const entry of this.steps) await this.showResults(entry);
  }

  // The step's views from the files in the workspace; resolves to what
  // kept any of them from being shown (the page's language), [] when none.
  async showResults(entry) {
    const figures = [];
    const problems = [];
    for (const view of entry.step.views || []) {
      const records = await Promise.all(viewFiles(view).map((name) => this.session.workspace.get(fill(name, this.values))));
      // A profile of a step not yet run waits for it; once it has run, an
      // earlier file it needs that is missing is said.
      const writes = view.profile ? new Set(filesOfRun(entry.program, entry.form.answers()).writes) : null;
      if (view.profile && viewFiles(view).some((name, i) => !records[i] && writes.has(fill(name, this.values)))) continue;
      const series = view.iterations && records[0] ? await pictureSeries(records[0], (name) => this.session.workspace.get(name)) : null;
      let figure;
      try {
        figure = lessonFigure(view, records, this.values, this.app, this.session, series);
      } catch (error) {
        figure = null;
        problems.push(error.message || String(error));
      }
      if (!figure) continue;
      figures.push(figure);
      if (figure.problem) problems.push(figure.problem);
    }
    clear(
      entry.results,
      figures.map((f) => f.element),
    );
    for (const f of figures) {
      try {
        f.draw();
      } catch (error) {
        problems.push(error.message || String(error));
      }
    }
    return problems;
  }
}
