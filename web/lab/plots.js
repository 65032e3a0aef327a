// Plots with uPlot: axes, legend, one curve per series. Tables become
// families of curves; the MTF is drawn up to the Nyquist frequency and its
// rest as a separate grey curve marked as not meaningful.

import uPlot from 'uplot';
import { parseTable } from './file_kinds.js';
import { t } from './i18n.js';

const PALETTE = ['#1f77b4', '#d62728', '#2ca02c', '#9467bd', '#ff7f0e', '#17becf', '#8c564b', '#e377c2', '#7f7f7f', '#bcbd22'];

// A plot in `container`: {title, xLabel, yLabel, x, series: [{label, values, color, dash}], log, yRange}.
export function drawPlot(container, plot) {
  container.replaceChildren();
  const width = Math.max(260, Math.min(container.clientWidth || window.innerWidth - 48, 900));
  const height = Math.round(Math.min(420, Math.max(220, width * 0.55)));
  const positive = (v) => (v !== null && v > 0 ? v : null);
  const data = [plot.x, ...plot.series.map((s) => (plot.log ? s.values.map(positive) : s.values))];
  const options = {
    title: plot.title,
    width,
    height,
    scales: {
      x: { time: false },
      y: plot.log ? { distr: 3 } : plot.yRange ? { range: () => plot.yRange } : {},
    },
    axes: [
      { label: plot.xLabel, stroke: '#333', grid: { stroke: '#eee' } },
      { label: plot.yLabel, stroke: '#333', grid: { stroke: '#eee' }, size: 70 },
    ],
    series: [
      { label: plot.xLabel, value: (u, v) => (v === null || v === undefined ? '–' : Number(v.toPrecision(5))) },
      ...plot.series.map((s, i) => ({
        label: s.label,
        stroke: s.color || PALETTE[i % PALETTE.length],
        width: 1.5,
        dash: s.dash,
        points: { show: false },
        spanGaps: false,
        value: (u, v) => (v === null || v === undefined ? '–' : Number(v.toPrecision(5))),
      })),
    ],
    legend: { live: true },
  };
  const chart = new uPlot(options, data, container);
  container.setAttribute('role', 'img');
  container.setAttribute('aria-label', plot.title);
  return chart;
}

// An axis's label: its quantity and unit, as the run's file event names them.
const axisLabel = (axis) => (axis && axis.quantity ? (axis.unit ? `${axis.quantity} (${axis.unit})` : axis.quantity) : 'line');

// The plot of a text table of the workspace, its x axis as the run that made
// it described the table (one-column tables hold values only).
export function tablePlot(record) {
  const info = record.info || {};
  const quantity = info.quantity || 'value';
  const table = parseTable(record.bytes);
  if (table.grid) {
    return {
      title: `${quantity} · ${record.name}`,
      xLabel: axisLabel(info.axis),
      yLabel: quantity,
      x: table.x,
      series: table.series.map((s) => ({ label: s.label, values: s.values })),
    };
  }
  const given = info.axis && Number.isFinite(info.axis.step) ? info.axis : null;
  const axis = {
    first: given ? given.start : 0,
    step: given ? given.step : 1,
    label: axisLabel(given),
    quantity,
    // The MTF means something up to the Nyquist frequency only.
    nyquist: quantity === 'MTF' && given && given.unit === 'cycles/pixel' ? 0.5 : undefined,
  };
  const x = table.values.map((_, i) => axis.first + i * axis.step);
  const plot = { title: `${quantity} · ${record.name}`, xLabel: axis.label, yLabel: axis.quantity, x, series: [] };
  if (axis.nyquist === undefined) {
    plot.series.push({ label: axis.quantity, values: table.values });
    return plot;
  }
  // Up to the Nyquist frequency, then the rest: both meet at the last point below it.
  const last = x.reduce((found, v, i) => (v <= axis.nyquist + 1e-12 ? i : found), 0);
  plot.series.push({ label: axis.quantity, values: table.values.map((v, i) => (i <= last ? v : null)) });
  plot.series.push({
    label: `${axis.quantity}, ${t('beyond_nyquist')}`,
    values: table.values.map((v, i) => (i >= last ? v : null)),
    color: '#aaa',
    dash: [6, 4],
  });
  // Beyond the Nyquist frequency the window correction grows without bound:
  // the axis shows a little of it and keeps the meaningful part readable.
  const stop = x.findIndex((v) => v > axis.nyquist * 1.2);
  if (stop > 0) {
    plot.x = x.slice(0, stop);
    plot.series = plot.series.map((s) => ({ ...s, values: s.values.slice(0, stop) }));
  }
  plot.yRange = [0, 1.1];
  return plot;
}
