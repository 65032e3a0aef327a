// A lesson's schema errors (ajv's, from lessons/lesson.schema.json) as the
// lab says problems: where, in the lesson's own terms (step 3 (raysum),
// view 1; knob "photons"; question 2), and what, in the page's language.

import { t } from './i18n.js';

// JSON pointer segments, unescaped.
const segments = (pointer) =>
  pointer
    ? pointer
        .split('/')
        .slice(1)
        .map((s) => s.replace(/~1/g, '/').replace(/~0/g, '~'))
    : [];

// Where a JSON pointer points in a lesson, in words.
export function lessonPlace(lesson, pointer) {
  const parts = segments(pointer);
  const words = [];
  let at = 0;
  const next = () => parts[at++];
  const index = (text) => Number(text);
  const first = next();
  if (first === undefined) return t('schema_at_lesson');
  if (first === 'sections' && parts.length > at) {
    const s = index(next());
    const section = (lesson.sections || [])[s];
    if (parts[at] === 'steps' && parts.length > at + 1) {
      at++;
      const j = index(next());
      let number = j + 1;
      for (let k = 0; k < s; k++) number += ((lesson.sections[k] || {}).steps || []).length || 0;
      const step = ((section || {}).steps || [])[j] || {};
      words.push(t('lesson_step', { n: number, tool: typeof step.tool === 'string' ? step.tool : '?' }));
      if (parts[at] === 'views' && parts.length > at + 1) {
        at++;
        words.push(t('schema_view', { n: index(next()) + 1 }));
      } else if (parts[at] === 'answers' && parts.length > at + 1) {
        at++;
        return t('lesson_answer', { where: joinPlaces(words), keyword: next() }) + rest(parts.slice(at));
      }
    } else {
      words.push(t('lesson_section', { n: s + 1 }));
    }
  } else if (first === 'knobs' && parts.length > at) {
    const knob = (lesson.knobs || [])[index(next())] || {};
    words.push(t('lesson_knob', { name: typeof knob.name === 'string' ? knob.name : '?' }));
  } else if (first === 'questions' && parts.length > at) {
    words.push(t('lesson_question', { n: index(next()) + 1 }));
  } else {
    at = 0;
  }
  return joinPlaces(words) + rest(parts.slice(at), words.length > 0);
}

// Places from the widest in, as the page's language joins them.
export const joinPlaces = (places) => (places.length ? places.reduce((place, more) => t('place_and', { place, more })) : '');

// Where a JSON pointer points in a course's course.json, in words.
export const coursePlace = (pointer) => (pointer ? rest(segments(pointer), false) : t('schema_at_course'));

// The fields below a place: ', field "caption.en"' (or the field alone).
function rest(parts, after = true) {
  if (parts.length === 0) return '';
  const field = t('schema_field', { field: parts.join('.') });
  return after ? t('place_and', { place: '', more: field }) : field;
}

const TYPE_WORDS = {
  string: 'schema_type_text',
  number: 'schema_type_number',
  integer: 'schema_type_integer',
  array: 'schema_type_list',
  object: 'schema_type_object',
  boolean: 'schema_type_boolean',
};

// What an error says, from its keyword and parameters.
function what(error) {
  const p = error.params || {};
  switch (error.keyword) {
    case 'additionalProperties':
      return t('schema_unknown_field', { field: p.additionalProperty });
    case 'required':
      return t('schema_missing_field', { field: p.missingProperty });
    case 'type':
      return t('schema_type', {
        type: String(p.type)
          .split(',')
          .map((ty) => t(TYPE_WORDS[ty] || ty))
          .join(t('schema_or')),
      });
    case 'const':
      return t('schema_const', { value: JSON.stringify(p.allowedValue) });
    case 'enum':
      return t('schema_enum', { values: (p.allowedValues || []).map((v) => JSON.stringify(v)).join(', ') });
    case 'minLength':
      return p.limit <= 1 ? t('schema_empty') : t('schema_min_length', { limit: p.limit });
    case 'maxLength':
      return t('schema_max_length', { limit: p.limit });
    case 'minItems':
      return t('schema_min_items', { limit: p.limit });
    case 'maxItems':
      return t('schema_max_items', { limit: p.limit });
    case 'maxProperties':
      return t('schema_max_items', { limit: p.limit });
    case 'minimum':
      return t('schema_minimum', { limit: p.limit });
    case 'maximum':
      return t('schema_maximum', { limit: p.limit });
    case 'pattern':
      return t('schema_pattern', { pattern: p.pattern });
    case 'oneOf':
      return oneOfWhat(error);
    case 'dependentRequired':
      return t('schema_needs_beside', { field: p.missingProperty, beside: p.property });
    default:
      return error.message || error.keyword;
  }
}

// The schema's choices of one thing (a view's kind, a size), each said as
// what it means; which one it is shows in where it stands.
function oneOfWhat(error) {
  if (/\/(width|height)$/.test(error.instancePath)) return t('schema_size');
  if (/\/row$/.test(error.instancePath)) return t('schema_row');
  if (/\/hu\/window$/.test(error.instancePath)) return t('schema_hu_window');
  if (/\/hu\/water_mu$/.test(error.instancePath)) return t('schema_hu_water_mu');
  return t('schema_one_view');
}

// The problems of `validate(lesson)` (a validator of the lesson schema, or
// of another with its own `placeOf(pointer)` in words), each once, in order. The errors inside a `oneOf`'s
// branches are left out: the `oneOf` itself says what was meant.
export function schemaProblems(validate, lesson, placeOf = (pointer) => lessonPlace(lesson, pointer)) {
  if (validate(lesson)) return [];
  const errors = validate.errors || [];
  const oneOfs = new Set(errors.filter((e) => e.keyword === 'oneOf').map((e) => e.instancePath));
  // A branch's errors about an item inside the value (a width below 1 in [centre, width]).
  const oneOfSchemas = errors.filter((e) => e.keyword === 'oneOf').map((e) => `${e.schemaPath}/`);
  const insideOneOf = (error) => oneOfSchemas.some((path) => error.schemaPath.startsWith(path));
  const seen = new Set();
  const problems = [];
  for (const error of errors) {
    if (error.keyword !== 'oneOf' && /\/oneOf\/\d+\//.test(error.schemaPath) && oneOfs.has(error.instancePath)) continue;
    if (error.keyword !== 'oneOf' && [...oneOfs].some((path) => error.instancePath === path)) continue;
    if (error.keyword !== 'oneOf' && insideOneOf(error)) continue;
    const line = t('schema_problem', { where: placeOf(error.instancePath), what: what(error) });
    if (!seen.has(line)) problems.push(line);
    seen.add(line);
  }
  return problems;
}
