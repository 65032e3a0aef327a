// One program of the suite as a form: its questions in order with their
// labels, kinds and defaults. An empty field is Enter alone (the default in
// brackets stays); input files are picked from the workspace, output files
// are named; a number the tool would warn about shows the tool's warning.

import { answerWarning } from './answer_rules.js';
import { h, uniqueId } from './dom.js';
import { currentLanguage, pick, t } from './i18n.js';

export class ProgramForm {
  // answers: the answer lines to start from (missing lines are Enter alone).
  constructor(program, answers = [], workspaceNames = []) {
    this.program = program;
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
      input.addEventListener('input', () => this.check(index));
      this.element.append(h('div', { className: 'question' }, label, h('div', { className: 'question-input' }, input, kind), warning));
      this.fields.push({ question, input, label, warning, kind });
    });
    this.fields.forEach((_, i) => this.check(i));
  }

  kindText(question) {
    const brackets = `[${question.default_text}]`;
    if (question.file === 'read') return `${t('pick_file')} ${brackets}`;
    if (question.file === 'written') return `${t('new_file')} ${brackets}`;
    return brackets;
  }

  setWorkspaceNames(names) {
    this.fileList.replaceChildren(...names.map((name) => h('option', { value: name })));
  }

  // Shows the tool's warning for field `index`, if it would give one.
  check(index) {
    const { question, input, warning } = this.fields[index];
    const text = answerWarning(question.kind, pick(question.label), input.value, currentLanguage());
    warning.textContent = text ? text.trim() : '';
    warning.hidden = !text;
    input.setAttribute('aria-invalid', text ? 'true' : 'false');
    return text;
  }

  // The warnings the tool will print, in question order.
  warnings() {
    return this.fields.map((_, i) => this.check(i)).filter(Boolean);
  }

  // Relabels in the page's language.
  relabel() {
    for (const [i, field] of this.fields.entries()) {
      field.label.textContent = pick(field.question.label).trim();
      field.kind.textContent = this.kindText(field.question);
      this.check(i);
    }
  }

  answers() {
    return this.fields.map((field) => field.input.value);
  }

  setAnswers(lines) {
    this.fields.forEach((field, i) => {
      field.input.value = lines[i] ?? '';
      this.check(i);
    });
  }

  // Standard input for the tool: one line per question.
  static stdinText(lines) {
    return lines.map((line) => line + '\n').join('');
  }
}
