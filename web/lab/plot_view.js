// The Plots view: a text table of the workspace as curves.

import { clear, h } from './dom.js';
import { onLanguage, t } from './i18n.js';
import { drawPlot, tablePlot } from './plots.js';

export class PlotView {
  constructor(session) {
    this.session = session;
    this.select = h('select', { id: 'plot-file', onchange: () => this.draw() });
    this.log = h('input', { type: 'checkbox', id: 'plot-log', onchange: () => this.draw() });
    this.selectLabel = h('label', { for: 'plot-file' }, t('table_file'));
    this.logLabel = h('label', { for: 'plot-log' }, t('log_scale'));
    this.plot = h('div', { className: 'plot' });
    this.message = h('p', { className: 'hint', role: 'status' });
    this.element = h('section', { className: 'view', id: 'view-plot', 'aria-labelledby': 'tab-plot' },
      h('div', { className: 'toolbar' }, h('span', { className: 'control' }, this.selectLabel, this.select),
        h('span', { className: 'control' }, this.log, this.logLabel)),
      this.message, this.plot);
    this.shown = ''; // the table drawn
    this.opening = false; // open() chooses the table itself
    session.workspace.onChange(() => this.refreshNames());
    onLanguage(() => {
      this.selectLabel.textContent = t('table_file');
      this.logLabel.textContent = t('log_scale');
      this.draw();
    });
    this.refreshNames();
  }

  async refreshNames() {
    const value = this.select.value;
    const names = (await this.session.workspace.all()).filter((r) => r.format === 'table').map((r) => r.name);
    clear(this.select, names.map((name) => h('option', { value: name }, name)));
    if (names.includes(value)) this.select.value = value;
    // The table named in the list is the one drawn: the first once there is
    // one, the next when the drawn one is deleted.
    if (this.select.value !== this.shown && !this.opening) await this.draw();
  }

  async open(name, log = false) {
    this.opening = true;
    await this.refreshNames();
    this.opening = false;
    this.select.value = name;
    this.log.checked = log;
    await this.draw();
  }

  async draw() {
    this.shown = this.select.value;
    const record = this.select.value ? await this.session.workspace.get(this.select.value) : null;
    clear(this.plot);
    this.message.textContent = record ? '' : t('no_table');
    if (!record) return;
    drawPlot(this.plot, { ...plotOfRecord(this.session, record), log: this.log.checked });
  }
}

// The plot of a table record, its axes from the run that made it.
export function plotOfRecord(session, record) {
  const made = record.made && record.made.tool ? record.made : null;
  return tablePlot(record, made ? session.byName[made.tool] : null, made ? made.answers : []);
}
