// One program of the suite as a form: its questions in order with their
// labels, kinds and defaults. An empty field is Enter alone (the default in
// brackets stays); input files are picked from the workspace, output files
// are named. As the learner types, the tool itself checks the answers
// (--check-answers, through `checker`): an answer it would warn about shows
// the tool's own warning, an input that is not in the workspace says so.

import { h, uniqueId } from './dom.js';
import { pick, t } from '../core/i18n.js';

const CHECK_DELAY_MS = 150;

export class ProgramForm {
  // answers: the answer lines to start from (missing lines are Enter alone).
  constructor(program, answers = [], workspaceNames = [], checker = null) {
    this.program = program;
    this.checker = checker; // async (answers) -> events of --check-answers
    this.marks = new Map(); // question number -> the warning shown
    this.checked = Promise.resolve();
    this.timer = null;
    this.fields = [];
    this.element = h('div', { className: 'program-form' });
    const listId = uniqueId('workspace-files');
    this.fileList = h('datalist', { id: listId });
    this.setWorkspaceNames(workspaceNames);
    this.element.append(this.fileList);
    program.questions.forEach((question, index) => {
      const id = uniqueId(`${program.name}-q${question.number}`);
      const warningId = `${id}-warning`;
      const label = h('label', { for: id, className: 'question-label' }, pick(question.label).trim());
      const input = h('input', {
        id,
        type: 'text',
        value: answers[index] ?? '',
        placeholder: question.default_text,
        'aria-describedby': warningId,
        'data-keyword': question.keyword,
        'data-kind': question.kind,
        list: question.file === 'read' ? listId : undefined,
        inputmode: question.kind === 'name' ? undefined : question.kind === 'integer' ? 'numeric' : 'decimal',
        autocomplete: 'off',
        spellcheck: 'false',
      });
      const kind = h('span', { className: 'question-kind' }, this.kindText(question));
      const warning = h('p', { id: warningId, className: 'warning', 'aria-live': 'polite' });
      input.addEventListener('input', () => this.scheduleCheck());
      this.element.append(h('div', { className: 'question' }, label, h('div', { className: 'question-input' }, input, kind), warning));
      this.fields.push({ question, input, label, warning, kind });
    });
    this.scheduleCheck(0);
  }

  kindText(question) {
    const brackets = `[${question.default_text}]`;
    if (question.file === 'read') return `${t('pick_file')} ${brackets}`;
    if (question.file === 'written') return `${t('new_file')} ${brackets}`;
    return brackets;
  }

  setWorkspaceNames(names) {
    this.fileList.replaceChildren(...names.map((name) => h('option', { value: name })));
    this.scheduleCheck(); // an input may have come or gone
  }

  scheduleCheck(delay = CHECK_DELAY_MS) {
    if (!this.checker) return;
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.recheck(), delay);
  }

  // Asks the tool about the answers as they stand and marks the fields;
  // resolves when the marks are up to date.
  recheck() {
    clearTimeout(this.timer);
    if (!this.checker) return Promise.resolve();
    const answers = this.answers();
    this.checked = this.checker(answers)
      .then((events) => {
        if (answers.join('\n') !== this.answers().join('\n')) return; // typed on meanwhile: a newer check follows
        this.applyCheck(events);
      })
      .catch(() => {}); // a check that cannot run leaves the form as it was
    return this.checked;
  }

  applyCheck(events) {
    this.marks.clear();
    const answered = events.filter((e) => e.event === 'answer');
    for (const answer of answered) if (answer.warning) this.marks.set(answer.number, answer.warning.text);
    for (const file of events.filter((e) => e.event === 'file' && e.role === 'input' && e.exists === false)) {
      const asked = answered.find((a) => a.value === file.name && this.program.questions[a.number - 1]?.file === 'read');
      if (asked && !this.marks.has(asked.number)) this.marks.set(asked.number, t('input_missing', { name: file.name }));
    }
    this.fields.forEach((_, i) => this.show(i));
  }

  // Shows the mark of field `index`, if the tool had one.
  show(index) {
    const { question, input, warning } = this.fields[index];
    const text = this.marks.get(question.number) || '';
    warning.textContent = text;
    warning.hidden = !text;
    input.setAttribute('aria-invalid', text ? 'true' : 'false');
    return text;
  }

  // The marks of the last check, in question order.
  warnings() {
    return this.fields.map((field) => this.marks.get(field.question.number)).filter(Boolean);
  }

  // Relabels in the page's language.
  relabel() {
    for (const [i, field] of this.fields.entries()) {
      field.label.textContent = pick(field.question.label).trim();
      field.kind.textContent = this.kindText(field.question);
      this.show(i);
    }
    this.scheduleCheck(0); // the tool's warnings in the new language
  }

  answers() {
    return this.fields.map((field) => field.input.value);
  }

  setAnswers(lines) {
    this.fields.forEach((field, i) => {
      field.input.value = lines[i] ?? '';
    });
    this.scheduleCheck(0);
  }
}
