// What a file of the workspace holds, from the registry's list of the files
// each program reads and writes and the answers of the run that made it:
// a raw picture of rows × columns float32 samples, or a text table.

import { integerAnswer, realAnswer } from './answer_rules.js';

// The value a run took for question `number` (1-based): the answer, or the
// default when the answer was Enter alone or missing.
export function answerValue(program, answers, number) {
  const question = program.questions[number - 1];
  if (!question) return undefined;
  const line = answers[number - 1];
  if (line === undefined || line === '') return question.default;
  if (question.kind === 'integer') return integerAnswer(line + '\n');
  if (question.kind === 'real') return realAnswer(line + '\n');
  return line;
}

const patternExpression = (pattern) =>
  new RegExp('^' + pattern.split(/\{[^}]*\}/).map((part) => part.replace(/[.*+?^$()|[\]\\]/g, '\\$&')).join('.+?') + '$');

// The registry's entry for a file that a run of `program` with `answers` wrote or read.
export function fileEntry(program, answers, name) {
  for (const entry of program.files || []) {
    if (entry.question !== undefined && answerValue(program, answers, entry.question) === name) return entry;
    if (entry.name === name) return entry;
    if (entry.names && entry.names.includes(name)) return entry;
    if (entry.pattern && patternExpression(entry.pattern).test(name)) return entry;
  }
  return null;
}

// [rows, columns] of a raw file from its entry's shape (keywords of the
// program's questions, or integers).
export function rawShape(program, answers, entry) {
  if (!entry || !Array.isArray(entry.shape) || entry.shape.length !== 2) return null;
  const size = entry.shape.map((dimension) => {
    if (typeof dimension === 'number') return dimension;
    const index = program.questions.findIndex((q) => q.keyword === dimension);
    return index < 0 ? NaN : Number(answerValue(program, answers, index + 1));
  });
  return size.every((n) => Number.isInteger(n) && n > 0) ? size : null;
}

// What the page guesses when nothing says: for a .txt name a table when it
// holds a grid or one number per line, else text (an ellipse file); any
// other file a raw picture, square when its size allows.
export function guessedKind(name, bytes) {
  if (/\.(txt|csv|tsv)$/i.test(name)) {
    const table = parseTable(bytes);
    const numbers = !table.grid && table.values.length > 0 && table.values.every((v) => v !== null);
    return { format: table.grid || numbers ? 'table' : 'text', shape: null };
  }
  if (/\.png$/i.test(name)) return { format: 'png', shape: null };
  const side = Math.round(Math.sqrt(bytes.length / 4));
  return { format: 'raw', shape: side > 0 && side * side * 4 === bytes.length ? [side, side] : null };
}

// The abscissa of a one-column table, which holds values only: the first x,
// the step, the axis label and, for an MTF, the highest meaningful frequency.
export function oneColumnAxis(program, answers, name) {
  const value = (n) => Number(answerValue(program, answers, n));
  const pixelsFromEdge = 'distance from the edge (pixels)';
  switch (program && program.name) {
    case 'slant_profile': {
      const n = value(5), delta = value(6);
      return { first: -Math.trunc(n / 2) * delta, step: delta, label: pixelsFromEdge, quantity: name === 'esf.txt' ? 'ESF' : 'LSF' };
    }
    case 'transfer_curve':
      return { first: 0, step: 1 / (2 * value(5) * value(6)), label: 'cycles per pixel', quantity: 'MTF', nyquist: 0.5 };
    case 'noise_spectrum': {
      const across = name === answerValue(program, answers, 3) ? value(5) : value(4);
      const bin = value(6);
      return { first: bin / across, step: bin / across, label: 'cycles per pixel', quantity: 'NNPS' };
    }
    default:
      return { first: 0, step: 1, label: 'line', quantity: 'value' };
  }
}

// A text table: a grid (header "周波数" and frequencies, then one labelled
// row per series) or one number per line.
export function parseTable(bytes) {
  let text = new TextDecoder('shift_jis').decode(bytes);
  if (!text.startsWith('周波数')) {
    const utf8 = new TextDecoder('utf-8').decode(bytes);
    if (utf8.startsWith('周波数')) text = utf8;
  }
  const lines = text.split('\n').map((line) => line.replace(/\r$/, '')).filter((line) => line !== '');
  const number = (cell) => {
    const v = Number(cell.trim().replace(/^(-?)nan.*$/i, 'NaN').replace(/^(-?)inf.*$/i, '$1Infinity'));
    return Number.isFinite(v) ? v : null;
  };
  if (lines.length > 0 && lines[0].startsWith('周波数')) {
    const x = lines[0].split('\t').slice(1).map(number);
    const series = lines.slice(1).map((line) => {
      const cells = line.split('\t');
      return { label: cells[0], values: cells.slice(1).map(number) };
    });
    return { grid: true, x, series };
  }
  return { grid: false, values: lines.map(number) };
}
