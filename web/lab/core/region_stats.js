// Measurements in a picture: the statistics of a rectangle and the profile
// along a line between two points. Samples are float32, row after row.

// The part of {row, column, rows, columns} inside a rows × columns picture,
// and whether anything was cut off.
export function clipRegion(region, rows, columns) {
  const asked = ['row', 'column', 'rows', 'columns'].map((k) => Math.trunc(Number(region[k])));
  if (asked.some((v) => !Number.isFinite(v))) return { row: 0, column: 0, rows: 0, columns: 0, clipped: true };
  const [row, column, height, width] = asked;
  const top = Math.max(0, row),
    left = Math.max(0, column);
  const bottom = Math.min(rows, row + Math.max(0, height)),
    right = Math.min(columns, column + Math.max(0, width));
  const clipped = { row: top, column: left, rows: Math.max(0, bottom - top), columns: Math.max(0, right - left) };
  clipped.clipped = clipped.row !== row || clipped.column !== column || clipped.rows !== height || clipped.columns !== width;
  return clipped;
}

// {count, mean, sd, min, max, notANumber, region}: over the finite samples
// of the region clipped to the picture, row by row, summed in double
// precision; sd with n − 1 (the sample standard deviation), 0 for a single
// sample. An empty region has count 0 and no numbers. `transform` (v → its
// value in another unit, HU) is applied to every sample first; a sample it
// makes infinite or NaN counts as not a number.
export function regionStats(samples, rows, columns, region, transform = null) {
  const r = clipRegion(region, rows, columns);
  let count = 0,
    sum = 0,
    min = Infinity,
    max = -Infinity,
    notANumber = 0;
  for (let y = r.row; y < r.row + r.rows; y++) {
    const start = y * columns + r.column;
    for (let i = start; i < start + r.columns; i++) {
      const v = transform ? transform(samples[i]) : samples[i];
      if (!Number.isFinite(v)) {
        notANumber++;
        continue;
      }
      count++;
      sum += v;
      if (v < min) min = v;
      if (v > max) max = v;
    }
  }
  if (count === 0) return { count: 0, notANumber, region: r };
  const mean = sum / count;
  let squares = 0;
  for (let y = r.row; y < r.row + r.rows; y++) {
    const start = y * columns + r.column;
    for (let i = start; i < start + r.columns; i++) {
      const v = transform ? transform(samples[i]) : samples[i];
      if (Number.isFinite(v)) squares += (v - mean) * (v - mean);
    }
  }
  return { count, mean, sd: count > 1 ? Math.sqrt(squares / (count - 1)) : 0, min, max, notANumber, region: r };
}

// The samples along the straight line from (row0, column0) to (row1,
// column1), one per pixel step of the longer side, each the nearest pixel:
// {distance: pixels from the first point, values (null where not finite), points}.
export function lineProfile(samples, rows, columns, from, to) {
  const clamp = (v, n) => Math.min(n - 1, Math.max(0, Math.round(Number(v) || 0)));
  const [r0, c0, r1, c1] = [clamp(from.row, rows), clamp(from.column, columns), clamp(to.row, rows), clamp(to.column, columns)];
  const steps = Math.max(Math.abs(r1 - r0), Math.abs(c1 - c0));
  const length = Math.hypot(r1 - r0, c1 - c0);
  const distance = [],
    values = [],
    points = [];
  for (let s = 0; s <= steps; s++) {
    const t = steps === 0 ? 0 : s / steps;
    const row = Math.round(r0 + t * (r1 - r0)),
      column = Math.round(c0 + t * (c1 - c0));
    const v = samples[row * columns + column];
    distance.push(t * length);
    values.push(Number.isFinite(v) ? v : null);
    points.push([row, column]);
  }
  return { distance, values, points, from: { row: r0, column: c0 }, to: { row: r1, column: c1 } };
}

// One row of a rows × columns picture from column `first` to `last` (both
// included; the whole row when left out): {x: columns, values}, a sample
// that is not finite as null (a gap in a curve, not a zero). null when the
// row or the columns lie outside the picture: a profile is never clipped
// to something other than what was asked.
export function rowProfile(samples, rows, columns, row, [first, last] = [0, columns - 1]) {
  const whole = [row, first, last].every(Number.isInteger);
  if (!whole || row < 0 || row >= rows || first < 0 || last >= columns || first > last) return null;
  if (samples.length < rows * columns) return null;
  const x = [],
    values = [];
  for (let c = first; c <= last; c++) {
    const v = samples[row * columns + c];
    x.push(c);
    values.push(Number.isFinite(v) ? v : null);
  }
  return { x, values };
}
