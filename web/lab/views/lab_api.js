// Looking, comparing and reporting for scripts (window.ctLab) and the
// page's Report button:
//   plotSvg(name, {log, theory, with}) -> the SVG text of a table's plot
//   plotPng(name, {log, theory, with}) -> the same plot as a PNG Blob
//   tableCsv(name, {language}) -> CSV text with the x column
//   plotCsv(name, {log, theory, with}) -> the CSV the Plots view exports: what the plot draws
//   regionStats(name, {row, column, rows, columns}) -> {count, mean, sd, min, max, …}
//   snapshot(name, {label, knobs}) -> the names kept; snapshots() -> their names
//   report() -> the report's HTML text
//   openPlot(name, {log, theory, with}), openPicture(name, [low, high], compare, hu)
//   (hu: {window: a preset's name or [centre, width], waterMu} shows it in HU),
//   measureInPicture(region), picturePng(): the views as a learner uses them

import { download, h } from './dom.js';
import { currentLanguage, onLanguage, t } from '../core/i18n.js';
import { samplesOf } from './pictures.js';
import { meaningIn, plotOfNames, tableEntry } from './plot_view.js';
import { regionStats } from '../core/region_stats.js';
import { reportHtml, reportLog } from './report.js';
import { listSnapshots, takeSnapshot } from '../core/snapshots.js';
import { plotPng, plotSvg } from './svg_export.js';
import { plotCsv, tableCsv } from '../core/table_csv.js';

// views: {guided, pictures, plots} (their .element shows the figures) and
// app: {show(view)}.
export function labApi(session, registry, views) {
  // Every finished run, with the answers of the files it wrote.
  session.onRun(async (event) => {
    if (event.state !== 'finished') return;
    const events = event.outcome.events || [];
    const changed = event.outcome.written || [];
    const record = changed.length ? await session.workspace.get(changed[0]) : null;
    const answers = record && record.made ? record.made.answers : [];
    // The values the run took and every file it wrote (also one that came
    // out the same as before), as its events tell them, when it gave events.
    const taken = events.filter((e) => e.event === 'answer');
    const files = events.filter((e) => e.event === 'file' && e.role === 'output' && !e.planned).map((e) => e.name);
    const written = files.length ? [...new Set(files)] : changed;
    reportLog.run({ at: new Date().toISOString(), tool: event.tool, answers, taken, exit: event.outcome.exit, cause: event.outcome.cause || null, written });
  });

  const api = {
    async plotSvg(name, { with: others = [], width, height, ...options } = {}) {
      return plotSvg(await plotOfNames(session, [name, ...others], options), { width, height });
    },
    async plotPng(name, { with: others = [], ...options } = {}) {
      return plotPng(await plotOfNames(session, [name, ...others], options));
    },
    async plotCsv(name, { with: others = [], ...options } = {}) {
      return plotCsv(await plotOfNames(session, [name, ...others], options));
    },
    async tableCsv(name, { language = currentLanguage() } = {}) {
      const entry = await tableEntry(session, name);
      return tableCsv(entry.bytes, entry.meaning, language);
    },
    async regionStats(name, region) {
      const record = await session.workspace.get(name);
      if (!record) throw new Error(t('no_such_file', { name }));
      const meaning = meaningIn(session, record);
      if (meaning.format !== 'raw' || !meaning.rows || !meaning.columns) throw new Error(t('not_a_picture'));
      // The samples the Pictures view holds already, when it shows this file.
      const shown = views.pictures.current;
      const samples = shown && shown.record === record ? shown.samples : samplesOf(record.bytes);
      const stats = regionStats(samples, meaning.rows, meaning.columns, region);
      reportLog.measure([{ name, asked: region, ...stats }]);
      return stats;
    },
    snapshot: (name, options) => takeSnapshot(session, name, options),
    snapshots: async () => (await listSnapshots(session.workspace)).map((r) => r.name),
    async report() {
      return reportHtml({
        registry,
        byName: session.byName,
        texts: t,
        language: currentLanguage(),
        views: [
          { title: t('tab_guided'), element: views.guided.element },
          { title: t('tab_picture'), element: views.pictures.element },
          { title: t('tab_plot'), element: views.plots.element },
        ],
        snapshots: await api.snapshots(),
      });
    },
    async openPlot(name, options) {
      views.app.show('plot');
      await views.plots.open(name, options);
    },
    async openPicture(name, window, compare, hu = null) {
      views.app.show('picture');
      await views.pictures.open(name, window, compare);
      views.pictures.setHounsfield(hu ? hu.window : null, hu ? hu.waterMu : undefined);
      await Promise.all(views.pictures.pending || []);
    },
    measureInPicture: (region) => views.pictures.setRegion(region),
    picturePng: () => (views.pictures.current ? views.pictures.pngOf(views.pictures.current) : null),
    // A lesson adds its questions and the learner's answers: source() -> {title, items: [{question, answer}]}.
    addReportSection: (source) => reportLog.addSection(source),
  };

  // The Report button: the HTML file downloaded.
  const button = h(
    'button',
    {
      type: 'button',
      id: 'download-report',
      onclick: async () => {
        const stamp = new Date().toISOString().slice(0, 16).replace(/[-:]/g, '').replace('T', '-');
        download(`ct-lab-report-${stamp}.html`, new TextEncoder().encode(await api.report()), 'text/html');
      },
    },
    t('download_report'),
  );
  onLanguage(() => (button.textContent = t('download_report')));
  return { api, button };
}
