// A table as CSV for a spreadsheet: UTF-8, a header in the page's language,
// the x column first (frequency or distance as the tool defines it), then
// one column per series. Values that are not finite are left empty.

import { axisLabel, NYQUIST } from './file_meaning.js';
import { t } from './i18n.js';
import { tableData } from './table_data.js';

const cell = (text) => (/[",\n\r]/.test(text) ? `"${text.replace(/"/g, '""')}"` : text);

export function tableCsv(bytes, meaning, language) {
  const data = tableData(bytes, meaning);
  const header = [
    axisLabel(data.xQuantity, data.xUnit, language),
    ...data.series.map((s) => (data.grid ? s.label : axisLabel(meaning.quantity, meaning.unit, language))),
  ];
  const lines = [header.map(cell).join(',')];
  data.x.forEach((x, i) => {
    const row = [x === null ? '' : String(x), ...data.series.map((s) => (s.values[i] === null || s.values[i] === undefined ? '' : String(s.values[i])))];
    lines.push(row.join(','));
  });
  return lines.join('\r\n') + '\r\n';
}

// What a plot draws (the page's plot: x, series, labels in the page's
// language) as CSV: the x column, every measured series of every table
// drawn (a series the plot splits at the Nyquist frequency joined again),
// every known answer, each header with its unit; over a frequency axis in
// cycles per pixel, a last column marks the rows beyond the Nyquist
// frequency, where a picture sampled once per pixel says nothing.
export function plotCsv(plot) {
  const measured = plot.series.filter((s) => !s.beyond && !s.mark);
  const columns = measured.map((s) => {
    const beyond = plot.series.find((b) => b.beyond && b.source === s.source && b.row === s.row);
    const values = beyond ? s.values.map((v, i) => v ?? beyond.values[i]) : s.values;
    const header = s.label === plot.yShort || plot.yLabel.startsWith(s.label) ? plot.yLabel : `${s.label}: ${plot.yLabel}`;
    return { header, values };
  });
  const perPixel = plot.xUnit === 'cycles/pixel';
  const header = [plot.xLabel, ...columns.map((c) => c.header), ...(perPixel ? [t('csv_beyond_nyquist')] : [])];
  const lines = [header.map(cell).join(',')];
  const number = (v) => (v === null || v === undefined || !Number.isFinite(v) ? '' : String(v));
  plot.x.forEach((x, i) => {
    const row = [number(x), ...columns.map((c) => number(c.values[i]))];
    if (perPixel) row.push(x > NYQUIST + 1e-12 ? t('csv_yes') : '');
    lines.push(row.map(cell).join(','));
  });
  return lines.join('\r\n') + '\r\n';
}

// The file name of a table's CSV: its own name with .csv.
export const csvName = (name) => name.replace(/\.[^.]*$/, '') + '.csv';
