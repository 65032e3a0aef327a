// The JSON Schemas of the suite (lessons/lesson.schema.json, the run events',
// tools.json's) as validators, for node: the lab's build and the tests.
// The page cannot compile a schema (its content security policy allows no
// eval), so the build turns the lesson schema into a standalone module that
// the page bundles: one schema, the same checks in node and in the page.

import Ajv2020 from 'ajv/dist/2020.js';
import standaloneCode from 'ajv/dist/standalone/index.js';
import { readFileSync } from 'node:fs';

// Every error, not only the first, so that a lesson's author sees them all;
// strict, so that a typing slip in a schema is an error, not a silent no-op.
// A view's `oneOf` of `required` names properties its parent defines; an
// answer is a text or a number.
const options = { allErrors: true, strict: true, strictRequired: false, allowUnionTypes: true };

export const readSchema = (path) => JSON.parse(readFileSync(path, 'utf8'));

// validate(data) -> true, or false with validate.errors (ajv's).
export function compileSchema(schema) {
  return new Ajv2020(options).compile(schema);
}

// The validator as an ES module's source, exporting `validate`, with no eval.
export function standaloneValidator(schema) {
  const ajv = new Ajv2020({ ...options, code: { source: true, esm: true } });
  return standaloneCode(ajv, ajv.compile(schema));
}

// A schema's errors as lines "PATH: MESSAGE" (tests of the events and tools.json).
export function errorLines(validate, data) {
  if (validate(data)) return [];
  return validate.errors.map(
    (e) => `${e.instancePath || '/'}: ${e.message}${e.params && e.params.additionalProperty ? ` (${e.params.additionalProperty})` : ''}`,
  );
}
