// The page's warnings for answers equal the console tool's: every answer of
// the table is typed into a native tool's integer and real questions and the
// warning the tool prints is compared with the one the page shows.
//   node web/tests/answer_rules.test.mjs BIN_DIR TOOLS_JSON

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { answerWarning, integerAnswer, realAnswer, shortestReal } from '../lab/answer_rules.js';

const [bin, toolsJson] = process.argv.slice(2).map((path) => resolve(path));
const registry = JSON.parse(readFileSync(toolsJson, 'utf8'));

// slant_profile asks an integer (question 3) and a real (question 6); with
// an input file that is missing it stops right after the dialogue.
const program = registry.programs.find((p) => p.name === 'slant_profile');
const integerQuestion = program.questions.find((q) => q.kind === 'integer');
const realQuestion = program.questions.find((q) => q.kind === 'real');

const INTEGER_ANSWERS = ['12', '12abc', '3.7', '1e3', '3.', 'abc', '  -5', '+7', '   ', '\t', '99999999999', '-99999999999',
  '2147483647', '2147483648', '-2147483648', '0x10', '12 ', '1.5e', '7 apples', '-', '1.5.2', '１２'];
const REAL_ANSWERS = ['0.1', '1e-3', '.5', '-.5e1', '1,5', 'abc', '1e999', '-1e999', 'inf', '-Infinity', 'nan', '-nan', 'NaN(12)',
  '0x1p-3', '0x1.8p1', '0x', '  ', '2.5x', '1e', '1e+', '-0', '1e-400', '123456789.123456789', '7 apples', '3.14159265358979', '1.'];

const work = mkdtempSync(join(tmpdir(), 'ct-answer-rules-'));
function nativeWarnings(answers, language) {
  const run = spawnSync(join(bin, program.name), [], {
    cwd: work,
    input: answers.map((a) => a + '\n').join(''),
    env: { ...process.env, CT_ENCODING: 'utf-8', CT_LANG: language },
  });
  return run.stderr.toString('utf8').split('\n').filter((line) => /^ (警告|warning)/.test(line));
}
// English where the registry has the English labels.
const languages = integerQuestion.label.en ? ['ja', 'en'] : ['ja'];

const table = [
  ...INTEGER_ANSWERS.map((answer) => [integerQuestion, answer]),
  ...REAL_ANSWERS.map((answer) => [realQuestion, answer]),
];
let warned = 0;
try {
  for (const language of languages) {
    for (const [question, answer] of table) {
      const answers = program.questions.map((q) => (q === question ? answer : ''));
      answers[0] = 'no such edge image.img';
      const expected = nativeWarnings(answers, language);
      const shown = answerWarning(question.kind, question.label[language], answer, language);
      assert.deepEqual(shown === null ? [] : [shown], expected, `${language} warning for ${question.kind} answer ${JSON.stringify(answer)}`);
      if (shown) warned++;
    }
  }
} finally {
  rmSync(work, { recursive: true, force: true });
}
assert.ok(warned > 30, 'most answers of the table are warned about');

// The values the page expects the tools to use.
assert.equal(integerAnswer('3.7\n'), 3);
assert.equal(integerAnswer('-99999999999\n'), -2147483648);
assert.equal(realAnswer('1,5\n'), 1);
assert.equal(realAnswer('0x1.8p1\n'), 3);
assert.equal(shortestReal(0.1), '0.1');
assert.equal(shortestReal(1 / 3), '0.3333333333333333');
console.log(`answer rules: ${table.length} answers in ${languages.join(' and ')}, ${warned} warnings, all as the native tool prints them`);
