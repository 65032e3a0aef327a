// The guided lab's steps are the demo's: the same tools on the same answer
// files in the same order, showing the same pictures and plots.
//   node web/tests/lab_steps.test.mjs

import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const demo = readFileSync(join(root, 'scripts/demo'), 'utf8');
const lab = JSON.parse(readFileSync(join(root, 'web/lab_steps.json'), 'utf8'));

// The demo's calls in order: step FILE TOOL …, picture FILE …, plot FILE ….
const demoCalls = [...demo.matchAll(/^(step|picture|plot) +("[^"]*"|\S+) *(\S*)/gm)].map(([, kind, file, tool]) => {
  const name = file.replace(/^"|"$/g, '');
  return kind === 'step' ? `step ${name} ${tool}` : `${kind} ${name}`;
});
const labCalls = lab.sections.flatMap((section) => section.steps).flatMap((step) => [
  `step ${step.answers} ${step.tool}`,
  ...step.views.map((view) => (view.picture ? `picture ${view.picture}` : `plot ${view.plot}`)),
]);
assert.deepEqual(labCalls, demoCalls, 'the guided lab runs and shows what the demo does');

for (const step of lab.sections.flatMap((section) => section.steps)) {
  assert.ok(existsSync(join(root, 'examples/answers', step.answers)), `${step.answers} exists`);
}
for (const name of lab.seed) assert.ok(existsSync(join(root, 'examples', name)), `${name} exists`);
const pictures = lab.sections.flatMap((s) => s.steps).flatMap((s) => s.views).filter((v) => v.picture);
for (const view of pictures) {
  const call = demo.match(new RegExp(`^picture "?${view.picture.replace(/[.()]/g, '\\$&')}"? (\\d+) (\\d+) "[^"]*"(?: (\\S+) (\\S+))?`, 'm'));
  assert.ok(call, `the demo shows ${view.picture}`);
  assert.deepEqual([view.width, view.height, view.low, view.high], [Number(call[1]), Number(call[2]), call[3] && Number(call[3]), call[4] && Number(call[4])],
    `${view.picture} is shown at the demo's size and window`);
}
console.log(`lab steps: ${labCalls.length} calls agree with scripts/demo`);
