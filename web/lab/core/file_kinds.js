// What a file of the workspace holds, as the run that wrote it said in its
// file event (common/run_events.md): the format, a raw picture's rows and
// columns, the quantity and its unit, a table's layout and axis. An output
// that holds what its input held (a filter's) takes the input's quantity.

// The workspace's description of `name` from a run's events; `recordOf(name)`
// gives the workspace's record of an input (for an output `like` it).
export async function fileInfo(events, name, recordOf) {
  const written = events.filter((e) => e.event === 'file' && e.role === 'output' && e.name === name).pop();
  if (!written) return { format: 'raw', shape: null };
  const info = { ...written };
  delete info.event;
  delete info.role;
  info.shape = Number.isInteger(info.rows) && Number.isInteger(info.columns) && info.rows > 0 && info.columns > 0 ? [info.rows, info.columns] : null;
  if (info.like === 'input' && !info.quantity) {
    const input = events.find((e) => e.event === 'file' && e.role === 'input' && e.format === info.format);
    const record = input && (await recordOf(input.name));
    if (record && record.info && record.info.quantity) {
      info.quantity = record.info.quantity;
      info.unit = record.info.unit;
      if (record.info.pixel_length_cm !== undefined) info.pixel_length_cm = record.info.pixel_length_cm;
    }
  }
  return info;
}

// A text table: a grid (header "周波数" and frequencies, then one labelled
// row per series) or one number per line.
// layout: the run's word for it ('grid', 'columns'), when a run described
// the file; a grid is known by its header 周波数 (frequency) without one.
export function parseTable(bytes, layout = null) {
  let text = new TextDecoder('shift_jis').decode(bytes);
  if (!text.startsWith('周波数')) {
    const utf8 = new TextDecoder('utf-8').decode(bytes);
    if (utf8.startsWith('周波数')) text = utf8;
  }
  const lines = text
    .split('\n')
    .map((line) => line.replace(/\r$/, ''))
    .filter((line) => line !== '');
  const number = (cell) => {
    const v = Number(
      cell
        .trim()
        .replace(/^(-?)nan.*$/i, 'NaN')
        .replace(/^(-?)inf.*$/i, '$1Infinity'),
    );
    return Number.isFinite(v) ? v : null;
  };
  if (layout === 'columns' && lines.length > 0) {
    const names = lines[0].split('\t');
    const rows = lines.slice(1).map((line) => line.split('\t').map(number));
    return { columns: true, names, rows };
  }
  if (lines.length > 0 && (layout === 'grid' || lines[0].startsWith('周波数'))) {
    const x = lines[0].split('\t').slice(1).map(number);
    const series = lines.slice(1).map((line) => {
      const cells = line.split('\t');
      return { label: cells[0], values: cells.slice(1).map(number) };
    });
    return { grid: true, x, series };
  }
  return { grid: false, values: lines.map(number) };
}
