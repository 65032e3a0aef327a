// Looking and measuring under node: ticks for tiny and large values, the
// SVG of a plot (text ticks, quantity axes), CSV with its x column and an
// English or Japanese header, region statistics against a plain loop
// (clipped, empty, not-a-number samples), line profiles, the known answers,
// snapshot labels, and Hounsfield units (DICOM's linear window at known
// levels, the quantities turned into HU, statistics in HU).
//   node web/tests/lab_looking.test.mjs

import assert from 'node:assert/strict';
import { axisLabel, meaningOf } from '../lab/core/file_meaning.js';
import { linearAxis, logAxis, tickLabels } from '../lab/core/plot_axes.js';
import { plotOfTables } from '../lab/views/plots.js';
import { lineProfile, regionStats } from '../lab/core/region_stats.js';
import { huConverter, huGrey, huWindow, voiLinear } from '../lab/core/hounsfield.js';
import { answersLabel } from '../lab/core/snapshots.js';
import { plotSvg } from '../lab/views/svg_export.js';
import { plotCsv, tableCsv } from '../lab/core/table_csv.js';
import { tableData } from '../lab/core/table_data.js';
import { sigmoidEdgeMtf, theorySeries, whiteNoiseNnps } from '../lab/core/theory_curves.js';

const bytes = (text) => new TextEncoder().encode(text);
const SJIS_FREQUENCY = [0x8e, 0xfc, 0x94, 0x67, 0x90, 0x94]; // 周波数

// Ticks: distinct, and none written as 0 unless it is 0, over any range.
for (const range of [
  [1.3e-8, 9.7e-6],
  [1.21e-7, 1.93e-7],
  [-3, 1200],
  [0.9938, 1.0001],
  [2.5e4, 7.1e6],
]) {
  for (const axis of range[0] > 0 ? [linearAxis(range), logAxis(range)] : [linearAxis(range)]) {
    const labels = tickLabels(axis);
    assert.equal(new Set(labels).size, labels.length, `distinct ticks for ${range}: ${labels}`);
    axis.ticks.forEach((v, i) => assert.equal(labels[i] === '0', v === 0, `tick ${v} of ${range} reads ${labels[i]}`));
    assert.ok(axis.min <= range[0] && axis.max >= range[1], `the axis holds ${range}`);
  }
}
assert.ok(logAxis([1e-8, 1e-5]).ticks.includes(1e-7), 'a log axis ticks its powers of ten exactly');

// A one-column MTF table as its run's event describes it, and a sweep grid.
const mtfEvent = {
  event: 'file',
  name: 'n4-3.txt',
  role: 'output',
  format: 'table',
  quantity: 'MTF',
  unit: '',
  layout: 'column',
  axis: { quantity: 'spatial frequency', unit: 'cycles/pixel', start: 0, step: 0.01953125 },
};
const mtf = { name: 'n4-3.txt', format: 'table', bytes: bytes('1.000000\n0.993800\n0.980000\n'), info: mtfEvent };
const mtfMeaning = meaningOf(mtf);
assert.deepEqual([mtfMeaning.quantity, mtfMeaning.axis.step, mtfMeaning.from], ['MTF', 0.01953125, 'event']);
{
  const [header, ...lines] = tableCsv(mtf.bytes, mtfMeaning, 'en').trimEnd().split('\r\n');
  assert.match(header, /^[\x20-\x7e]+$/, 'an ASCII header');
  assert.equal(header, 'spatial frequency (cycles per pixel),MTF');
  assert.deepEqual(lines, ['0,1', '0.01953125,0.9938', '0.0390625,0.98']);
}
const sweepBytes = new Uint8Array([...SJIS_FREQUENCY, ...bytes('\t0.019531\t0.039062\n5dB\t1.5e-07\tnan\n10dB\t4.0e-08\t3.9e-08\n')]);
const sweep = {
  name: 'n4-5x.txt',
  format: 'table',
  bytes: sweepBytes,
  info: { ...mtfEvent, name: 'n4-5x.txt', quantity: 'NNPS', layout: 'grid', axis: { quantity: 'spatial frequency', unit: 'cycles/pixel' } },
};
{
  const csv = tableCsv(sweep.bytes, meaningOf(sweep), 'ja');
  assert.equal(csv, '空間周波数（サイクル/画素）,5dB,10dB\r\n0.019531,1.5e-7,4e-8\r\n0.039062,,3.9e-8\r\n', 'a grid turned to columns, a NaN cell empty');
  assert.equal(tableCsv(sweep.bytes, meaningOf(sweep), 'en').split('\r\n')[0], 'spatial frequency (cycles per pixel),5dB,10dB');
}

// Tables whose layout the run names: named columns (the first the abscissa),
// and a grid over diameters, whose header is not 周波数.
{
  const convergence = {
    name: 'sart.txt',
    format: 'table',
    bytes: bytes('iteration\tresidual\trmse\n0\t2.28e+02\t1.6e-01\n1\t5.3e+00\t2.6e-02\n'),
    info: { ...mtfEvent, name: 'sart.txt', quantity: 'convergence', layout: 'columns', axis: { quantity: 'iteration', unit: '' } },
  };
  const data = tableData(convergence.bytes, meaningOf(convergence));
  assert.deepEqual(
    [data.x, data.series.map((s) => [s.label, s.values]), data.xQuantity],
    [
      [0, 1],
      [
        ['residual', [228, 5.3]],
        ['rmse', [0.16, 0.026]],
      ],
      'iteration',
    ],
  );
  assert.equal(tableCsv(convergence.bytes, meaningOf(convergence), 'en'), 'iteration,residual,rmse\r\n0,228,0.16\r\n1,5.3,0.026\r\n');
  // The lowest RMSE marked: a dot, a note, and no column of its own in the CSV.
  const rising = { ...convergence, bytes: bytes('iteration\tresidual\trmse\n0\t9\t0.3\n1\t5\t0.02\n2\t3\t0.015\n3\t2\t0.018\n') };
  const plot = plotOfTables([{ name: 'sart.txt', bytes: rising.bytes, meaning: meaningOf(rising) }]);
  const mark = plot.series.find((s) => s.mark);
  assert.deepEqual(mark.values, [null, null, 0.015, null]);
  assert.match(plot.note, /lowest RMSE 0\.015 after iteration 2\./);
  assert.match(plotSvg(plot), /<circle [^>]*><title>lowest RMSE 0\.015 after iteration 2<\/title>/);
  assert.equal(plotCsv(plot).split('\r\n')[0].split(',').length, 3, 'iteration, residual, rmse');
  const sjis = new Uint8Array([0x92, 0xbc, 0x8c, 0x61, ...bytes('\t1\t2\nNPW\t0.5\t1.5\n')]); // 直径 in Shift_JIS
  const diameters = {
    name: 'dprime_d.txt',
    format: 'table',
    bytes: sjis,
    info: { ...mtfEvent, quantity: "d'", layout: 'grid', axis: { quantity: 'diameter', unit: 'mm' } },
  };
  const grid = tableData(diameters.bytes, meaningOf(diameters));
  assert.deepEqual([grid.x, grid.series, grid.xUnit], [[1, 2], [{ label: 'NPW', values: [0.5, 1.5] }], 'mm']);
}

// The SVG of an NNPS plot: its ticks as text, distinct and non-zero, the quantity named.
{
  const values = Array.from({ length: 25 }, (_, i) => 1.4e-7 + 2e-8 * Math.sin(i));
  const nnps = {
    name: 'n4-4x.txt',
    format: 'table',
    bytes: bytes(values.map((v) => v.toExponential(6)).join('\n') + '\n'),
    info: { ...mtfEvent, quantity: 'NNPS', axis: { quantity: 'spatial frequency', unit: 'cycles/pixel', start: 5 / 256, step: 5 / 256 } },
  };
  const plot = plotOfTables([{ name: nnps.name, bytes: nnps.bytes, meaning: meaningOf(nnps) }], {
    theory: { key: 'white_nnps', parameters: { sigma: 0.1, mean: 1, width: 256, height: 256 } },
  });
  const svg = plotSvg(plot);
  const ticks = [...svg.matchAll(/<g class="y-ticks"[^>]*>([\s\S]*?)<\/g>/g)][0][1].match(/>([^<]+)<\/text>/g).map((s) => s.slice(1, -7));
  assert.ok(new Set(ticks.filter((s) => s !== '0')).size >= 6, `six distinct non-zero ticks: ${ticks}`);
  assert.match(svg, /<text class="y-label"[^>]*>NNPS/);
  assert.match(svg, /spatial frequency \(cycles per pixel\)/);
  assert.match(svg, /stroke-dasharray/, 'the known answer dashed');
  assert.match(svg, /σ² \/ \(W·H·mean²\)/, 'its formula in the legend');
}

// An overlay of two one-column tables of different x: one x, each curve named by its file.
{
  const a = { name: 'a.txt', bytes: bytes('1\n2\n'), meaning: { ...mtfMeaning, axis: { ...mtfMeaning.axis, step: 0.1 } } };
  const b = { name: 'b.txt', bytes: bytes('3\n4\n5\n'), meaning: { ...mtfMeaning, quantity: 'MTF', axis: { ...mtfMeaning.axis, step: 0.05 } } };
  const plot = plotOfTables([a, b]);
  assert.deepEqual(plot.x, [0, 0.05, 0.1]);
  assert.deepEqual(
    plot.series.filter((s) => !s.beyond).map((s) => [s.label, s.values]),
    [
      ['a.txt', [1, null, 2]],
      ['b.txt', [3, 4, 5]],
    ],
  );
}

// Region statistics against a plain computation; clipped, empty, NaN.
{
  const rows = 7,
    columns = 9;
  const samples = Float32Array.from({ length: rows * columns }, (_, i) => Math.fround(Math.sin(i * 0.7) * 3 + i / 10));
  samples[2 * columns + 3] = NaN;
  const plain = [];
  for (let y = 1; y < 5; y++) for (let x = 2; x < 8; x++) if (!Number.isNaN(samples[y * columns + x])) plain.push(samples[y * columns + x]);
  const mean = plain.reduce((s, v) => s + v, 0) / plain.length;
  const sd = Math.sqrt(plain.reduce((s, v) => s + (v - mean) ** 2, 0) / (plain.length - 1));
  const stats = regionStats(samples, rows, columns, { row: 1, column: 2, rows: 4, columns: 6 });
  assert.equal(stats.count, 23);
  assert.equal(stats.notANumber, 1);
  assert.ok(Math.abs(stats.mean - mean) < 1e-12 && Math.abs(stats.sd - sd) < 1e-12);
  assert.deepEqual([stats.min, stats.max], [Math.min(...plain), Math.max(...plain)]);
  const clipped = regionStats(samples, rows, columns, { row: 5, column: -2, rows: 10, columns: 4 });
  assert.deepEqual(clipped.region, { row: 5, column: 0, rows: 2, columns: 2, clipped: true });
  assert.equal(clipped.count, 4);
  const empty = regionStats(samples, rows, columns, { row: 20, column: 0, rows: 3, columns: 3 });
  assert.deepEqual([empty.count, empty.mean, empty.region.clipped], [0, undefined, true]);
  assert.equal(regionStats(samples, rows, columns, { row: 0, column: 0, rows: 0, columns: 5 }).count, 0);
  // A line profile: from one point to the other, one sample per step of the longer side.
  const line = lineProfile(samples, rows, columns, { row: 0, column: 0 }, { row: 3, column: 6 });
  assert.deepEqual(line.points, [
    [0, 0],
    [1, 1],
    [1, 2],
    [2, 3],
    [2, 4],
    [3, 5],
    [3, 6],
  ]);
  assert.equal(line.values[3], null, 'the NaN sample is a gap');
  assert.equal(line.distance[6], Math.hypot(3, 6));
}

// Known answers: the sigmoid edge's MTF and white noise in the suite's normalisation.
assert.equal(sigmoidEdgeMtf(0, 2), 1);
assert.ok(Math.abs(sigmoidEdgeMtf(0.1953125, 2) - 0.5734) < 1e-3, 'π²f / sinh(π²f) at line 10 of the default MTF');
const near = (a, b) => Math.abs(a - b) <= 1e-12 * Math.abs(b);
assert.ok(near(whiteNoiseNnps(0.1, 2, 256, 128), 0.01 / (32768 * 4)));
const rows = theorySeries('white_nnps', { sigma: 1, mean: 1, width: 2, height: 2 }, [0.1, 0.2], ['20dB', '40dB']);
assert.ok(rows.length === 2 && near(rows[0].values[1], 0.0025) && near(rows[1].values[0], 0.000025), 'a row labelled 20dB stands for σ = 0.1 on a signal of 1');

// Snapshot labels: the answers that are not names and differ from the defaults.
{
  const program = {
    questions: [
      { keyword: 'output', kind: 'name', default: 'a.img' },
      { keyword: 'photons', kind: 'real', default: 2000 },
      { keyword: 'width', kind: 'integer', default: 256 },
    ],
  };
  assert.equal(answersLabel(program, ['b.img', '200', '']), 'photons 200');
  assert.equal(answersLabel(program, ['b.img', '2000.0', '256']), '', 'an answer equal to its default');
  assert.equal(axisLabel('MTF', '', 'ja'), 'MTF');
}
// Hounsfield units: DICOM's linear window at its known points, each quantity
// into HU, and a region's statistics in HU.
{
  // Width 1 is a threshold at c − 0.5; width 2 has one level between; the soft-tissue window (50, 400).
  assert.deepEqual(
    [-11, -10.5, -10, 9].map((x) => huGrey(x, -10, 1)),
    [0, 0, 255, 255],
  );
  assert.deepEqual(
    [-1, -0.5, 0, 0.5].map((x) => huGrey(x, 0, 2)),
    [0, 128, 255, 255],
  ); // −0.5 lies halfway: 127.5 goes up
  assert.deepEqual(
    [-150, -140, 49.5, 60, 249, 250].map((x) => huGrey(x, 50, 400)),
    [0, 6, 128, 134, 255, 255],
  );
  assert.equal(voiLinear(0, 0.5, 2001, 0, 255), 127.5);
  assert.equal(huGrey(NaN, 40, 400), 0);
  const presets = [{ name: 'lung', centre: -600, width: 1500 }];
  assert.deepEqual(huWindow('lung', presets), { centre: -600, width: 1500, preset: presets[0] });
  assert.deepEqual(huWindow('lungs', presets), { problem: 'hu_unknown_preset' });
  assert.deepEqual(huWindow([40, 0.5], presets), { problem: 'hu_bad_window' });
  // Air, water and twice water's μ (0.25/cm) read −1000, 0 and 1000 HU in each quantity.
  const cases = [
    [{ quantity: 'CT number' }, [-1000, 0, 1000]],
    [{ quantity: 'attenuation coefficient' }, [0, 0.25, 0.5]],
    [{ quantity: 'attenuation per pixel', pixelLengthCm: 0.125 }, [0, 0.03125, 0.0625]],
  ];
  for (const [meaning, values] of cases) assert.deepEqual(values.map(huConverter(meaning, 0.25)), [-1000, 0, 1000], meaning.quantity);
  assert.equal(huConverter({ quantity: 'attenuation per pixel', pixelLengthCm: null }, 0.25), null, 'no pixel length, no HU');
  assert.equal(huConverter({ quantity: 'line integral' }, 0.25), null);
  assert.equal(huConverter({ quantity: 'CT number' }, 0), null);
  // μ = 0.25, 0.5, 0.5, 0.25 are 0, 1000, 1000, 0 HU: mean 500, sd √(4·500²/3)
  const mu = Float32Array.from([0.25, 0.5, NaN, 0.5, 0.25, 0.25]); // 2 rows of 3
  const inHu = regionStats(mu, 2, 3, { row: 0, column: 0, rows: 2, columns: 2 }, huConverter(cases[1][0], 0.25));
  assert.deepEqual([inHu.count, inHu.mean, inHu.min, inHu.max], [4, 500, 0, 1000]);
  assert.ok(Math.abs(inHu.sd - Math.sqrt((4 * 500 * 500) / 3)) < 1e-9);
  assert.equal(regionStats(mu, 2, 3, { row: 0, column: 0, rows: 1, columns: 3 }, huConverter(cases[1][0], 0.25)).notANumber, 1);
}
console.log('lab looking: ticks, SVG, CSV, overlays, region statistics, profiles, known answers, snapshot labels, Hounsfield units');
