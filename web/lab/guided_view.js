// The guided lab: one lesson at a time (ct-chain, the demo's chain, and the
// others), its knobs, its steps with their answers filled in, their
// pictures and plots, and its questions. A change of a knob or an answer
// reruns exactly the steps downstream of it, in order; with Live on, a new
// change cancels the run it made stale. Instructors open their own lesson
// files (picker or drop) and save the lab with the lesson as one page.

import { clear, h } from './dom.js';
import { ProgramForm } from './forms.js';
import { currentLanguage, onLanguage, t } from './i18n.js';
import { answerProblems, downstreamOf, expandLesson, fill, filesOfEvents, filesOfRun, knobDefaults, lessonText, parseLesson, viewFiles } from './lesson.js';
import { lessonFigure } from './lesson_figures.js';
import { KnobPanel, knobValue } from './knob_panel.js';
import { RunPanel } from './run_panel.js';

const STORED_LESSON = 'ct-lab-lesson';
const STORED_KNOBS = 'ct-lab-knobs-'; // + the lesson's id
const LESSON_SUFFIX = '.lesson.json';
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
    this.generation = 0; // bumped by every run: a run whose number is old is stale
    this.unfinished = new Set(); // steps a stale run had still to do
    this.checked = new Map(); // tool and answers -> {reads, writes} from the dialogue's events
    this.changes = 0; // knob changes so far: the last one runs what they changed
    this.lessonSelect = h('select', { id: 'lesson-select', onchange: () => this.open(this.lessons.get(this.lessonSelect.value)) });
    this.lessonLabel = h('label', { for: 'lesson-select' }, t('lesson'));
    this.fileInput = h('input', { type: 'file', id: 'lesson-file', accept: '.json,application/json', onchange: () => this.openFiles(this.fileInput.files) });
    this.openLabel = h('label', { for: 'lesson-file', className: 'button-like' }, t('open_lesson'));
    this.saveButton = h('button', { type: 'button', id: 'save-page', onclick: () => this.app.savePage() }, t('save_page'));
    this.dropHint = h('p', { className: 'hint' }, t('drop_lesson'));
    this.problems = h('div', { className: 'lesson-problems', role: 'alert' });
    this.body = h('div', { className: 'lesson-body' });
    this.element = h('section', { className: 'view', id: 'view-guided', 'aria-labelledby': 'tab-guided' },
      h('div', { className: 'toolbar lesson-bar' }, h('span', { className: 'control' }, this.lessonLabel, this.lessonSelect),
        this.fileInput, this.openLabel, this.saveButton),
      this.dropHint, this.problems, this.body);
    this.element.addEventListener('dragover', (event) => event.preventDefault());
    this.element.addEventListener('drop', (event) => {
      event.preventDefault();
      this.openFiles(event.dataTransfer.files);
    });
    session.onRun((event) => {
      if (this.cancelButton) this.cancelButton.disabled = event.state !== 'started';
    });
    onLanguage(() => this.relabel());
  }

  // Adds the lessons an instructor opened earlier (kept in the workspace),
  // then opens `first`, the lesson chosen last, or the first one.
  async start(first) {
    for (const record of await this.session.workspace.all()) {
      if (!record.name.endsWith(LESSON_SUFFIX)) continue;
      const { lesson, problems } = this.parse(new TextDecoder().decode(record.bytes));
      if (problems.length === 0) this.lessons.set(lesson.id, lesson); // as when it was opened: over a lesson of the same id
    }
    this.open(first || this.lessons.get(recalled(STORED_LESSON)) || this.lessons.values().next().value);
  }

  parse(text) {
    return parseLesson(text, this.library.registry, Object.keys(this.library.examples), this.library.validateLesson);
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
    const { lesson, problems } = this.parse(text);
    // What the tools would warn about its answers, from their dialogues' events.
    if (!problems.length && this.library.check) problems.push(...await answerProblems(lesson, this.library.registry, this.library.check));
    if (problems.length) return this.refuse(problems, source);
    this.lessons.set(lesson.id, lesson);
    if (keep) {
      const bytes = new TextEncoder().encode(text);
      await this.session.upload(lesson.id + LESSON_SUFFIX, bytes, { format: 'text' });
    }
    this.open(lesson);
    this.problems.replaceChildren(h('p', { className: 'hint' }, t('lesson_opened', { title: lessonText(lesson.title, currentLanguage()) })));
    return { ok: true, problems: [] };
  }

  refuse(problems, source = '') {
    clear(this.problems, h('p', {}, `${source ? source + ': ' : ''}${t('lesson_refused')}`), h('ul', {}, problems.map((p) => h('li', {}, p))));
    return { ok: false, problems };
  }

  async openFiles(files) {
    for (const file of files || []) await this.openText(await file.text(), { source: file.name });
    this.fileInput.value = '';
  }

  open(lesson) {
    if (this.session.runner.busy) this.cancel();
    this.lesson = lesson;
    this.values = recalledValues(lesson);
    this.problems.replaceChildren();
    remember(STORED_LESSON, lesson.id);
    this.refreshLessonList();
    this.steps = [];
    this.title = h('h2', { className: 'lesson-title' });
    this.intro = h('p', { className: 'lesson-intro' });
    this.knobPanel = new KnobPanel(lesson.knobs || [], this.values, (changes) => this.changeKnobs(changes));
    this.runAllButton = h('button', { type: 'button', className: 'primary', id: 'run-all', onclick: () => this.runAll() }, t('run_all'));
    this.cancelButton = h('button', { type: 'button', disabled: !this.session.runner.busy, onclick: () => this.cancel() }, t('cancel'));
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
    clear(this.body, this.title, this.intro, this.knobPanel.element,
      h('div', { className: 'toolbar sticky' }, this.runAllButton, this.cancelButton, this.resetButton), this.status,
      sections.flat(2), this.questions.element);
    this.relabelLesson();
    this.seed();
    this.showStoredResults();
    // The step graph asked ahead, so that the first change runs at once.
    this.dependencies().catch(() => {});
    if (this.app.lessonOpened) this.app.lessonOpened();
  }

  refreshLessonList() {
    const language = currentLanguage();
    clear(this.lessonSelect, [...this.lessons.values()].map((l) => h('option', { value: l.id }, lessonText(l.title, language))));
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
    const card = h('article', { className: 'step', 'data-step': run.number, 'data-tool': run.tool, 'data-state': 'pending' },
      heading, h('details', { className: 'answers' }, summary, form.element), panel.element, results);
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
      }
      return item;
    });
    this.questionItems = items;
    this.questionsHeading = h('h3', { className: 'questions-heading' }); // part of the last section, not one of its own
    return { element: h('section', { className: 'lesson-questions', hidden: items.length === 0 }, this.questionsHeading, h('ol', {}, items.map((i) => i.element))) };
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
    for (const item of this.questionItems) {
      item.text.textContent = text(item.question.text);
      if (item.label) {
        item.label.textContent = t('your_answer');
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

  // Puts the lesson's input files (the phantom's ellipses) into the workspace when missing.
  async seed() {
    for (const name of this.lesson.seed || []) {
      if (!(await this.session.workspace.get(name))) await this.session.upload(name, new TextEncoder().encode(this.library.examples[name]), { format: 'text' });
    }
  }

  // What each step reads and writes with the answers in its form: as its
  // dialogue's events say (`--check-answers`, through library.check) where
  // the page can ask, else from the registry's list of the program's files.
  // The events of a tool and its answers are asked once.
  async dependencies() {
    const files = [];
    for (const entry of this.steps) files.push(await this.filesOf(entry.program, entry.form.answers()));
    return files;
  }

  async filesOf(program, lines) {
    if (!this.library.check) return filesOfRun(program, lines);
    const key = `${program.name}\n${lines.join('\n')}`;
    if (!this.checked.has(key)) {
      try {
        this.checked.set(key, filesOfEvents((await this.library.check(program.name, lines)).events));
      } catch {
        return filesOfRun(program, lines);
      }
    }
    return this.checked.get(key);
  }


  // Knob changes [[name, value]]: the steps whose answers change take the
  // new ones, the texts follow, and the steps downstream of them run.
  async changeKnobs(changes) {
    const changedAt = performance.now();
    const before = expandLesson(this.lesson, this.library.registry, this.values);
    for (const [name, value] of changes) this.values[name] = value;
    remember(STORED_KNOBS + this.lesson.id, JSON.stringify(this.values));
    const after = expandLesson(this.lesson, this.library.registry, this.values);
    const changed = after.flatMap((run, i) => (run.lines.join('\n') !== before[i].lines.join('\n') ? [i] : []));
    for (const i of changed) this.steps[i].form.setAnswers(after[i].lines);
    this.relabelLesson();
    const names = changes.map(([name]) => `{${name}}`);
    const shows = (entry) => names.some((name) => JSON.stringify(entry.step.views || []).includes(name));
    // The changed steps are to be run from now on, whichever change runs them:
    // a newer change that comes while this one asks for the graph takes over.
    for (const i of changed) this.unfinished.add(i);
    const change = ++this.changes;
    const graph = await this.dependencies();
    if (change !== this.changes) return { ok: false, stale: true };
    const rerun = downstreamOf(graph, [...this.unfinished]);
    for (const entry of this.steps) if (!rerun.includes(entry.index) && shows(entry)) await this.showResults(entry);
    if (rerun.length === 0) {
      this.say(() => t('nothing_to_run'));
      return { ok: true, steps: [], seconds: 0, firstResultSeconds: null };
    }
    return this.run(rerun, 'ran_changed', undefined, changedAt);
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

  runAll() {
    return this.run(this.steps.map((e) => e.index), 'ran_all');
  }

  async runFrom(index) {
    const started = performance.now();
    return this.run(downstreamOf(await this.dependencies(), [index]), 'ran_from', index, started);
  }

  async runOne(entry) {
    if (this.session.runner.busy) return false;
    return this.runStep(entry, this.generation);
  }

  // Runs steps `indices` in order (with those a stale run left undone),
  // cancelling the run in progress: {ok, steps, seconds, firstResultSeconds}.
  async run(indices, said, from, started = performance.now()) {
    const generation = ++this.generation;
    if (this.session.runner.busy) this.session.cancel();
    const todo = [...new Set([...this.unfinished, ...indices])].sort((a, b) => a - b);
    this.unfinished = new Set(todo);
    for (const i of todo) this.steps[i].card.dataset.state = 'pending';
    let firstResultSeconds = null;
    for (const i of todo) {
      const entry = this.steps[i];
      this.say(() => `${t('step', { n: entry.number })}: ${t('running', { tool: entry.tool })}`);
      const ok = await this.runStep(entry, generation);
      if (generation !== this.generation) return { ok: false, stale: true };
      if (!ok) {
        this.say(() => `${t('step', { n: entry.number })}: ${t('step_failed')}`);
        return { ok: false, steps: todo.map((j) => this.steps[j].number) };
      }
      this.unfinished.delete(i);
      if (firstResultSeconds === null && entry.results.childElementCount > 0) firstResultSeconds = (performance.now() - started) / 1000;
    }
    const seconds = (performance.now() - started) / 1000;
    const numbers = todo.map((j) => this.steps[j].number);
    const others = from === undefined ? numbers : numbers.filter((n) => n !== from + 1);
    this.say(() => t(said, { count: said === 'ran_all' ? numbers.length : others.length, n: from + 1, steps: others.join(', '), seconds: seconds.toFixed(1) }));
    this.element.dataset.lastRunSeconds = seconds.toFixed(1);
    this.lastRun = { ok: true, steps: numbers, seconds, firstResultSeconds };
    return this.lastRun;
  }

  async runStep(entry, generation) {
    await this.seed();
    if (generation !== this.generation) return false; // a newer change took over while this one waited
    entry.card.dataset.state = 'running';
    const outcome = await entry.panel.run(entry.tool, entry.form.answers());
    if (generation !== this.generation) return false; // a newer change took over
    entry.card.dataset.state = outcome && outcome.exit === 0 ? 'done' : 'failed';
    if (outcome) await this.showResults(entry);
    return outcome !== null && outcome.exit === 0;
  }

  cancel() {
    this.generation++;
    this.unfinished.clear();
    this.session.cancel();
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

  // The step's views from the files in the workspace.
  async showResults(entry) {
    const figures = [];
    for (const view of entry.step.views || []) {
      const records = await Promise.all(viewFiles(view).map((name) => this.session.workspace.get(fill(name, this.values))));
      const figure = lessonFigure(view, records, this.values, this.app, this.session);
      if (figure) figures.push(figure);
    }
    clear(entry.results, figures.map((f) => f.element));
    for (const f of figures) f.draw();
  }
}
