// The Plots view: a text table of the workspace as curves, with any tables
// of the same kind drawn over it, a known answer drawn dashed, export as
// PNG, SVG and CSV, and snapshots.

import { clear, download, h } from './dom.js';
import { meaningOf, plotKind, quantityWords } from '../core/file_meaning.js';
import { onLanguage, t } from '../core/i18n.js';
import { drawPlot, plotOfTables } from './plots.js';
import { SnapshotPanel } from './snapshot_panel.js';
import { plotPng, plotSvg } from './svg_export.js';
import { plotCsv } from '../core/table_csv.js';
import { THEORIES } from '../core/theory_curves.js';

const programOf = (session, record) => (record.made && record.made.tool ? session.byName[record.made.tool] : null);

// What a record of the session's workspace holds.
export const meaningIn = (session, record) => meaningOf(record);

// The number a run took for the question `keyword`: its answer when that
// reads as a number, else the question's default.
function answered(program, answers, keyword) {
  const i = program.questions.findIndex((q) => q.keyword === keyword);
  if (i < 0) return undefined;
  const line = (answers[i] || '').trim();
  return line !== '' && Number.isFinite(Number(line)) ? Number(line) : Number(program.questions[i].default);
}

// A table record with what it holds; refuses a file that is not a table and says why.
export async function tableEntry(session, name) {
  const record = await session.workspace.get(name);
  if (!record) throw new Error(t('no_such_file', { name }));
  const meaning = meaningIn(session, record);
  if (meaning.format !== 'table')
    throw new Error(t('not_a_table', { name, what: quantityWords(meaning.quantity === 'value' ? 'picture' : meaning.quantity), format: meaning.format }));
  return { name, bytes: record.bytes, meaning, record };
}

// The plot of tables by name: options {log, theory: true | {parameters}}.
export async function plotOfNames(session, names, { log = false, theory = null } = {}) {
  const entries = [];
  for (const name of names) entries.push(await tableEntry(session, name));
  return plotOfTables(entries, { log, theory: theoryOf(session, entries[0], theory) });
}

// The settings of the run that made a table which a known answer depends
// on: the image's width and height, the noise level, the number of angles.
function runSettings(session, record) {
  const program = programOf(session, record);
  if (!program) return {};
  const settings = {};
  const answer = (keyword) => answered(program, record.made.answers || [], keyword);
  for (const keyword of ['width', 'height']) if (Number.isFinite(answer(keyword))) settings[keyword] = answer(keyword);
  if (Number.isFinite(answer('level'))) settings.sigma = 10 ** (-answer('level') / 20);
  // The diagonal's reconstructions use 403 angles, the other sweeps 512.
  if (program.name === 'recon_noise_diagonal') settings.angles = 403;
  return settings;
}

// The known answer of a table's quantity: `true` for it at the parameters
// of the run that made the table, or {parameters} to set some.
function theoryOf(session, entry, theory) {
  const known = THEORIES[entry.meaning.quantity];
  if (!theory || !known) return null;
  const given = theory === true ? {} : theory.parameters || theory;
  const parameters = { ...known.parameters };
  const settings = runSettings(session, entry.record || {});
  for (const k of Object.keys(parameters)) {
    if (given[k] !== undefined && given[k] !== '' && Number.isFinite(Number(given[k]))) parameters[k] = Number(given[k]);
    else if (settings[k] !== undefined) parameters[k] = settings[k];
  }
  return { key: known.key, parameters };
}

// The plot of a table record, for the guided lab's figures.
export function plotOfRecord(session, record, options = {}) {
  const entry = { name: record.name, bytes: record.bytes, meaning: meaningIn(session, record), record };
  return plotOfTables([entry], { ...options, theory: theoryOf(session, entry, options.theory) });
}

export class PlotView {
  constructor(session) {
    this.session = session;
    this.select = h('select', { id: 'plot-file', onchange: () => this.changed() });
    this.log = h('input', { type: 'checkbox', id: 'plot-log', onchange: () => this.draw() });
    this.theory = h('input', { type: 'checkbox', id: 'plot-theory', onchange: () => this.draw() });
    this.selectLabel = h('label', { for: 'plot-file' }, t('table_file'));
    this.logLabel = h('label', { for: 'plot-log' }, t('log_scale'));
    this.theoryLabel = h('label', { for: 'plot-theory' }, t('show_theory'));
    this.theoryControl = h('span', { className: 'control' }, this.theory, this.theoryLabel);
    this.parameters = h('div', { className: 'toolbar theory-parameters' });
    this.overlayLegend = h('legend', {}, t('draw_with'));
    this.overlay = h('fieldset', { className: 'overlay-choice' }, this.overlayLegend);
    this.buttons = Object.fromEntries(
      ['png', 'svg', 'csv'].map((kind) => [kind, h('button', { type: 'button', onclick: () => this.export(kind) }, t(`export_${kind}`))]),
    );
    this.plot = h('div', { className: 'plot' });
    this.message = h('p', { className: 'hint', role: 'status' });
    this.notTables = h('p', { className: 'hint' });
    this.snapshots = new SnapshotPanel(session, 'table', () => this.select.value);
    this.element = h(
      'section',
      { className: 'view', id: 'view-plot', 'aria-labelledby': 'tab-plot' },
      h(
        'div',
        { className: 'toolbar' },
        h('span', { className: 'control' }, this.selectLabel, this.select),
        h('span', { className: 'control' }, this.log, this.logLabel),
        this.theoryControl,
        this.buttons.png,
        this.buttons.svg,
        this.buttons.csv,
      ),
      this.parameters,
      this.overlay,
      this.snapshots.element,
      this.message,
      this.plot,
      this.notTables,
    );
    this.shown = ''; // the table drawn
    this.opening = false; // open() chooses the table itself
    this.theoryValues = {}; // parameters the learner or a lesson typed, by name
    session.workspace.onChange(() => this.refreshNames());
    onLanguage(() => {
      this.selectLabel.textContent = t('table_file');
      this.logLabel.textContent = t('log_scale');
      this.theoryLabel.textContent = t('show_theory');
      this.overlayLegend.textContent = t('draw_with');
      for (const [kind, button] of Object.entries(this.buttons)) button.textContent = t(`export_${kind}`);
      this.snapshots.relabel();
      this.sayNotTables();
      this.changed(true);
    });
    this.refreshNames();
  }

  sayNotTables() {
    const texts = this.textNames || [];
    this.notTables.textContent = texts.length ? t('not_tables', { names: texts.join(', ') }) : '';
  }

  async refreshNames() {
    const value = this.select.value;
    const records = await this.session.workspace.all();
    const names = records.filter((r) => r.format === 'table').map((r) => r.name);
    clear(
      this.select,
      names.map((name) => h('option', { value: name }, name)),
    );
    // Text files that are not tables (the phantom's ellipses) are not offered: say why.
    this.textNames = records.filter((r) => r.format === 'text').map((r) => r.name);
    this.sayNotTables();
    if (names.includes(value)) this.select.value = value;
    // The table named in the list is the one drawn: the first once there is
    // one, the next when the drawn one is deleted.
    if (!this.opening) await this.changed(this.select.value === this.shown);
  }

  // Opens `name`: options a boolean (logarithmic) or {log, theory, with: [names]}.
  async open(name, options = false) {
    const { log = false, theory = false, with: others = [] } = typeof options === 'object' ? options : { log: options };
    this.opening = true;
    await this.refreshNames();
    this.opening = false;
    this.select.value = name;
    this.log.checked = log;
    this.theory.checked = !!theory;
    if (theory && typeof theory === 'object') this.theoryValues = { ...(theory.parameters || theory) };
    await this.changed(false, others);
  }

  // A new table (or the same one after a change of the workspace): the
  // tables it can be drawn with, the known answer its quantity has.
  async changed(keep = false, others = null) {
    const chosen = keep ? this.overlayNames() : others || [];
    if (!keep && others === null) this.theoryValues = {}; // another table chosen in the list
    const records = await this.session.workspace.all();
    const main = records.find((r) => r.name === this.select.value);
    clear(this.overlay, this.overlayLegend);
    clear(this.parameters);
    this.theoryControl.hidden = true;
    if (main) {
      const kind = plotKind(meaningIn(this.session, main));
      const same = records.filter((r) => r.format === 'table' && r.name !== main.name && plotKind(meaningIn(this.session, r)) === kind);
      same.forEach((r, i) => {
        const id = `plot-with-${i}`;
        const box = h('input', { type: 'checkbox', id, value: r.name, onchange: () => this.draw() });
        box.checked = chosen.includes(r.name);
        this.overlay.append(h('span', { className: 'control' }, box, h('label', { for: id }, r.name)));
      });
      const known = THEORIES[meaningIn(this.session, main).quantity];
      if (known) {
        this.theoryControl.hidden = false;
        const settings = runSettings(this.session, main);
        for (const [key, standard] of Object.entries(known.parameters)) {
          const value = settings[key] ?? standard;
          const input = h('input', {
            type: 'number',
            step: 'any',
            id: `theory-${key}`,
            value: this.theoryValues[key] ?? '',
            placeholder: String(Number(Number(value).toPrecision(4))),
          });
          input.addEventListener('change', () => {
            this.theoryValues[key] = input.value;
            this.draw();
          });
          this.parameters.append(h('span', { className: 'control' }, h('label', { for: input.id }, t(`theory_${key}`)), input));
        }
      }
    }
    this.overlay.hidden = this.overlay.querySelectorAll('input').length === 0;
    await this.draw();
  }

  overlayNames() {
    return [...this.overlay.querySelectorAll('input:checked')].map((box) => box.value);
  }

  options() {
    const theory = this.theory.checked && !this.theoryControl.hidden ? { parameters: this.theoryValues } : null;
    return { log: this.log.checked, theory };
  }

  async draw() {
    this.shown = this.select.value;
    this.parameters.hidden = !this.theory.checked || this.theoryControl.hidden;
    clear(this.plot);
    this.message.textContent = this.select.value ? '' : t('no_table');
    for (const button of Object.values(this.buttons)) button.disabled = !this.select.value;
    if (!this.select.value) return;
    try {
      this.current = await plotOfNames(this.session, [this.select.value, ...this.overlayNames()], this.options());
      drawPlot(this.plot, this.current);
    } catch (error) {
      this.current = null;
      this.message.textContent = error.message;
    }
  }

  async export(kind) {
    if (!this.current) return;
    const base = this.current.names.join('+').replace(/\.[^.+]*$/, '');
    if (kind === 'svg') download(`${base}.svg`, new TextEncoder().encode(plotSvg(this.current)), 'image/svg+xml');
    if (kind === 'png') download(`${base}.png`, new Uint8Array(await (await plotPng(this.current)).arrayBuffer()), 'image/png');
    if (kind === 'csv') {
      // What is drawn, every table and known answer. A byte order mark lets a
      // spreadsheet read the file as UTF-8, in either language: the English
      // header holds μ and ², which it would show wrongly.
      const text = '\ufeff' + plotCsv(this.current);
      download(`${base}.csv`, new TextEncoder().encode(text), 'text/csv');
    }
  }
}
