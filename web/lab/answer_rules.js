// The console dialogue's reading of an answer line, in JavaScript: the value
// a tool takes from it and the warning it prints when the answer is not a
// clean number of its kind. The page shows that warning before it runs the
// tool, so both must agree with the tools' own rules (C's strtol and strtod
// on the line, saturation to 32 bits, the shortest round-trip decimal).

const BLANKS = ' \t\n\r\v\f';
const isBlank = (c) => c !== undefined && BLANKS.includes(c);
const onlyBlanks = (text, from) => {
  for (let i = from; i < text.length; i++) if (!isBlank(text[i])) return false;
  return true;
};
const INT32_MAX = 2147483647;
const INT32_MIN = -2147483648;

// strtol(line, &rest, 10): the value (a BigInt, unbounded) and where it ends;
// end is 0 when no digits were read.
export function parseLong(line) {
  let i = 0;
  while (isBlank(line[i])) i++;
  let sign = 1n;
  if (line[i] === '+' || line[i] === '-') sign = line[i++] === '-' ? -1n : 1n;
  const first = i;
  while (line[i] >= '0' && line[i] <= '9') i++;
  if (i === first) return { value: 0n, end: 0 };
  return { value: sign * BigInt(line.slice(first, i)), end: i };
}

// strtod(line, &rest): the value, whether it is negative (for a NaN) and
// where it ends; end is 0 when the line does not begin with a number.
export function parseDouble(line) {
  let i = 0;
  while (isBlank(line[i])) i++;
  let negative = false;
  if (line[i] === '+' || line[i] === '-') negative = line[i++] === '-';
  const signed = (v) => (negative ? -v : v);
  const rest = line.slice(i).toLowerCase();
  if (rest.startsWith('infinity')) return { value: signed(Infinity), negative, end: i + 8 };
  if (rest.startsWith('inf')) return { value: signed(Infinity), negative, end: i + 3 };
  if (rest.startsWith('nan')) {
    const group = /^nan\([0-9a-z_]*\)/.exec(rest);
    return { value: NaN, negative, end: i + (group ? group[0].length : 3) };
  }
  const hex = /^0x([0-9a-f]*)(?:\.([0-9a-f]*))?(?:p([+-]?[0-9]+))?/.exec(rest);
  if (hex && (hex[1] + (hex[2] || '')).length > 0) {
    let matched = hex[0];
    if (hex[3] === undefined) matched = matched.replace(/p.*$/, '');
    const digits = hex[1] + (hex[2] || '');
    const exponent = (hex[3] === undefined ? 0 : Number(hex[3])) - 4 * (hex[2] || '').length;
    const value = Number(BigInt('0x' + digits)) * Math.pow(2, exponent);
    return { value: signed(value), negative, end: i + matched.length };
  }
  const decimal = /^(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:e[+-]?[0-9]+)?/.exec(rest);
  if (!decimal) return { value: 0, negative: false, end: 0 };
  return { value: signed(Number(decimal[0])), negative, end: i + decimal[0].length };
}

// The values the tools take from an answer line.
export function integerAnswer(line) {
  const { value } = parseLong(line);
  if (value > BigInt(INT32_MAX)) return INT32_MAX;
  if (value < BigInt(INT32_MIN)) return INT32_MIN;
  return Number(value);
}
export const realAnswer = (line) => parseDouble(line).value;

// Why a line is not a clean number of its kind (a key of PROBLEMS), or null.
export function integerAnswerProblem(line) {
  if (onlyBlanks(line, 0)) return 'blank';
  const { value, end } = parseLong(line);
  if (end === 0) return 'not_a_number';
  if (value > BigInt(INT32_MAX) || value < BigInt(INT32_MIN)) return 'out_of_range';
  if (line[end] === '.' || line[end] === 'e' || line[end] === 'E') {
    const real = parseDouble(line);
    if (real.end > end && onlyBlanks(line, real.end)) return 'fraction';
  }
  if (!onlyBlanks(line, end)) return 'trailing';
  return null;
}

export function realAnswerProblem(line) {
  if (onlyBlanks(line, 0)) return 'blank';
  const { value, end } = parseDouble(line);
  if (end === 0) return 'not_a_number';
  if (value === Infinity || value === -Infinity) return 'infinite';
  if (Number.isNaN(value)) return 'nan';
  if (!onlyBlanks(line, end)) return 'trailing';
  return null;
}

// printf("%.*g", digits, value) for a finite value.
function formatG(value, digits) {
  if (value === 0) return Object.is(value, -0) ? '-0' : '0';
  const exponential = value.toExponential(digits - 1);
  const exponent = Number(exponential.slice(exponential.indexOf('e') + 1));
  const trim = (text) => (text.includes('.') ? text.replace(/0+$/, '').replace(/\.$/, '') : text);
  if (exponent >= -4 && exponent < digits) return trim(value.toFixed(digits - 1 - exponent));
  const [mantissa] = exponential.split('e');
  const size = Math.abs(exponent);
  return trim(mantissa) + 'e' + (exponent < 0 ? '-' : '+') + (size < 10 ? '0' : '') + size;
}

// The shortest decimal form (6 to 17 significant digits) that reads back as
// the same double, as the tools print a real they take from a warned answer.
export function shortestReal(value, negative = value < 0) {
  if (Number.isNaN(value)) return negative ? '-nan' : 'nan';
  if (!Number.isFinite(value)) return value < 0 ? '-inf' : 'inf';
  let text = '';
  for (let digits = 6; digits <= 17; digits++) {
    text = formatG(value, digits);
    if (Number(text) === value) break;
  }
  return text;
}

// The warnings as the tools print them, per language of the console texts.
export const WARNING_TEXTS = {
  ja: {
    line: (label, typed, problem, used) => ` 警告：「${label}」への答え[${typed}]は${problem}。${used} として使います。`,
    problems: {
      blank: '空白だけです',
      not_a_number: '数ではありません',
      out_of_range: '32ビットの整数の範囲を超えています',
      fraction: '整数ではありません',
      trailing: '数の後に余分な文字があります',
      infinite: '有限の実数ではありません（範囲を超えたか無限大）',
      nan: '有限の実数ではありません（非数）',
    },
  },
  en: {
    line: (label, typed, problem, used) => ` warning: the answer to "${label}" [${typed}] ${problem}; ${used} is used.`,
    problems: {
      blank: 'is only blanks',
      not_a_number: 'is not a number',
      out_of_range: 'is beyond the range of a 32-bit integer',
      fraction: 'is not an integer',
      trailing: 'has extra characters after the number',
      infinite: 'is not a finite real number (out of range or infinite)',
      nan: 'is not a finite real number (not a number)',
    },
  },
};

// The label as a warning names it: without padding and leading blanks.
const bareLabel = (label) => label.replace(/^ +| +$/g, '');

// The warning line (without its line end) a tool prints for this answer to
// a question of the given kind ("integer" or "real"), or null when the answer
// is clean, Enter alone, or a file name. `line` is the answer without its
// line end, as typed on one line.
export function answerWarning(kind, label, line, language = 'ja') {
  if (line === '' || (kind !== 'integer' && kind !== 'real')) return null;
  const texts = WARNING_TEXTS[language] || WARNING_TEXTS.ja;
  const withEnd = line + '\n';
  const problem = kind === 'integer' ? integerAnswerProblem(withEnd) : realAnswerProblem(withEnd);
  if (!problem) return null;
  let used;
  if (kind === 'integer') used = String(integerAnswer(withEnd));
  else {
    const parsed = parseDouble(withEnd);
    used = shortestReal(parsed.value, parsed.negative);
  }
  return texts.line(bareLabel(label), withEnd.replace(/\n$/, ''), texts.problems[problem], used);
}
