// The Tools view: any of the programs as a form, run on the workspace.

import { clear, h } from './dom.js';
import { ProgramForm } from './forms.js';
import { onLanguage, pick, t } from '../core/i18n.js';
import { RunPanel } from './run_panel.js';

export class ToolsView {
  constructor(session) {
    this.session = session;
    this.select = h(
      'select',
      { id: 'tool-select', onchange: () => this.show(this.select.value) },
      session.programs.map((p) => h('option', { value: p.name }, p.name)),
    );
    this.heading = h('h2', {});
    this.summary = h('p', { className: 'summary' });
    this.formBox = h('div', {});
    this.defaultsButton = h('button', { type: 'button', onclick: () => this.form.setAnswers([]) }, t('reset_defaults'));
    this.panel = new RunPanel(session, { extraButtons: [this.defaultsButton] });
    this.panel.runButton.addEventListener('click', () => this.runChecked());
    this.selectLabel = h('label', { for: 'tool-select' }, t('program'));
    this.hint = h('p', { className: 'hint' }, t('enter_keeps'));
    this.element = h(
      'section',
      { className: 'view', id: 'view-tools', 'aria-labelledby': 'tab-tools' },
      h('div', { className: 'toolbar' }, this.selectLabel, this.select),
      this.heading,
      this.summary,
      this.hint,
      this.formBox,
      this.panel.element,
    );
    this.show(session.programs[0].name);
    session.workspace.onChange(() => this.refreshNames());
    onLanguage(() => this.relabel());
  }

  async refreshNames() {
    const names = (await this.session.workspace.all()).map((r) => r.name);
    this.form.setWorkspaceNames(names);
  }

  // Shows `tool`'s form, filled with `answers` (Enter alone where missing).
  show(tool, answers = []) {
    const program = this.session.byName[tool];
    this.select.value = tool;
    this.form = new ProgramForm(program, answers, [], (lines) => this.session.check(tool, lines).then((r) => r.events));
    this.heading.textContent = `${program.name}: ${pick(program.title)}`;
    this.summary.textContent = pick(program.summary);
    clear(this.formBox, this.form.element);
    this.refreshNames();
  }

  // Runs the form; an answer the tool would warn about is confirmed first,
  // as the console would take it with its warning.
  async runChecked() {
    const form = this.form;
    await form.recheck();
    const warnings = form.warnings();
    if (warnings.length && !confirm(t('confirm_warnings', { count: warnings.length, warnings: warnings.join('\n') }))) return;
    await this.panel.run(form.program.name, form.answers());
  }

  relabel() {
    this.selectLabel.textContent = t('program');
    this.hint.textContent = t('enter_keeps');
    this.defaultsButton.textContent = t('reset_defaults');
    const program = this.form.program;
    this.heading.textContent = `${program.name}: ${pick(program.title)}`;
    this.summary.textContent = pick(program.summary);
    this.form.relabel();
    this.panel.relabel();
  }
}
