// The page's pure parts under node: the console transcript (answers after
// their questions, carriage returns rewriting a line) and what a file is
// (from its run's file event) and how its table reads.
//   node web/tests/lab_units.test.mjs

import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { Transcript } from '../lab/core/transcript.js';
import { fileInfo, parseTable } from '../lab/core/file_kinds.js';
import { iterationData, iterationOutputs, pictureSeries } from '../lab/core/iterations.js';

const bytes = (text) => new TextEncoder().encode(text);

// Transcript: each answer after its question as the answer events say,
// progress rewritten in place; answers that ran out show nothing.
{
  const transcript = new Transcript();
  transcript.add('stdout', bytes('\nTitle\n\n 1. Output [n.img] :'));
  transcript.event({ event: 'answer', number: 1, line: 'a.img' });
  transcript.add('stdout', bytes(' 2. Width [256] :'));
  transcript.event({ event: 'answer', number: 2, line: '' });
  transcript.add('stdout', bytes(' 3. Height [256] :'));
  transcript.event({ event: 'answer', number: 3, line: null });
  transcript.add('stderr', bytes('\r row [  1/256]'));
  transcript.add('stderr', bytes('\r row [256/256]\n'));
  transcript.add('stdout', bytes('done\n'));
  transcript.finish();
  // A carriage return rewrites the unanswered prompt's line, as on a terminal.
  assert.equal(transcript.text(), '\nTitle\n\n 1. Output [n.img] :a.img\n 2. Width [256] :\n row [256/256]6] :\ndone\n');
}

// What a file holds, from the run's file event; a filter's output takes the quantity of its input.
{
  const events = [
    { event: 'file', name: 'in.img', role: 'input', format: 'raw', rows: 4, columns: 8, quantity: 'attenuation per pixel', unit: '' },
    { event: 'file', name: 'out.img', role: 'output', format: 'raw', rows: 4, columns: 8, like: 'input', bytes: 128 },
    {
      event: 'file',
      name: 'n4-3.txt',
      role: 'output',
      format: 'table',
      quantity: 'MTF',
      unit: '',
      layout: 'column',
      axis: { quantity: 'spatial frequency', unit: 'cycles/pixel', start: 0, step: 0.0195 },
    },
  ];
  const records = { 'in.img': { info: { quantity: 'attenuation per pixel', unit: '' } } };
  const out = await fileInfo(events, 'out.img', async (name) => records[name]);
  assert.deepEqual(out.shape, [4, 8], 'rows first');
  assert.equal(out.quantity, 'attenuation per pixel', 'like its input');
  const mtf = await fileInfo(events, 'n4-3.txt', async () => null);
  assert.equal(mtf.format, 'table');
  assert.equal(mtf.axis.step, 0.0195);
  assert.deepEqual(await fileInfo(events, 'unknown.img', async () => null), { format: 'raw', shape: null });
}

// Tables: a grid in Shift_JIS, one column with a NaN, and the MTF's axis.
{
  const header = Uint8Array.from([0x8e, 0xfc, 0x94, 0x67, 0x90, 0x94]); // 周波数
  const grid = parseTable(new Uint8Array([...header, ...bytes('\t0.019531\t0.039062\n5dB\t1.0e-01\tnan\n')]));
  assert.deepEqual(grid, { grid: true, x: [0.019531, 0.039062], series: [{ label: '5dB', values: [0.1, null] }] });
  assert.deepEqual(parseTable(bytes('0.5\n-nan\n2\n')), { grid: false, values: [0.5, null, 2] });
}
// The lab's language: the one chosen last on this computer, else the
// browser's first language that the lab speaks.
{
  const stored = new Map();
  globalThis.localStorage = { getItem: (key) => stored.get(key) ?? null, setItem: (key, value) => stored.set(key, value) };
  globalThis.navigator = { languages: ['fr-FR', 'ja-JP', 'en-GB'] };
  assert.equal((await import('../lab/core/i18n.js?browser')).currentLanguage(), 'ja');
  stored.set('ct-lab-language', 'en');
  assert.equal((await import('../lab/core/i18n.js?chosen')).currentLanguage(), 'en');
  delete globalThis.navigator;
  delete globalThis.localStorage;
}
// A log knob's keys step through 1-2-5 values (the slider's small steps
// would round back to where they started: 2000 stayed 2000); Page Up and
// Down a decade; Home and End its ends, on any knob.
{
  const { roundValues, steppedValue, toPosition, toValue } = await import('../lab/core/knob_values.js');
  const photons = { name: 'photons', kind: 'integer', scale: 'log', min: 100, max: 1000000, default: 2000 };
  assert.deepEqual(roundValues({ ...photons, max: 2000 }), [100, 200, 500, 1000, 2000]);
  assert.equal(steppedValue(photons, 2000, 'ArrowUp'), 5000);
  assert.equal(steppedValue(photons, 2000, 'ArrowDown'), 1000);
  assert.equal(steppedValue(photons, 2500, 'ArrowDown'), 2000);
  assert.equal(steppedValue(photons, 1000000, 'ArrowRight'), 1000000);
  assert.equal(steppedValue(photons, 100, 'ArrowLeft'), 100);
  assert.equal(steppedValue(photons, 2000, 'PageUp'), 20000);
  assert.equal(steppedValue(photons, 500, 'PageDown'), 100);
  assert.equal(steppedValue(photons, 2000, 'End'), 1000000);
  assert.equal(steppedValue({ kind: 'integer', scale: 'linear', min: 1, max: 6 }, 3, 'Home'), 1);
  assert.equal(steppedValue({ kind: 'integer', scale: 'linear', min: 1, max: 6 }, 3, 'ArrowUp'), null, "a linear knob keeps the slider's own steps");
  // The slider's own position of a round value gives it back.
  for (const v of roundValues(photons)) assert.equal(toValue(photons, toPosition(photons, v)), v);
}

// The lab's layers: core knows no page and imports only core; run imports
// core and run; views anything but main.js. npm packages and the build's
// virtual modules stand outside them.
{
  const lab = new URL('../lab/', import.meta.url);
  const allowed = { core: ['core'], run: ['core', 'run'], views: ['core', 'run', 'views'] };
  for (const layer of Object.keys(allowed)) {
    for (const file of readdirSync(new URL(layer, lab))) {
      const source = readFileSync(new URL(`${layer}/${file}`, lab), 'utf8');
      for (const [, target] of source.matchAll(/(?:from|import\()\s*'(\.[^']*)'/g)) {
        const reached = new URL(target, new URL(`${layer}/${file}`, lab)).pathname.slice(lab.pathname.length).split('/')[0];
        assert.ok(allowed[layer].includes(reached), `${layer}/${file} imports ${target}, outside what ${layer} may use`);
      }
      if (layer === 'core')
        assert.doesNotMatch(source, /(^|[^.\w])(document\.(createElement|querySelector|body)|window\.[a-z])/m, `core/${file} touches the page`);
    }
  }
}
console.log('lab units: transcript, file info, tables, the language and the layers');

// The drawing of a fan-beam scan from fan_raysum's geometry file: the
// source on its circle at β = i × range / views, every drawn ray at
// distance R·|sin γ| from the isocentre (the central one through it), a
// curved detector on the arc of radius D about the source, a flat one on
// the line at distance D; a file that lacks a key is refused naming it.
{
  const { parseFanGeometry, fanDrawing } = await import('../lab/core/fan_drawing.js');
  const file = (detector, spacing, range) =>
    `# fan-beam sinogram geometry\ndetector = ${detector}\nsource_to_isocentre_cm = 30\nsource_to_detector_cm = 60\nbins = 256\n` +
    `bin_spacing = ${spacing}\nbin_spacing_unit = x\noffset_bins = 0\nviews = 360\nrange_radians = ${range}\nrange_degrees = 0\n`;
  const close = (a, b, what) => assert.ok(Math.abs(a - b) < 1e-9, `${what}: ${a} against ${b}`);
  for (const [detector, spacing] of [
    ['curved', (0.35 * 3.14159265358979) / 180],
    ['flat', 0.45],
  ]) {
    const { geometry } = parseFanGeometry(file(detector, spacing, 4.7));
    const d = fanDrawing(geometry, { view: 90, field: { width: 128, height: 128, pixelLength: 0.15625 }, rays: 5 });
    close(d.beta, (90 * 4.7) / 360, 'view angle');
    close(Math.hypot(...d.source), 30, 'source on its circle');
    const [from, to] = d.rays[2]; // the middle ray: bin 128, the central ray (position 0)
    const cross = (p, q) => Math.abs(p[0] * q[1] - p[1] * q[0]) / Math.hypot(q[0] - p[0], q[1] - p[1]);
    close(cross(from, to), 0, `${detector}: the central ray's distance from the isocentre`);
    // The first ray (bin 0, position −128): γ = −128 Δγ, or atan(−128 Δu / D).
    const gamma = detector === 'curved' ? 128 * spacing : Math.atan((128 * 0.45) / 60);
    close(cross(...d.rays[0]), 30 * Math.sin(gamma), `${detector}: the edge ray's distance`);
    close(d.halfFan, gamma, `${detector}: half the fan angle`);
    const fromSource = d.detector.map(([x, y]) => Math.hypot(x - d.source[0], y - d.source[1]));
    if (detector === 'curved') for (const r of fromSource) close(r, 60, 'curved detector on its arc');
    else fromSource.forEach((r, k) => close(r, Math.hypot(60, [-128.5, 127.5][k] * 0.45), "flat detector: its ends at the bins' outer edges"));
    close(d.magnification, 2, 'magnification');
    close(d.field.radius, 10, 'field radius');
    assert.ok(d.extent >= 30 && d.extent >= Math.max(...d.detector.map((p) => Math.hypot(...p))) - 1e-12, 'the extent holds every point');
  }
  assert.deepEqual(parseFanGeometry(file('curved', 0.1, 6).replace(/views = 360\n/, '')), { problem: { key: 'views' } });
  assert.deepEqual(parseFanGeometry(file('round', 0.1, 6)), { problem: { key: 'detector' } });
  // The view number wraps: view 360 of 360 is view 0.
  const { geometry } = parseFanGeometry(file('curved', 0.01, 6.28318530717958));
  assert.equal(fanDrawing(geometry, { view: 360 }).view, 0);
  assert.equal(fanDrawing(geometry, { view: 1 }).field, null);
}

// An iterative run's events: the curve so far from its iteration progress
// events alone (other stages, and an RMSE that is not finite, left out),
// and its series from the file events that carry an iteration.
{
  const progress = (done, residual, rmse) => ({ event: 'progress', stage: 'iteration', done, total: 20, residual, ...(rmse === undefined ? {} : { rmse }) });
  assert.equal(iterationData([{ event: 'progress', stage: 'Make cij', done: 3, total: 9 }]), null);
  const events = [
    { event: 'start' },
    progress(0, 110.3, 0.15),
    { event: 'progress', stage: 'other', done: 5, total: 9 },
    progress(1, 2.31, null),
    progress(2, 1.21, 0.017),
  ];
  const data = iterationData(events);
  assert.deepEqual(data.x, [0, 1, 2]);
  assert.deepEqual(data.series, [
    { label: 'residual', values: [110.3, 2.31, 1.21] },
    { label: 'rmse', values: [0.15, null, 0.017] },
  ]);
  assert.deepEqual([data.done, data.total, data.xQuantity, data.grid], [2, 20, 'iteration', true]);
  // Without a reference the run says no RMSE, and the curve has none.
  assert.deepEqual(
    iterationData([progress(0, 5), progress(1, 4)]).series.map((s) => s.label),
    ['residual'],
  );

  const file = (name, extra) => ({ event: 'file', name, role: 'output', format: 'raw', ...extra });
  const outputs = iterationOutputs([
    file('s_0010.img', { planned: true, iteration: 10 }),
    file('s.img', { iteration: 20 }),
    file('s_0010.img', { iteration: 10 }),
    { event: 'file', name: 'head.img', role: 'input', iteration: 3 },
    file('s.txt', { format: 'table' }),
    file('s_0005.img', { iteration: 5 }),
  ]);
  assert.deepEqual(outputs, [
    { name: 's_0005.img', iteration: 5 },
    { name: 's_0010.img', iteration: 10 },
    { name: 's.img', iteration: 20 },
  ]);
}

// A picture's series from its record: the images still in the workspace,
// in order, ending with the picture; the picture alone when its run named
// no series (an upload) or one without it.
{
  const series = [
    { name: 's_0005.img', iteration: 5 },
    { name: 's_0010.img', iteration: 10 },
    { name: 's.img', iteration: 20 },
  ];
  const final = { name: 's.img', made: { series } };
  const stored = { 's_0005.img': { name: 's_0005.img' } }; // s_0010.img removed meanwhile
  const found = await pictureSeries(final, async (name) => stored[name] || null);
  assert.deepEqual(
    found.map((s) => [s.iteration, s.record.name]),
    [
      [5, 's_0005.img'],
      [20, 's.img'],
    ],
  );
  const upload = { name: 'u.img', made: { uploaded: 'now' } };
  assert.deepEqual(await pictureSeries(upload, async () => null), [{ iteration: null, record: upload }]);
  const other = { name: 'x.img', made: { series } };
  assert.deepEqual(await pictureSeries(other, async () => null), [{ iteration: null, record: other }]);
}

// A row profile: the samples of one row, a not-finite one a gap, and
// nothing for a row or columns outside the picture (never clipped).
{
  const { rowProfile } = await import('../lab/core/region_stats.js');
  const rows = 3,
    columns = 4;
  const samples = Float32Array.from({ length: rows * columns }, (_, i) => i * 0.5);
  samples[9] = NaN;
  assert.deepEqual(rowProfile(samples, rows, columns, 2), { x: [0, 1, 2, 3], values: [4, null, 5, 5.5] });
  assert.deepEqual(rowProfile(samples, rows, columns, 0, [1, 2]), { x: [1, 2], values: [0.5, 1] });
  for (const [row, span] of [
    [3, undefined],
    [-1, undefined],
    [1, [2, 4]],
    [1, [2, 1]],
    [1.5, undefined],
  ]) {
    assert.equal(rowProfile(samples, rows, columns, row, span), null, `row ${row}, columns ${span}`);
  }
  assert.equal(rowProfile(samples.subarray(0, 8), rows, columns, 0), null, 'fewer samples than the size says');
}
