// Axis ranges, ticks and tick labels for any range of values: the NNPS lies
// between 1e-8 and 1e-5, an MTF between 0 and 1, counts in the thousands.
// The canvas plot and its SVG export use the same ticks and the same texts.

const SUPERSCRIPT = { '-': '⁻', 0: '⁰', 1: '¹', 2: '²', 3: '³', 4: '⁴', 5: '⁵', 6: '⁶', 7: '⁷', 8: '⁸', 9: '⁹' };
const superscript = (n) => String(n).replace(/[-0-9]/g, (c) => SUPERSCRIPT[c]);

// 10^exponent exactly as a number (10 ** -7 is 1e-7, not 9.99e-8).
const power = (exponent) => Number(`1e${exponent}`);

// The finite values of several series, smallest and largest (positive only on a log axis).
export function dataRange(seriesValues, log = false) {
  let low = Infinity,
    high = -Infinity;
  for (const values of seriesValues) {
    for (const v of values) {
      if (v === null || v === undefined || !Number.isFinite(v) || (log && v <= 0)) continue;
      if (v < low) low = v;
      if (v > high) high = v;
    }
  }
  return low <= high ? [low, high] : null;
}

// A step of 1, 2 or 5 times a power of ten giving about `count` intervals.
function niceStep(span, count) {
  const rough = span / count;
  const exponent = Math.floor(Math.log10(rough));
  const base = power(exponent);
  const m = rough / base;
  const factor = m <= 1.5 ? 1 : m <= 3 ? 2 : m <= 7 ? 5 : 10;
  return { step: factor * base, exponent: factor === 10 ? exponent + 1 : exponent };
}

// A linear axis: [low, high] widened to whole steps, and its ticks.
export function linearAxis(range, count = 6) {
  let [low, high] = range || [0, 1];
  if (high === low) {
    const pad = low === 0 ? 1 : Math.abs(low) * 0.1;
    low -= pad;
    high += pad;
  }
  const { step, exponent } = niceStep(high - low, count);
  const first = Math.floor(low / step + 1e-9);
  const last = Math.ceil(high / step - 1e-9);
  const ticks = [];
  for (let i = first; i <= last; i++) ticks.push(Number((i * step).toPrecision(12)));
  return { min: ticks[0], max: ticks[ticks.length - 1], ticks, step, exponent, log: false };
}

// A logarithmic axis from the power of ten below the smallest value to the
// one above the largest; ticks at powers of ten (every few when there are
// many decades) and, over up to three decades, at 2 and 5 times them too.
export function logAxis(range) {
  const [low, high] = range || [0.1, 1];
  let bottom = Math.floor(Math.log10(low) + 1e-9);
  let top = Math.ceil(Math.log10(high) - 1e-9);
  if (top === bottom) top++;
  const decades = top - bottom;
  const every = Math.ceil(decades / 8);
  const ticks = [];
  for (let e = bottom; e <= top; e++) {
    if ((e - bottom) % every === 0) ticks.push(power(e));
    if (decades <= 3 && e < top) ticks.push(2 * power(e), 5 * power(e));
  }
  ticks.sort((a, b) => a - b);
  return { min: power(bottom), max: power(top), ticks, log: true };
}

// One tick's text with `digits` significant decimals: plain when it reads
// well, else mantissa × 10^exponent.
function tickText(v, digits, scientific) {
  if (v === 0) return '0';
  if (!scientific) return v.toFixed(Math.max(0, digits));
  const exponent = Math.floor(Math.log10(Math.abs(v)) + 1e-9);
  const mantissa = v / power(exponent);
  // A mantissa of 1.0 stays written out, like its neighbours 1.5 and 2.0.
  return `${mantissa.toFixed(Math.max(0, digits + exponent)).replace('-', '−')}×10${superscript(exponent)}`;
}

// The texts of an axis's ticks: as few decimals as keep them distinct.
export function tickLabels(axis) {
  const largest = Math.max(...axis.ticks.map(Math.abs));
  const scientific = largest >= 1e5 || largest < 1e-3 || (axis.log && (axis.max > 1e4 || axis.min < 1e-3));
  let digits = axis.log ? 0 : Math.max(0, -axis.exponent);
  if (axis.log) {
    return axis.ticks.map((v) => {
      const exponent = Math.floor(Math.log10(v) + 1e-9);
      const m = Math.round(v / power(exponent));
      if (!scientific) return String(Number(v.toPrecision(6)));
      return m === 1 ? `10${superscript(exponent)}` : `${m}×10${superscript(exponent)}`;
    });
  }
  for (; digits < 16; digits++) {
    const labels = axis.ticks.map((v) => tickText(v, digits, scientific));
    if (new Set(labels).size === labels.length) return labels.map((l) => l.replace(/^-/, '−'));
  }
  return axis.ticks.map((v) => String(v));
}

// A value in a legend or a readout: five significant digits, never "0" for a small number.
export function valueText(v) {
  if (v === null || v === undefined) return '–';
  if (!Number.isFinite(v)) return String(v);
  if (v !== 0 && (Math.abs(v) < 1e-3 || Math.abs(v) >= 1e6)) return v.toExponential(4);
  return String(Number(v.toPrecision(5)));
}
