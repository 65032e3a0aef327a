// The page's pure parts under node: the console transcript (answers after
// their questions, carriage returns rewriting a line) and what a file is
// (from its run's file event) and how its table reads.
//   node web/tests/lab_units.test.mjs

import assert from 'node:assert/strict';
import { Transcript } from '../lab/transcript.js';
import { fileInfo, parseTable } from '../lab/file_kinds.js';

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
    { event: 'file', name: 'n4-3.txt', role: 'output', format: 'table', quantity: 'MTF', unit: '', layout: 'column',
      axis: { quantity: 'spatial frequency', unit: 'cycles/pixel', start: 0, step: 0.0195 } },
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
console.log('lab units: transcript, file info and tables');
