// The page's pure parts under node: the console transcript (answers after
// their questions, carriage returns rewriting a line, prompts split across
// chunks) and what a file is (its shape from the answers that made it, a
// series by its pattern, tables and their axes).
//   node web/tests/lab_units.test.mjs

import assert from 'node:assert/strict';
import { Transcript } from '../lab/transcript.js';
import { answerValue, fileEntry, oneColumnAxis, parseTable, rawShape } from '../lab/file_kinds.js';

const bytes = (text) => new TextEncoder().encode(text);

// Transcript: a prompt's end split over two chunks, progress rewritten in place.
{
  const transcript = new Transcript(['a.img', ''], 2);
  transcript.add('stdout', bytes('\nTitle\n\n 1. Output [n.img] ]'));
  transcript.add('stdout', bytes(' : 2. Width [256] :'));
  transcript.add('stderr', bytes('\r row [  1/256]'));
  transcript.add('stderr', bytes('\r row [256/256]\n'));
  transcript.add('stdout', bytes('done\n'));
  transcript.finish();
  assert.equal(transcript.text(), '\nTitle\n\n 1. Output [n.img] ] :a.img\n 2. Width [256] :\n row [256/256]\ndone\n');
}
// Answers run out: the remaining prompts follow one another, as on a console.
{
  const transcript = new Transcript(['x'], 3);
  transcript.add('stdout', bytes(' 1. A [1] : 2. B [2] : 3. C [3] :'));
  transcript.finish();
  assert.equal(transcript.text(), ' 1. A [1] :x\n 2. B [2] : 3. C [3] :');
}

// File kinds from a registry entry of the contract's form.
const program = {
  name: 'noise_spectrum_sweep',
  questions: [
    { number: 1, keyword: 'x_output', kind: 'name', default: 'n4-5x.txt' },
    { number: 2, keyword: 'width', kind: 'integer', default: 256 },
    { number: 3, keyword: 'height', kind: 'integer', default: 256 },
  ],
  files: [
    { question: 1, use: 'written', format: 'table' },
    { pattern: 'n4-5_{level}dB.img', names: ['n4-5_05dB.img'], use: 'written', format: 'raw', shape: ['height', 'width'] },
    { name: 'fixed.img', use: 'written', format: 'raw', shape: [4, 'width'] },
  ],
};
assert.equal(answerValue(program, ['', '12.9'], 2), 12, 'an integer answer as the tool reads it');
assert.equal(answerValue(program, [], 3), 256, 'Enter alone keeps the default');
assert.equal(fileEntry(program, ['mine.txt'], 'mine.txt').format, 'table', 'a file named by an answer');
assert.equal(fileEntry(program, [], 'n4-5x.txt').format, 'table', 'a file named by a default');
assert.deepEqual(rawShape(program, ['', '64', '32'], fileEntry(program, [], 'n4-5_25dB.img')), [32, 64], 'a series by its pattern, rows first');
assert.deepEqual(rawShape(program, ['', '64'], fileEntry(program, [], 'fixed.img')), [4, 64]);
assert.equal(fileEntry(program, [], 'other.img'), null);

// Tables: a grid in Shift_JIS, one column with a NaN, and the MTF's axis.
{
  const header = Uint8Array.from([0x8e, 0xfc, 0x94, 0x67, 0x90, 0x94]); // 周波数
  const grid = parseTable(new Uint8Array([...header, ...bytes('\t0.019531\t0.039062\n5dB\t1.0e-01\tnan\n')]));
  assert.deepEqual(grid, { grid: true, x: [0.019531, 0.039062], series: [{ label: '5dB', values: [0.1, null] }] });
  assert.deepEqual(parseTable(bytes('0.5\n-nan\n2\n')), { grid: false, values: [0.5, null, 2] });
  const mtf = { name: 'transfer_curve', questions: [1, 2, 3, 4, 5, 6].map((n) => ({ number: n, kind: n > 4 ? (n === 5 ? 'integer' : 'real') : 'name', default: n === 5 ? 256 : 0.1 })) };
  const axis = oneColumnAxis(mtf, [], 'n4-3.txt');
  assert.equal(axis.step, 1 / 51.2);
  assert.equal(axis.nyquist, 0.5);
  const lsf = oneColumnAxis({ ...mtf, name: 'slant_profile' }, ['', '', '', '', '255'], 'n4-2.txt');
  assert.equal(lsf.first, -127 * 0.1, 'the first LSF line lies N/2 samples (integer half) before the edge');
}
// The lab's language: the one chosen last on this computer, else the
// browser's first language that the lab speaks.
{
  const stored = new Map();
  globalThis.localStorage = { getItem: (key) => stored.get(key) ?? null, setItem: (key, value) => stored.set(key, value) };
  globalThis.navigator = { languages: ['fr-FR', 'ja-JP', 'en-GB'] };
  assert.equal((await import('../lab/i18n.js?browser')).currentLanguage(), 'ja');
  stored.set('ct-lab-language', 'en');
  assert.equal((await import('../lab/i18n.js?chosen')).currentLanguage(), 'en');
  delete globalThis.navigator;
  delete globalThis.localStorage;
}
console.log('lab units: transcript, file kinds, tables and the language');
