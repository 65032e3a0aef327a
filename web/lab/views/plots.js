// Plots with uPlot. A plot is described once (plotOfTables) and drawn on a
// canvas (drawPlot) or written as SVG (svg_export.js) with the same ranges,
// ticks and texts. Tables of one kind share a plot, each curve named by its
// file; an MTF is drawn up to the Nyquist frequency and its rest as a grey
// curve marked as not meaningful; known answers are drawn dashed.

import uPlot from 'uplot';
import { axisLabel, NYQUIST, quantityWords } from '../core/file_meaning.js';
import { t } from '../core/i18n.js';
import { dataRange, linearAxis, logAxis, tickLabels, valueText } from '../core/plot_axes.js';
import { tableData } from '../core/table_data.js';
import { theorySeries } from '../core/theory_curves.js';

export const PALETTE = ['#1f77b4', '#d62728', '#2ca02c', '#9467bd', '#ff7f0e', '#17becf', '#8c564b', '#e377c2', '#7f7f7f', '#bcbd22'];
const THEORY_DASH = [7, 5];

// The ranges and ticks of a plot: x over the data, y widened to whole ticks.
export function plotScales(plot) {
  // xRange: the whole axis a curve still growing will fill (a run's iterations).
  const xs = plot.xRange || plot.x.filter(Number.isFinite);
  const xAxis = linearAxis(xs.length ? [Math.min(...xs), Math.max(...xs)] : null, 6);
  xAxis.min = xs.length ? Math.min(...xs) : xAxis.min;
  xAxis.max = xs.length ? Math.max(...xs) : xAxis.max;
  if (xAxis.max === xAxis.min) xAxis.max = xAxis.min + 1;
  xAxis.ticks = xAxis.ticks.filter((v) => v >= xAxis.min - 1e-12 && v <= xAxis.max + 1e-12);
  const values = plot.series.map((s) => s.values);
  const range = plot.yRange || dataRange(values, plot.log);
  const yAxis = plot.log ? logAxis(range) : linearAxis(range, 6);
  return { x: { ...xAxis, labels: tickLabels(xAxis) }, y: { ...yAxis, labels: tickLabels(yAxis) } };
}

// What a plot says to a screen reader: its title and its curves.
export const plotDescription = (plot) => `${plot.title}. ${plot.series.map((s) => s.label).join('; ')}.`;

// uPlot's own font of an axis's label, set here so that a label's width
// can be measured before it is drawn.
const AXIS_LABEL_FONT =
  'bold 12px system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, "Noto Sans", sans-serif, "Apple Color Emoji", "Segoe UI Emoji", "Segoe UI Symbol", "Noto Color Emoji"';

// The width of a label in that font: a y axis's label runs along the plot's
// height, and one longer than that (a long unit, full-width characters at a
// narrow width) gives way to its quantity's short name.
function labelWidth(text) {
  labelWidth.context = labelWidth.context || document.createElement('canvas').getContext('2d');
  labelWidth.context.font = AXIS_LABEL_FONT;
  return labelWidth.context.measureText(text).width;
}

// A plot in `container`: {title, xLabel, yLabel, x, series: [{label, values,
// color, dash}], log, yRange, note}. The description stays on the container
// (container.plot) for the report and the SVG export.
export function drawPlot(container, plot) {
  container.replaceChildren();
  container.plot = plot;
  if (container.clientWidth === 0 && typeof ResizeObserver === 'function') {
    // Not laid out (its view hidden): drawn when it is, at the width it gets,
    // not at a guess wider than its figure.
    if (!container.waitingForWidth) {
      container.waitingForWidth = new ResizeObserver(() => {
        if (container.clientWidth === 0) return;
        container.waitingForWidth.disconnect();
        container.waitingForWidth = null;
        drawPlot(container, container.plot);
      });
      container.waitingForWidth.observe(container);
    }
    return null;
  }
  const width = Math.max(260, Math.min(container.clientWidth || window.innerWidth - 48, 900));
  const height = Math.round(Math.min(420, Math.max(220, width * 0.55)));
  const scales = plotScales(plot);
  const positive = (v) => (v !== null && v > 0 ? v : null);
  const data = [plot.x, ...plot.series.map((s) => (plot.log ? s.values.map(positive) : s.values))];
  const axis = (which, label) => ({
    label,
    labelFont: AXIS_LABEL_FONT,
    stroke: '#333',
    grid: { stroke: '#eee' },
    splits: () => scales[which].ticks,
    values: () => scales[which].labels,
    size: which === 'y' ? (self, values) => 18 + 7.5 * Math.max(4, ...(values || []).map((v) => String(v).length)) : 50,
  });
  const options = {
    title: plot.title,
    width,
    height,
    scales: {
      x: { time: false, range: () => [scales.x.min, scales.x.max] },
      y: plot.log ? { distr: 3, log: 10, range: () => [scales.y.min, scales.y.max] } : { range: () => [scales.y.min, scales.y.max] },
    },
    // A long quantity on a short axis gives way to its short name.
    axes: [axis('x', plot.xLabel), axis('y', labelWidth(plot.yLabel) > height - 40 && plot.yShort ? plot.yShort : plot.yLabel)],
    series: [
      { label: plot.xLabel, value: (u, v) => valueText(v) },
      ...plot.series.map((s, i) => ({
        label: s.label,
        stroke: s.color || PALETTE[i % PALETTE.length],
        width: s.point ? 0 : s.dash ? 2 : 1.5,
        dash: s.dash,
        points: s.point ? { show: true, size: 11, fill: s.color || PALETTE[i % PALETTE.length] } : { show: false },
        spanGaps: !!plot.spanGaps,
        value: (u, v) => valueText(v),
      })),
    ],
    legend: { live: true },
  };
  const chart = new uPlot(options, data, container);
  container.setAttribute('role', 'figure');
  container.setAttribute('aria-label', plotDescription(plot));
  const canvas = container.querySelector('canvas');
  if (canvas) canvas.setAttribute('aria-hidden', 'true');
  const legend = container.querySelector('.u-legend');
  if (legend) legend.setAttribute('aria-label', `${t('legend')}: ${plot.series.map((s) => s.label).join('; ')}`);
  if (plot.note) container.append(Object.assign(document.createElement('p'), { className: 'note plot-note', textContent: plot.note }));
  return chart;
}

// One x for several tables: the union of their x values, each series null
// where its table has no line.
function commonX(datas) {
  const first = datas[0].x;
  if (datas.every((d) => d.x.length === first.length && d.x.every((v, i) => v === first[i]))) return { x: first, spread: false };
  const x = [...new Set(datas.flatMap((d) => d.x))].filter(Number.isFinite).sort((a, b) => a - b);
  return { x, spread: true };
}

// The plot of tables of one kind: entries [{name, bytes, meaning}] (or
// {name, data, meaning} with the table's data as tableData gives it: a
// run's iterations so far); options {log, theory: {key, parameters} | null}.
export function plotOfTables(entries, { log = false, theory = null } = {}) {
  const meaning = entries[0].meaning;
  const datas = entries.map((e) => e.data || tableData(e.bytes, e.meaning));
  const { x, spread } = commonX(datas);
  const series = [];
  const overlay = entries.length > 1;
  entries.forEach((entry, n) => {
    const data = datas[n];
    const at = new Map(data.x.map((v, i) => [v, i]));
    for (const s of data.series) {
      const values = spread ? x.map((v) => (at.has(v) ? s.values[at.get(v)] : null)) : s.values;
      const label = data.grid ? (overlay ? `${entry.name}: ${s.label}` : s.label) : overlay ? entry.name : quantityWords(meaning.quantity);
      series.push({ label, values, color: PALETTE[series.length % PALETTE.length], source: entry.name, row: s.label });
    }
  });
  const names = entries.map((e) => e.name).join(', ');
  const plot = {
    title: t('plot_title', { quantity: quantityWords(meaning.quantity), names }),
    xLabel: axisLabel(datas[0].xQuantity, datas[0].xUnit),
    xUnit: datas[0].xUnit,
    yLabel: axisLabel(meaning.quantity, meaning.unit),
    yShort: meaning.quantity,
    x,
    series,
    log,
    spanGaps: spread,
    names: entries.map((e) => e.name),
    quantity: meaning.quantity,
  };
  if (theory) addTheory(plot, theory, datas[0].grid ? datas[0].series.map((s) => s.label) : []);
  if (meaning.quantity === 'MTF' && datas[0].xQuantity === 'spatial frequency') splitAtNyquist(plot);
  if (meaning.quantity === 'convergence') markLowestRmse(plot);
  return plot;
}

// An iterative reconstruction's table: the lowest RMSE of each run marked
// with a point, and said in the plot's note (where iterating more starts
// to fit the noise).
function markLowestRmse(plot) {
  const notes = [];
  for (const s of plot.series.filter((series) => series.row === 'rmse')) {
    let best = -1;
    s.values.forEach((v, i) => {
      if (v !== null && Number.isFinite(v) && (best < 0 || v < s.values[best])) best = i;
    });
    if (best < 0) continue;
    const label = t('lowest_rmse', { value: valueText(s.values[best]), iteration: plot.x[best] });
    plot.series.push({
      label: plot.names.length > 1 ? `${s.source}: ${label}` : label,
      values: s.values.map((v, i) => (i === best ? v : null)),
      color: s.color,
      point: true,
      mark: true,
    });
    notes.push(`${plot.names.length > 1 ? `${s.source}: ${label}` : label}${t('sentence_end')}`);
  }
  if (notes.length) plot.note = [plot.note, ...notes].filter(Boolean).join(' ');
}

function addTheory(plot, theory, rowLabels) {
  const curves = theorySeries(theory.key, theory.parameters, plot.x, rowLabels);
  // One answer per row of a sweep in its row's colour; a single one in black,
  // so that it shows where it lies on the measurement.
  const rows = curves.length > 1;
  curves.forEach((curve, i) => {
    const color = rows && plot.series[i] ? plot.series[i].color : '#000';
    plot.series.push({ ...curve, label: `${t('theory')}: ${curve.label}`, color, dash: THEORY_DASH, theory: theory.key });
  });
  plot.note = t(`theory_note_${theory.key}`);
}

// Up to the Nyquist frequency, then the rest in grey: both meet at the last
// point below it. Beyond it the window correction grows without bound, so
// the axis shows a little of it and keeps the meaningful part readable.
function splitAtNyquist(plot) {
  const last = plot.x.reduce((found, v, i) => (v <= NYQUIST + 1e-12 ? i : found), 0);
  const measured = plot.series.filter((s) => !s.theory);
  for (const s of measured) {
    const beyond = {
      ...s,
      label: `${s.label}, ${t('beyond_nyquist')}`,
      values: s.values.map((v, i) => (i >= last ? v : null)),
      color: '#aaa',
      dash: [6, 4],
      beyond: true,
    };
    s.values = s.values.map((v, i) => (i <= last ? v : null));
    plot.series.push(beyond);
  }
  const stop = plot.x.findIndex((v) => v > NYQUIST * 1.2);
  if (stop > 0) {
    plot.x = plot.x.slice(0, stop);
    plot.series = plot.series.map((s) => ({ ...s, values: s.values.slice(0, stop) }));
  }
  if (!plot.log) plot.yRange = [0, 1.1];
}
