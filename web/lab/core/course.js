// A course: several lessons and the data files they start from, handed out
// as one ZIP with course.json at its top (lessons/course.schema.json).
// Read here without a page: the archive within limits before anything is
// inflated, course.json against its schema, every file listed and every
// listed file there, each lesson checked as a lesson file is, a raw file's
// bytes against its size. Nothing of a course that has a problem is used.

import { unzipSync } from 'fflate';
import { fileNameProblem } from './file_names.js';
import { t } from './i18n.js';
import { LESSON_LIMITS, nestingDepth, parseLesson } from './lesson.js';
import { coursePlace, schemaProblems } from './schema_problems.js';

export const COURSE_FORMAT = 1;
export const COURSE_FILE = 'course.json';
// A course opens at once or not at all: its entries and their sizes as the
// archive's directory gives them, checked before they are inflated.
export const COURSE_LIMITS = { entries: 80, bytes: 64 * 1024 * 1024, fileBytes: 32 * 1024 * 1024 };

// True when the bytes are a ZIP archive (a course), not a lesson's JSON.
export const isZip = (bytes) => bytes.length >= 4 && bytes[0] === 0x50 && bytes[1] === 0x4b && bytes[2] === 0x03 && bytes[3] === 0x04;

// The archive's entries as {name: bytes}, or {problems}.
function entries(bytes) {
  const problems = [];
  let count = 0,
    total = 0;
  let files;
  try {
    files = unzipSync(bytes, {
      filter(file) {
        count++;
        total += file.originalSize;
        if (count > COURSE_LIMITS.entries) problems.push(t('course_too_many_files', { limit: COURSE_LIMITS.entries }));
        else if (file.originalSize > COURSE_LIMITS.fileBytes) problems.push(t('course_file_too_large', { name: file.name, limit: COURSE_LIMITS.fileBytes }));
        else if (total > COURSE_LIMITS.bytes) problems.push(t('course_too_large', { limit: COURSE_LIMITS.bytes }));
        const problem = fileNameProblem(file.name);
        if (problem) problems.push(t('course_bad_name', { name: JSON.stringify(file.name), problem: t(problem) }));
        return problems.length === 0;
      },
    });
  } catch (error) {
    return { problems: [t('course_not_zip', { message: error.message })] };
  }
  if (problems.length) return { problems: [...new Set(problems)] };
  // The sizes inflated, not only those the directory claimed.
  const inflated = Object.values(files).reduce((sum, data) => sum + data.length, 0);
  if (inflated > COURSE_LIMITS.bytes) return { problems: [t('course_too_large', { limit: COURSE_LIMITS.bytes })] };
  return { files };
}

// The course in `bytes`: {course, lessons: [lesson], files: [{name, bytes,
// format, shape}], problems}. registry: tools.json; seed: the example files
// the lab has; validators: {lesson, course} (the schemas' validators).
export function readCourse(bytes, registry, seed, validators) {
  const { files, problems } = entries(bytes);
  if (problems) return { course: null, lessons: [], files: [], problems };
  if (!files[COURSE_FILE]) return { course: null, lessons: [], files: [], problems: [t('course_no_manifest', { name: COURSE_FILE })] };
  const text = new TextDecoder().decode(files[COURSE_FILE]);
  let course;
  try {
    if (nestingDepth(text) > LESSON_LIMITS.depth) throw new Error(t('lesson_too_deep', { limit: LESSON_LIMITS.depth }));
    course = JSON.parse(text);
  } catch (error) {
    return { course: null, lessons: [], files: [], problems: [t('course_manifest_not_json', { name: COURSE_FILE, message: error.message })] };
  }
  if (!course || typeof course !== 'object' || course.course !== COURSE_FORMAT) {
    return {
      course: null,
      lessons: [],
      files: [],
      problems: [t('course_bad_format', { found: JSON.stringify(course && course.course), format: COURSE_FORMAT })],
    };
  }
  const shape = schemaProblems(validators.course, course, coursePlace).map((p) => `${COURSE_FILE}: ${p}`);
  if (shape.length) return { course: null, lessons: [], files: [], problems: shape };
  const found = [];
  const listed = new Set([COURSE_FILE, ...course.lessons, ...(course.files || []).map((f) => f.name)]);
  for (const name of Object.keys(files)) if (!listed.has(name)) found.push(t('course_unlisted', { name }));
  for (const name of listed) if (!files[name]) found.push(t('course_missing', { name }));
  const data = (course.files || []).map((f) => ({
    name: f.name,
    bytes: files[f.name],
    format: f.format,
    shape: f.rows ? [f.rows, f.columns] : null,
  }));
  for (const f of data) {
    const problem = fileNameProblem(f.name);
    if (problem) found.push(t('course_bad_name', { name: JSON.stringify(f.name), problem: t(problem) }));
    if (f.bytes && f.shape && f.bytes.length !== f.shape[0] * f.shape[1] * 4) {
      found.push(t('course_raw_size', { name: f.name, rows: f.shape[0], columns: f.shape[1], bytes: f.bytes.length }));
    }
  }
  if (found.length) return { course: null, lessons: [], files: [], problems: found };
  const lessons = [];
  const startFrom = [...seed, ...data.map((f) => f.name)];
  for (const name of course.lessons) {
    const { lesson, problems: wrong } = parseLesson(new TextDecoder().decode(files[name]), registry, startFrom, validators.lesson);
    if (wrong.length) found.push(...wrong.map((p) => `${name}: ${p}`));
    else lessons.push(lesson);
  }
  const ids = lessons.map((l) => l.id);
  for (const id of new Set(ids.filter((id, i) => ids.indexOf(id) !== i))) found.push(t('course_duplicate_id', { id }));
  if (found.length) return { course: null, lessons: [], files: [], problems: found };
  return { course, lessons, files: data, problems: [] };
}
