// The guided lab: the demo's chain step by step, each step's answers filled
// in, its caption and its pictures and plots. Run this step, run from a step
// on (after changing an answer), or run all.

import { clear, h } from './dom.js';
import { ProgramForm } from './forms.js';
import { onLanguage, t } from './i18n.js';
import { drawSamples, greyBar, sampleRange, samplesOf } from './pictures.js';
import { drawPlot } from './plots.js';
import { plotOfRecord } from './plot_view.js';
import { RunPanel } from './run_panel.js';

export class GuidedView {
  // lab: {seed: {name: text}, sections: [{title, text, steps: [{answers, answerText, tool, what, views}]}]}
  // app: {openPicture(name, window), openPlot(name, log)}
  constructor(session, lab, app) {
    this.session = session;
    this.lab = lab;
    this.app = app;
    this.steps = [];
    this.runAllButton = h('button', { type: 'button', className: 'primary', id: 'run-all', onclick: () => this.runFrom(0) }, t('run_all'));
    this.cancelButton = h('button', { type: 'button', disabled: true, onclick: () => this.cancel() }, t('cancel'));
    this.resetButton = h('button', { type: 'button', onclick: () => this.reset() }, t('reset_lab'));
    this.status = h('p', { className: 'status', role: 'status', 'aria-live': 'polite' });
    this.intro = h('p', {}, t('guided_intro'));
    const body = [];
    let number = 0;
    lab.sections.forEach((section, s) => {
      body.push(h('h2', {}, `${s + 1}. ${section.title}`), h('p', { className: 'section-text' }, section.text));
      for (const step of section.steps) body.push(this.stepCard(step, ++number));
    });
    this.element = h('section', { className: 'view', id: 'view-guided', 'aria-labelledby': 'tab-guided' },
      this.intro, h('div', { className: 'toolbar sticky' }, this.runAllButton, this.cancelButton, this.resetButton), this.status, ...body);
    session.onRun((event) => {
      this.cancelButton.disabled = event.state !== 'started';
    });
    onLanguage(() => this.relabel());
    this.showStoredResults();
  }

  stepCard(step, number) {
    const program = this.session.byName[step.tool];
    const lines = step.answerText.replace(/\n$/, '').split('\n');
    const form = new ProgramForm(program, lines);
    const panel = new RunPanel(this.session, { runLabel: 'run_step', step: number });
    const fromHere = h('button', { type: 'button', onclick: () => this.runFrom(number - 1) }, t('run_from_here'));
    panel.element.querySelector('.buttons').insertBefore(fromHere, panel.cancelButton);
    panel.element.querySelector('details').open = false;
    const results = h('div', { className: 'results' });
    const heading = h('h3', {}, `${t('step', { n: number })} · ${step.tool}: `, h('span', { className: 'what' }, step.what));
    const card = h('article', { className: 'step', 'data-step': number, 'data-state': 'pending', 'aria-label': `${t('step', { n: number })} ${step.tool}` },
      heading,
      h('details', { className: 'answers', open: true }, h('summary', {}, `${t('questions')} (${step.answers})`), form.element),
      panel.element, results);
    const entry = { step, number, program, form, panel, fromHere, results, card, heading };
    panel.runButton.addEventListener('click', () => this.runStep(entry));
    this.steps.push(entry);
    return card;
  }

  relabel() {
    this.runAllButton.textContent = t('run_all');
    this.cancelButton.textContent = t('cancel');
    this.resetButton.textContent = t('reset_lab');
    this.intro.textContent = t('guided_intro');
    for (const entry of this.steps) {
      entry.form.relabel();
      entry.panel.relabel();
      entry.fromHere.textContent = t('run_from_here');
      entry.heading.firstChild.textContent = `${t('step', { n: entry.number })} · ${entry.step.tool}: `;
    }
  }

  // Puts the lab's input files (the phantom's ellipses) into the workspace when missing.
  async seed() {
    for (const [name, text] of Object.entries(this.lab.seed)) {
      if (!(await this.session.workspace.get(name))) await this.session.upload(name, new TextEncoder().encode(text), { format: 'text' });
    }
  }

  async runStep(entry) {
    await this.seed();
    entry.card.dataset.state = 'running';
    const outcome = await entry.panel.run(entry.step.tool, entry.form.answers());
    entry.card.dataset.state = outcome && outcome.exit === 0 ? 'done' : 'failed';
    if (outcome) await this.showResults(entry);
    return outcome !== null && outcome.exit === 0;
  }

  async runFrom(index) {
    if (this.session.runner.busy) return;
    this.stopped = false;
    const started = performance.now();
    for (const entry of this.steps.slice(index)) entry.card.dataset.state = 'pending';
    for (const entry of this.steps.slice(index)) {
      this.status.textContent = `${t('step', { n: entry.number })}: ${t('running', { tool: entry.step.tool })}`;
      if (!(await this.runStep(entry)) || this.stopped) {
        this.status.textContent = `${t('step', { n: entry.number })}: ${t(this.stopped ? 'cancelled' : 'step_failed')}`;
        return false;
      }
    }
    const seconds = ((performance.now() - started) / 1000).toFixed(1);
    this.status.textContent = t('finished', { tool: t('run_all'), exit: 0, seconds });
    this.element.dataset.lastRunSeconds = seconds;
    return true;
  }

  cancel() {
    this.stopped = true;
    this.session.cancel();
  }

  async reset() {
    if (!confirm(t('confirm_reset'))) return;
    await this.session.workspace.clear();
    for (const entry of this.steps) {
      entry.card.dataset.state = 'pending';
      clear(entry.results);
    }
    await this.seed();
  }

  async showStoredResults() {
    for (const entry of this.steps) await this.showResults(entry);
  }

  // The step's pictures and plots from the files in the workspace.
  async showResults(entry) {
    const figures = [];
    for (const view of entry.step.views) {
      const name = view.picture || view.plot;
      const record = await this.session.workspace.get(name);
      if (!record) continue;
      if (view.picture) figures.push(this.pictureFigure(view, record));
      else figures.push(this.plotFigure(view, record));
    }
    clear(entry.results, figures.map((f) => f.element));
    for (const f of figures) f.draw();
  }

  pictureFigure(view, record) {
    const samples = samplesOf(record.bytes);
    const [low, high] = view.low !== undefined ? [view.low, view.high] : sampleRange(samples);
    const canvas = h('canvas', { className: 'picture', role: 'img', 'aria-label': view.caption, tabindex: '0', title: record.name });
    const open = () => this.app.openPicture(record.name, [low, high]);
    canvas.addEventListener('click', open);
    canvas.addEventListener('keydown', (event) => event.key === 'Enter' && open());
    const element = h('figure', { className: 'picture-figure' }, canvas, greyBar(low, high, record.name),
      h('figcaption', {}, view.caption, view.note ? h('p', { className: 'note' }, view.note) : null));
    return { element, draw: () => drawSamples(canvas, samples, view.width, view.height, low, high) };
  }

  plotFigure(view, record) {
    const box = h('div', { className: 'plot' });
    const element = h('figure', { className: 'plot-figure' }, box, h('figcaption', {}, view.caption, view.note ? h('p', { className: 'note' }, view.note) : null));
    return { element, draw: () => drawPlot(box, { ...plotOfRecord(this.session, record, { theory: view.theory }), title: view.caption, log: !!view.log }) };
  }
}
