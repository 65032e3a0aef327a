// A lesson's views of the files in the workspace: a picture in its window,
// two pictures side by side in one window, a region's mean and standard
// deviation, a table as a plot. Captions, notes and axis labels come from
// the lesson in the page's language with the knobs' values filled in.

import { h } from './dom.js';
import { currentLanguage, t } from './i18n.js';
import { lessonText } from './lesson.js';
import { drawSamples, greyBar, sampleRange, samplesOf } from './pictures.js';
import { drawPlot } from './plots.js';
import { plotOfRecord } from './plot_view.js';
import { regionStats } from './region_stats.js';

const text = (texts, values) => lessonText(texts, currentLanguage(), values);

function caption(view, values) {
  return h('figcaption', {}, text(view.caption, values), view.note ? h('p', { className: 'note' }, text(view.note, values)) : null);
}

function pictureCanvas(view, record, samples, [low, high], app) {
  const canvas = h('canvas', { className: 'picture', role: 'img', 'aria-label': record.name, tabindex: '0', title: record.name });
  const open = () => app.openPicture(record.name, [low, high]);
  canvas.addEventListener('click', open);
  canvas.addEventListener('keydown', (event) => event.key === 'Enter' && open());
  return { canvas, draw: () => drawSamples(canvas, samples, view.width, view.height, low, high) };
}

// One view as {element, draw()} from the records of its files (null when a
// file is missing). app: {openPicture(name, window), openPlot(name, log)}.
export function lessonFigure(view, records, values, app, session) {
  if (records.some((r) => !r)) return null;
  if (view.plot) {
    const box = h('div', { className: 'plot' });
    const draw = () => {
      const plot = plotOfRecord(session, records[0]);
      const x = view.x && view.x.label ? text(view.x.label, values) : plot.xLabel; // already in the page's language
      const y = view.y && view.y.label ? text(view.y.label, values) : plot.yLabel;
      drawPlot(box, { ...plot, title: text(view.caption, values), xLabel: x, yLabel: y, log: !!view.log });
    };
    return { element: h('figure', { className: 'plot-figure', 'data-file': records[0].name }, box, caption(view, values)), draw };
  }
  const samples = records.map((r) => samplesOf(r.bytes));
  if (view.region) {
    const [x, y] = view.at || [0, 0];
    const [width, height] = view.size || [view.width, view.height];
    const { mean, sd } = regionStats(samples[0], view.height, view.width, { row: y, column: x, rows: height, columns: width });
    const shown = (v) => Number(v.toPrecision(4)).toString();
    const line = t('region_stats', { name: records[0].name, width, height, x, y, mean: shown(mean), sd: shown(sd) });
    const element = h('figure', { className: 'region-figure', 'data-file': records[0].name, 'data-sd': String(sd), 'data-mean': String(mean) },
      h('p', { className: 'region-stats' }, line), caption(view, values));
    return { element, draw: () => {} };
  }
  // A picture, or two in the same window: the first one's range unless the lesson gives one.
  const window = view.window || sampleRange(samples[0]);
  const pictures = records.map((record, i) => pictureCanvas(view, record, samples[i], window, app));
  const element = h('figure', { className: view.compare ? 'picture-figure compare' : 'picture-figure', 'data-file': records.map((r) => r.name).join(' ') },
    h('div', { className: 'side-by-side' }, pictures.map((p) => p.canvas)), greyBar(window[0], window[1], records[0].name), caption(view, values));
  return { element, draw: () => pictures.forEach((p) => p.draw()) };
}
