// A table as CSV for a spreadsheet: UTF-8, a header in the page's language,
// the x column first (frequency or distance as the tool defines it), then
// one column per series. Values that are not finite are left empty.

import { axisLabel } from './file_meaning.js';
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

// The file name of a table's CSV: its own name with .csv.
export const csvName = (name) => name.replace(/\.[^.]*$/, '') + '.csv';
