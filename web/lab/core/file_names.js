// What a file of the workspace may be called. The workspace is one folder:
// a name with a folder in it (`../x.img`, `/abs.img`, `/dev/null`) would
// be written where the workspace never sees it; a control character can
// cut a name short (a NUL) or change the console; a bidirectional or
// zero-width character makes a name display as another one, and the
// page's own texts around it with it. A name also fits the tools' answer
// line with its line end: at most 254 bytes of UTF-8.

export const MAX_NAME_BYTES = 254;

const CONTROL = /[\u0000-\u001f\u007f-\u009f]/u;
// Marks and embeddings that reorder text, and characters that show nothing.
const INVISIBLE = /[\u061c\u200b-\u200f\u202a-\u202e\u2060-\u2064\u2066-\u2069\ufeff]/u;

// The problem of a name as a key of the page's texts (i18n.js), or null.
export function fileNameProblem(name) {
  if (typeof name !== 'string' || name.trim() === '') return 'name_empty';
  if (name.includes('/') || name.includes('\\')) return 'name_has_folder';
  if (name === '.' || name === '..') return 'name_has_folder';
  if (CONTROL.test(name)) return 'name_has_control';
  if (INVISIBLE.test(name)) return 'name_has_invisible';
  if (new TextEncoder().encode(name).length > MAX_NAME_BYTES) return 'name_too_long';
  if (name !== name.trimEnd()) return 'name_trailing_blank';
  return null;
}
