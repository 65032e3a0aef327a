// Snapshots: a run's outputs kept under names of their own, labelled with
// the answers or knob values that made them ("n3-2_poisson_fbp.img ·
// photons 200"), so that the next run can overwrite the originals and both
// can still be compared. A snapshot is a workspace file like any other (the
// pictures and plots list it, the workspace downloads and deletes it), with
// `snapshot: {of, label, at}` beside what made it.

export const SEPARATOR = ' · ';

const shown = (v) => (typeof v === 'number' ? String(Number(v.toPrecision(6))) : String(v));

// The answers of a run that are not names and differ from their defaults,
// "keyword answer" each: what distinguishes this run from the plain one.
export function answersLabel(program, answers) {
  if (!program) return '';
  const parts = [];
  program.questions.forEach((question, i) => {
    const line = (answers[i] || '').trim();
    if (question.kind === 'name' || line === '') return;
    const same = Number.isFinite(Number(line)) ? Number(line) === Number(question.default) : line === String(question.default);
    if (!same) parts.push(`${question.keyword} ${line}`);
  });
  return parts.join(', ');
}

// "n=200, gain 2" from a lesson's knobs {photons: 200} or a label as given.
export function knobsLabel(knobs) {
  if (!knobs) return '';
  if (typeof knobs === 'string') return knobs;
  return Object.entries(knobs)
    .map(([k, v]) => `${k} ${shown(v)}`)
    .join(', ');
}

// Keeps the files written by the run that wrote `name` (the same tool at the
// same moment) as snapshots labelled `label` (or the run's distinguishing
// answers, or the time of the run). Resolves to the new names.
export async function takeSnapshot(session, name, { label = '', knobs = null } = {}) {
  const record = await session.workspace.get(name);
  if (!record) throw new Error(`no file ${name}`);
  const made = record.made || {};
  const program = made.tool ? session.byName[made.tool] : null;
  const text =
    label ||
    knobsLabel(knobs) ||
    answersLabel(program, made.answers || []) ||
    (made.at || made.uploaded || new Date().toISOString()).replace('T', ' ').slice(0, 19);
  const all = await session.workspace.all();
  const siblings = made.tool && !record.snapshot ? all.filter((r) => !r.snapshot && r.made && r.made.tool === made.tool && r.made.at === made.at) : [record];
  const taken = new Set(all.map((r) => r.name));
  const at = new Date().toISOString();
  const copies = siblings.map((r) => {
    const base = `${r.snapshot ? r.snapshot.of : r.name}${SEPARATOR}${text}`;
    let copy = base;
    for (let n = 2; taken.has(copy); n++) copy = `${base} (${n})`;
    taken.add(copy);
    return { ...r, name: copy, bytes: r.bytes.slice(), snapshot: { of: r.snapshot ? r.snapshot.of : r.name, label: text, at } };
  });
  await session.workspace.putAll(copies);
  return copies.map((r) => r.name);
}

// The snapshots of the workspace, newest first.
export async function listSnapshots(workspace) {
  return (await workspace.all()).filter((r) => r.snapshot).sort((a, b) => (a.snapshot.at < b.snapshot.at ? 1 : -1));
}
