// A lesson's views of the files in the workspace: a picture in its window,
// two pictures side by side in one window, a region's mean and standard
// deviation, a table as a plot, a drawing of a fan-beam scan from its
// geometry file, the images of an iterative run after chosen iterations,
// one row of several pictures overlaid as profiles. A picture, two compared
// and a region can be in Hounsfield units (the view's `hu`): greys through
// DICOM's linear window, the grey bar and the region's numbers in HU.
// Captions, notes and axis labels come from
// the lesson in the page's language with the knobs' values filled in.

import { h, uniqueId } from './dom.js';
import { currentLanguage, t } from '../core/i18n.js';
import { fill, lessonText, viewFiles, viewTexts } from '../core/lesson.js';
import { drawSamples, greyBar, sampleRange, samplesOf } from './pictures.js';
import { drawPlot } from './plots.js';
import { plotOfRecord } from './plot_view.js';
import { regionStats, rowProfile } from '../core/region_stats.js';
import { axisLabel, meaningOf } from '../core/file_meaning.js';
import { huBarRange, huConverter, huGrey, huWindow } from '../core/hounsfield.js';
import { fanGeometryDrawing } from './fan_geometry_figure.js';

const text = (texts, values) => lessonText(texts, currentLanguage(), values);

// The caption (and note) that holds at these knob values.
function caption(view, values) {
  const { caption: said, note } = viewTexts(view, values);
  return h('figcaption', {}, text(said, values), note ? h('p', { className: 'note' }, text(note, values)) : null);
}

// hu: the view's HU window for this picture ({toHu, centre, width, asked}) or null.
function pictureCanvas(size, record, samples, [low, high], app, hu = null) {
  const canvas = h('canvas', { className: 'picture', role: 'img', 'aria-label': record.name, tabindex: '0', title: record.name });
  const open = () => app.openPicture(record.name, [low, high], hu && hu.asked);
  canvas.addEventListener('click', open);
  canvas.addEventListener('keydown', (event) => event.key === 'Enter' && open());
  const greyOf = hu ? (v) => huGrey(hu.toHu(v), hu.centre, hu.width) : null;
  return { canvas, draw: () => drawSamples(canvas, samples, size.columns, size.rows, low, high, greyOf), greyOf };
}

// The view's `hu` for a record: {toHu, centre, width, asked} ({problem} when
// its window or water μ cannot be used, or the record holds no quantity
// that turns into HU), null without `hu`.
function viewHounsfield(view, values, record, session) {
  if (!view.hu) return null;
  const waterMu = view.hu.water_mu === undefined ? 0.19 : Number(fill(view.hu.water_mu, values));
  const window = huWindow(view.hu.window, session && session.windowPresets);
  if (window.problem) return { problem: t(window.problem, { window: JSON.stringify(view.hu.window) }) };
  const meaning = meaningOf(record);
  const toHu = huConverter(meaning, waterMu);
  if (!toHu) {
    const quantity = meaning.quantity === 'value' ? t('value') : axisLabel(meaning.quantity, meaning.unit);
    return { problem: t('hu_not_possible', { name: record.name, quantity }) };
  }
  return { toHu, centre: window.centre, width: window.width, asked: { window: view.hu.window, waterMu } };
}

// A grey bar in HU: each of its steps as the picture shows that HU.
const huBar = (hu, name) => greyBar(...huBarRange(hu), name, axisLabel('CT number', 'HU'), (v) => huGrey(v, hu.centre, hu.width));

const sizeText = ({ columns, rows }) => `${columns} × ${rows}`;

// The size a view shows a raw file at: the rows and columns the run that
// wrote it reported (its file event), which a size the lesson gives (a
// number or a knob) must agree with; for a file no run describes (an
// upload), the lesson's size if the bytes fit it. {columns, rows} or
// {problem} in the page's language: a picture is never cropped or padded.
export function viewSize(view, record, values) {
  const given = (side) => (view[side] === undefined ? null : Number(fill(view[side], values)));
  const width = given('width'),
    height = given('height');
  const samples = Math.floor(record.bytes.length / 4);
  const name = record.name;
  if ((width !== null && !(Number.isInteger(width) && width > 0)) || (height !== null && !(Number.isInteger(height) && height > 0))) {
    return { problem: t('view_size_not_a_size', { name, width: fill(view.width ?? '', values), height: fill(view.height ?? '', values) }) };
  }
  if (record.shape) {
    const written = { rows: record.shape[0], columns: record.shape[1] };
    if ((width !== null && width !== written.columns) || (height !== null && height !== written.rows)) {
      return {
        problem: t('view_size_differs', {
          name,
          given: sizeText({ columns: width ?? written.columns, rows: height ?? written.rows }),
          written: sizeText(written),
        }),
      };
    }
    if (written.rows * written.columns > samples) return { problem: t('view_size_short', { name, size: sizeText(written), samples }) };
    return written;
  }
  if (width !== null && height !== null) {
    if (width * height !== samples) return { problem: t('view_size_bytes', { name, given: sizeText({ columns: width, rows: height }), samples }) };
    return { columns: width, rows: height };
  }
  return { problem: t('view_size_unknown', { name }) };
}

// Two pictures in one window and, below them, their difference (first minus
// second) in a window symmetric about zero that reaches its largest size:
// grey is no difference, whichever picture is the larger.
function differenceFigure(view, values, records, samples, size, window, pictures, hus) {
  const difference = new Float32Array(size.rows * size.columns);
  let largest = 0;
  for (let i = 0; i < difference.length; i++) {
    difference[i] = samples[0][i] - samples[1][i];
    if (Math.abs(difference[i]) > largest) largest = Math.abs(difference[i]);
  }
  const spread = largest || 1; // identical pictures: an even grey
  const name = t('difference', { a: records[0].name, b: records[1].name });
  const canvas = h('canvas', { className: 'picture difference', role: 'img', 'aria-label': name, title: name });
  const element = h(
    'figure',
    { className: 'picture-figure compare', 'data-file': records.map((r) => r.name).join(' '), 'data-largest-difference': String(largest) },
    h(
      'div',
      { className: 'side-by-side' },
      pictures.map((p) => p.canvas),
    ),
    pictures[0].greyOf ? huBar(hus[0], records[0].name) : greyBar(window[0], window[1], records[0].name),
    h('div', { className: 'difference-picture' }, canvas, greyBar(-spread, spread, name)),
    caption(view, values),
  );
  const draw = () => {
    pictures.forEach((p) => p.draw());
    drawSamples(canvas, difference, size.columns, size.rows, -spread, spread);
  };
  return { element, draw };
}

// A view that cannot be drawn: what is wrong, in place of the picture.
function problemFigure(view, values, problem) {
  return { element: h('figure', { className: 'view-problem', role: 'alert' }, h('p', {}, problem), caption(view, values)), draw: () => {}, problem };
}

// The iteration a learner chose for a series, by the name of the image it
// ends with: kept for this tab through a redraw (a language switch) and a
// reload, as long as the run that wrote it still has that iteration.
const CHOSEN_ITERATION = 'ct-lab-iteration-'; // + the image's name
const chosenIterations = {
  get(name) {
    try {
      const kept = sessionStorage.getItem(CHOSEN_ITERATION + name);
      return kept === null ? null : Number(kept);
    } catch {
      return null;
    }
  },
  set(name, iteration) {
    try {
      sessionStorage.setItem(CHOSEN_ITERATION + name, String(iteration));
    } catch {
      // not kept: a redraw shows the last iteration again
    }
  },
};

// A picture and the images its run wrote after chosen iterations, one at a
// time in one window, with a slider (arrow keys, Home, End) to step
// through them; it opens at the last one, the picture itself. series:
// [{iteration, record}] in order, every one of `size`.
function iterationFigure(view, values, series, size, window, app, hu = null) {
  const last = series[series.length - 1];
  const final = last.record.name;
  const total = last.iteration;
  const kept = series.findIndex((s) => s.iteration === chosenIterations.get(final));
  let index = kept >= 0 ? kept : series.length - 1;
  const samples = new Map();
  const samplesAt = (i) => {
    if (!samples.has(i)) samples.set(i, samplesOf(series[i].record.bytes));
    return samples.get(i);
  };
  const canvas = h('canvas', { className: 'picture', role: 'img', tabindex: '0' });
  const open = () => app.openPicture(series[index].record.name, window, hu && hu.asked);
  const greyOf = hu ? (v) => huGrey(hu.toHu(v), hu.centre, hu.width) : null;
  canvas.addEventListener('click', open);
  canvas.addEventListener('keydown', (event) => event.key === 'Enter' && open());
  const id = uniqueId('iteration');
  const shown = (i) => t('iteration_shown', { iteration: series[i].iteration, total, name: series[i].record.name });
  const readout = h('output', { for: id, className: 'iteration-shown' });
  const slider = h('input', { type: 'range', id, min: 0, max: series.length - 1, step: 1, value: String(index) });
  const element = h(
    'figure',
    { className: 'picture-figure iteration-figure', 'data-file': final, 'data-iterations': series.map((s) => s.iteration).join(' ') },
    h('div', { className: 'side-by-side' }, canvas),
    h('div', { className: 'control iteration-control' }, h('label', { for: id }, t('iteration_choice')), slider, readout),
    hu ? huBar(hu, final) : greyBar(window[0], window[1], final),
    caption(view, values),
  );
  const draw = () => {
    const { record, iteration } = series[index];
    element.dataset.iteration = String(iteration);
    canvas.setAttribute('aria-label', shown(index));
    canvas.title = record.name;
    slider.setAttribute('aria-valuetext', shown(index));
    readout.textContent = shown(index);
    drawSamples(canvas, samplesAt(index), size.columns, size.rows, window[0], window[1], greyOf);
  };
  slider.addEventListener('input', () => {
    index = Number(slider.value);
    chosenIterations.set(final, series[index].iteration);
    draw();
  });
  return { element, draw };
}

// One row of several pictures of one size and one quantity as curves in one
// plot over the column, each named by its file; the y axis says the
// quantity and unit the runs that wrote them gave. A missing file, another
// size or another quantity is said in place of the plot: curves of two
// quantities on one axis would compare what cannot be compared.
function profileFigure(view, records, values) {
  const names = viewFiles(view).map((name) => fill(name, values));
  const missing = names.find((name, i) => !records[i]);
  if (missing) return problemFigure(view, values, t('view_file_missing', { name: missing }));
  const sizes = records.map((r) => viewSize(view, r, values));
  const wrong = sizes.find((size) => size.problem);
  if (wrong) return problemFigure(view, values, wrong.problem);
  const size = sizes[0];
  if (sizes.some((s) => s.rows !== size.rows || s.columns !== size.columns)) {
    return problemFigure(view, values, t('view_sizes_differ', { names: names.join(', '), sizes: sizes.map(sizeText).join(', ') }));
  }
  const meanings = records.map(meaningOf);
  const said = (m) => axisLabel(m.quantity, m.unit);
  if (meanings.some((m) => said(m) !== said(meanings[0]))) {
    return problemFigure(view, values, t('view_quantities_differ', { names: names.join(', '), quantities: meanings.map(said).join(', ') }));
  }
  const row = Number(fill(view.row, values));
  const [first, last] = view.columns || [0, size.columns - 1];
  const profiles = records.map((r) => rowProfile(samplesOf(r.bytes), size.rows, size.columns, row, [first, last]));
  if (profiles.some((p) => !p)) {
    return problemFigure(view, values, t('view_profile_outside', { names: names.join(', '), row: fill(view.row, values), first, last, size: sizeText(size) }));
  }
  const plot = {
    title: t('profile_plot_title', { row, first, last }),
    xLabel: t('column'),
    yLabel: meanings[0].quantity === 'value' ? t('value') : said(meanings[0]),
    yShort: meanings[0].quantity,
    x: profiles[0].x,
    series: profiles.map((p, i) => ({ label: names[i], values: p.values, source: names[i] })),
    names,
    quantity: meanings[0].quantity,
  };
  const box = h('div', { className: 'plot profile' });
  const element = h('figure', { className: 'plot-figure profile-figure', 'data-file': names.join(' '), 'data-row': String(row) }, box, caption(view, values));
  return { element, draw: () => drawPlot(box, plot), plot };
}

// One view as {element, draw(), problem} from the records of its files
// (null when a file is missing; `problem` when it cannot be drawn as the
// lesson says). app: {openPicture(name, window), openPlot(name, log)}.
// series: for a view of `iterations`, the images its picture's run wrote
// after chosen iterations ([{iteration, record}], core/iterations.js).
export function lessonFigure(view, records, values, app, session, series = null) {
  if (view.profile) return profileFigure(view, records, values);
  if (records.some((r) => !r)) return null;
  if (view.geometry) {
    const number = view.view_number === undefined ? 0 : Number(fill(view.view_number, values));
    const drawing = fanGeometryDrawing(records[0], number, text(viewTexts(view, values).caption, values));
    if (drawing.problem) return problemFigure(view, values, drawing.problem);
    return { element: h('figure', { className: 'geometry-figure', 'data-file': records[0].name }, drawing.element, caption(view, values)), draw: () => {} };
  }
  if (view.plot) {
    const box = h('div', { className: 'plot' });
    const draw = () => {
      const plot = plotOfRecord(session, records[0]);
      const x = view.x && view.x.label ? text(view.x.label, values) : plot.xLabel; // already in the page's language
      const y = view.y && view.y.label ? text(view.y.label, values) : plot.yLabel;
      drawPlot(box, { ...plot, title: text(viewTexts(view, values).caption, values), xLabel: x, yLabel: y, log: !!view.log });
    };
    return { element: h('figure', { className: 'plot-figure', 'data-file': records[0].name }, box, caption(view, values)), draw };
  }
  const sizes = records.map((r) => viewSize(view, r, values));
  const wrong = sizes.find((size) => size.problem);
  if (wrong) return problemFigure(view, values, wrong.problem);
  if (sizes.some((size) => size.rows !== sizes[0].rows || size.columns !== sizes[0].columns)) {
    return problemFigure(view, values, t('view_sizes_differ', { names: records.map((r) => r.name).join(', '), sizes: sizes.map(sizeText).join(', ') }));
  }
  const size = sizes[0];
  const samples = records.map((r) => samplesOf(r.bytes));
  const hus = records.map((r) => viewHounsfield(view, values, r, session));
  const unusable = hus.find((hu) => hu && hu.problem);
  if (unusable) return problemFigure(view, values, unusable.problem);
  if (view.region) {
    const [x, y] = view.at || [0, 0];
    const [width, height] = view.size || [size.columns, size.rows];
    if (x + width > size.columns || y + height > size.rows) {
      return problemFigure(view, values, t('view_region_outside', { name: records[0].name, size: sizeText(size) }));
    }
    const toHu = hus[0] ? hus[0].toHu : null;
    const { mean, sd } = regionStats(samples[0], size.rows, size.columns, { row: y, column: x, rows: height, columns: width }, toHu);
    const shown = (v) => Number(v.toPrecision(4)).toString();
    const line = t(toHu ? 'region_stats_hu' : 'region_stats', { name: records[0].name, width, height, x, y, mean: shown(mean), sd: shown(sd) });
    const element = h(
      'figure',
      { className: 'region-figure', 'data-file': records[0].name, 'data-sd': String(sd), 'data-mean': String(mean), 'data-unit': toHu ? 'HU' : '' },
      h('p', { className: 'region-stats' }, line),
      caption(view, values),
    );
    return { element, draw: () => {} };
  }
  // A picture, or two in the same window: the first one's range unless the lesson gives one.
  const window = view.window || sampleRange(samples[0]);
  if (view.iterations && series && series.length > 1) {
    const other = series.map((s) => viewSize(view, s.record, values)).find((s) => s.problem || s.rows !== size.rows || s.columns !== size.columns);
    if (other)
      return problemFigure(
        view,
        values,
        other.problem || t('view_sizes_differ', { names: series.map((s) => s.record.name).join(', '), sizes: sizeText(other) }),
      );
    const last = series[series.length - 1].record;
    return iterationFigure(view, values, series, size, window, app, view.hu ? viewHounsfield(view, values, last, session) : null);
  }
  const pictures = records.map((record, i) => pictureCanvas(size, record, samples[i], window, app, hus[i]));
  if (view.compare && view.difference) return differenceFigure(view, values, records, samples, size, window, pictures, hus);
  const element = h(
    'figure',
    { className: view.compare ? 'picture-figure compare' : 'picture-figure', 'data-file': records.map((r) => r.name).join(' ') },
    h(
      'div',
      { className: 'side-by-side' },
      pictures.map((p) => p.canvas),
    ),
    hus[0] ? huBar(hus[0], records[0].name) : greyBar(window[0], window[1], records[0].name),
    caption(view, values),
  );
  return { element, draw: () => pictures.forEach((p) => p.draw()) };
}
