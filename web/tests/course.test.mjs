// Courses (a ZIP of lessons and their data files) read without a page: a
// sound course gives its lessons and files; each kind of fault is refused
// with what and where, and nothing of the course is used.
//   node web/tests/course.test.mjs TOOLS_JSON

import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { zipSync } from 'fflate';
import { readCourse } from '../lab/core/course.js';
import { compileSchema, readSchema } from '../schema_check.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const registry = JSON.parse(readFileSync(process.argv[2] || join(root, 'build/tools.json'), 'utf8'));
const seed = readdirSync(join(root, 'examples')).filter((f) => f.endsWith('.txt'));
const validators = {
  lesson: compileSchema(readSchema(join(root, 'lessons/lesson.schema.json'))),
  course: compileSchema(readSchema(join(root, 'lessons/course.schema.json'))),
};
const bytes = (text) => new TextEncoder().encode(text);
const resolution = readFileSync(join(root, 'lessons/resolution.json'), 'utf8');

// A lesson of the course that starts from the course's own raw edge image.
const ownLesson = {
  lesson: 1,
  id: 'my-edge',
  title: { en: 'My edge', ja: '私のエッジ' },
  seed: ['edge64.img'],
  sections: [
    {
      title: { en: 'Its MTF', ja: 'その MTF' },
      steps: [
        {
          tool: 'transfer_curve',
          answers: { input: 'edge64.img', output: 'my_mtf.txt', width: 64, height: 64 },
          views: [{ plot: 'my_mtf.txt', caption: { en: 'MTF', ja: 'MTF' } }],
        },
      ],
    },
  ],
};
const manifest = {
  course: 1,
  id: 'week-3',
  title: { en: 'Week 3', ja: '第3週' },
  lessons: ['resolution.json', 'my-edge.json'],
  files: [{ name: 'edge64.img', format: 'raw', rows: 64, columns: 64 }],
};
const archive = (entries) => zipSync(Object.fromEntries(Object.entries(entries).map(([name, data]) => [name, typeof data === 'string' ? bytes(data) : data])));
const sound = {
  'course.json': JSON.stringify(manifest),
  'resolution.json': resolution,
  'my-edge.json': JSON.stringify(ownLesson),
  'edge64.img': new Uint8Array(64 * 64 * 4),
};
const read = (entries) => readCourse(archive(entries), registry, seed, validators);

{
  const { course, lessons, files, problems } = read(sound);
  assert.deepEqual(problems, []);
  assert.equal(course.id, 'week-3');
  assert.deepEqual(
    lessons.map((l) => l.id),
    ['resolution', 'my-edge'],
  );
  assert.deepEqual(
    files.map((f) => [f.name, f.format, f.shape, f.bytes.length]),
    [['edge64.img', 'raw', [64, 64], 16384]],
  );
}

const refused = (entries) => {
  const result = read(entries);
  assert.equal(result.course, null);
  assert.deepEqual([result.lessons, result.files], [[], []], 'nothing of a refused course is used');
  return result.problems;
};
const without = (name) => Object.fromEntries(Object.entries(sound).filter(([n]) => n !== name));
assert.deepEqual(refused(without('course.json')), ['the course has no course.json at its top']);
assert.deepEqual(refused({ ...sound, 'notes.txt': 'x' }), ['the course holds notes.txt, which course.json does not list']);
assert.deepEqual(refused(without('my-edge.json')), ['course.json lists my-edge.json, which the course does not hold']);
assert.match(refused({ ...sound, '../evil.img': 'x' }).join(), /the course's file name "..\/evil.img" names a folder/);
assert.deepEqual(refused({ ...sound, 'edge64.img': new Uint8Array(100) }), ['edge64.img: 64 × 64 samples take 64·64·4 bytes, but the file has 100']);
assert.deepEqual(refused({ ...sound, 'course.json': JSON.stringify({ ...manifest, lesons: [] }) }), [
  'course.json: the course: "lesons" is not a field here (misspelt?)',
]);
const broken = structuredClone(ownLesson);
broken.sections[0].steps[0].tool = 'transfer_curv';
assert.deepEqual(refused({ ...sound, 'my-edge.json': JSON.stringify(broken) }), ['my-edge.json: step 1 (transfer_curv): there is no tool "transfer_curv"']);
assert.deepEqual(refused({ ...sound, 'my-edge.json': resolution }), ['two lessons of the course have the id "resolution"']);
assert.match(refused({ ...sound, 'big.img': new Uint8Array(33 * 1024 * 1024) }).join(), /big.img has more than 33554432 bytes/);
const many = { ...sound };
for (let i = 0; i < 81; i++) many[`f${i}.txt`] = 'x';
assert.deepEqual(refused(many), ['the course holds more than 80 files']);
assert.match(readCourse(bytes('not a zip'), registry, seed, validators).problems[0], /^the file is not a ZIP archive/);

console.log('course: a sound course reads whole; missing, unlisted, misnamed, misfit and oversized files and broken lessons are refused');
