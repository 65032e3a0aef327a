// A text table of the workspace as an x column and named series: a grid
// table's x from its header row, a table of named columns' from its first
// column, a one-column table's from its file event (line i at start +
// i·step), a table without either by its line number.

import { parseTable } from './file_kinds.js';

const tidy = (v) => Number(v.toPrecision(12));

// {x, series: [{label, values}], xQuantity, xUnit, grid}
export function tableData(bytes, meaning) {
  const table = parseTable(bytes, meaning.layout);
  if (table.columns) {
    const axis = meaning.axis || { quantity: table.names[0], unit: '' };
    const series = table.names.slice(1).map((label, j) => ({ label, values: table.rows.map((row) => (row[j + 1] === undefined ? null : row[j + 1])) }));
    return { x: table.rows.map((row) => row[0]), series, xQuantity: axis.quantity, xUnit: axis.unit || '', grid: true };
  }
  if (table.grid) {
    const axis = meaning.axis || { quantity: 'spatial frequency', unit: 'cycles/pixel' };
    return { x: table.x, series: table.series, xQuantity: axis.quantity, xUnit: axis.unit || '', grid: true };
  }
  const axis = meaning.axis && Number.isFinite(meaning.axis.start) && Number.isFinite(meaning.axis.step) ? meaning.axis : null;
  const x = table.values.map((_, i) => (axis ? tidy(axis.start + i * axis.step) : i));
  return {
    x,
    series: [{ label: meaning.quantity, values: table.values }],
    xQuantity: axis ? axis.quantity : 'line',
    xUnit: axis ? axis.unit || '' : '',
    grid: false,
  };
}
