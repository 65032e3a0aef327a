// The lab's one session: the registry of programs, the workspace and the
// runner, and the one way a run reaches the workspace. A run sees the
// files of the workspace it reads; only when it has completed are the files it wrote
// (new or changed) stored, each with the tool and answers that made it, the
// values the tool took for them, and what the run said the file holds (its
// file event: format, shape, quantity, a table's axis). Nothing here
// guesses what a file is.
// The files are stored in one transaction: all of them or, when the browser
// refuses the space, none. A file the run read is never written back: only
// bytes the run changed are stored, so an input removed or changed meanwhile
// (in another tab) stays so.

import { fileInfo } from '../core/file_kinds.js';
import { fileNameProblem } from '../core/file_names.js';
import { iterationOutputs } from '../core/iterations.js';
import { filesOfRun, stdinText } from '../core/lesson.js';
import { currentLanguage, t } from '../core/i18n.js';
import { Runner } from './runner.js';
import { Transcript } from '../core/transcript.js';
import { isQuotaError, Workspace } from './workspace.js';

// The workspace's files a run of `program` with answer `lines` reads, as
// the registry's file facts name them (checked against every program's
// --check-answers in the tests); a program that reads a numbered series
// gets every file, its count being the learner's. The rest stays out of the
// worker: each file sent is copied twice per run (to the worker, then into
// the module's folder), for a large workspace tens of milliseconds.
function inputsOf(program, lines, folder) {
  if ((program.files || []).some((entry) => entry.use === 'read' && entry.count !== undefined)) return { ...folder };
  // A line's CR before its LF is no part of the answer, as the dialogue reads it.
  const { reads } = filesOfRun(
    program,
    lines.map((line) => line.replace(/\r$/, '')),
  );
  return Object.fromEntries(reads.filter((name) => Object.hasOwn(folder, name)).map((name) => [name, folder[name]]));
}

// A run of a program the registry marks row_shares (raysum, reconstruct,
// fan_reconstruct) is split
// over several workers when the machine has the cores and the inputs are
// large enough to be worth a start-up each: n share runs compute their parts
// of the main loop at once, then the whole run takes them and writes what
// one run writes, byte for byte. (A page opened from a file gets no shared
// memory, so one instance cannot use several cores itself.)
const SHARED_INPUT_BYTES = 1 << 20;
const MOST_SHARES = 4;
const shareName = (k) => `.ct_row_share_${k}.bin`;

function sameBytes(a, b) {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
  return true;
}

// The error of a run whose files the browser refused to store.
function storageRefused(error, bytes) {
  const refused = new Error(t(isQuotaError(error) ? 'storage_full' : 'storage_failed', { size: (bytes / 1048576).toFixed(1), reason: error.message }));
  refused.storage = true;
  refused.cause = error;
  return refused;
}

// Why a run's file names cannot be the workspace's (a folder in the name,
// a control, bidirectional or zero-width character, too long), in the
// page's language, or null: such a file would be written where the
// workspace never sees it, or shown as another name.
function nameProblemOf(program, lines) {
  for (const q of program.questions) {
    if (q.kind !== 'name') continue;
    const name = lines[q.number - 1] ? lines[q.number - 1] : String(q.default);
    const problem = fileNameProblem(name);
    if (problem) return t('bad_file_name', { name: JSON.stringify(name), problem: t(problem) });
  }
  return null;
}

export class Session {
  constructor(registry) {
    this.programs = registry.programs;
    this.byName = Object.fromEntries(registry.programs.map((p) => [p.name, p]));
    this.windowPresets = registry.window_presets || []; // the HU windows raw_to_png takes by name
    this.workspace = new Workspace();
    this.runner = new Runner();
    this.checker = new Runner(); // --check-answers, never queued behind a run
    this.helpers = []; // the workers of share runs beside the runner, made when first needed
    this.checks = Promise.resolve(); // the last check asked for
    this.runListeners = [];
  }

  onRun(listener) {
    this.runListeners.push(listener);
  }

  notify(event) {
    for (const listener of this.runListeners) listener(event);
  }

  // Runs `tool` with answer lines; resolves to {exit, stdout, stderr, files,
  // written, kept, binned, transcript, seconds, events, cause}. onTranscript(text)
  // follows the console, onEvent(event) the run's events as they come; step
  // is the guided lab's step, if the run is one; confirmReplace(names) ->
  // bool is asked before an output replaces a file the run read or one the
  // learner uploaded (without it they are replaced, as on a console), and
  // the files it declines are kept as they were.
  async run(tool, answers, options = {}) {
    const note = await this.workspace.beginRun({ tool, step: options.step ?? null });
    try {
      return await this.runOnce(tool, answers, options);
    } finally {
      await note.end();
    }
  }

  async runOnce(
    tool,
    answers,
    { onTranscript = () => {}, onEvent = () => {}, stderrIsTerminal = true, confirmReplace = null, lesson = null, shares = null } = {},
  ) {
    const program = this.byName[tool];
    if (!program) throw new Error(`no program ${tool}`);
    const lines = typeof answers === 'string' ? answers.replace(/\n$/, '').split('\n') : answers.slice();
    const badName = nameProblemOf(program, lines);
    if (badName) {
      const error = new Error(badName);
      this.notify({ tool, state: 'failed', error });
      throw error;
    }
    const stdin = new TextEncoder().encode(typeof answers === 'string' ? answers : stdinText(lines));
    const before = await this.workspace.folder();
    const transcript = new Transcript();
    let drawn = false;
    const redraw = () => {
      drawn = false;
      onTranscript(transcript.text());
    };
    const changed = () => {
      if (drawn) return;
      drawn = true;
      requestAnimationFrame(redraw);
    };
    const started = performance.now();
    this.notify({ tool, state: 'started' });
    let result;
    try {
      const inputs = inputsOf(program, lines, before);
      const given = await this.shareRuns(program, stdin, inputs, shares, onEvent);
      result = await this.runner.run(
        {
          tool,
          stdin,
          files: { ...inputs, ...given },
          env: { ...this.environment(), ...(Object.keys(given).length ? { CT_ROW_SHARES: Object.keys(given).join('|') } : {}) },
          stderrIsTerminal,
        },
        (stream, bytes) => {
          transcript.add(stream, bytes);
          changed();
        },
        (event) => {
          transcript.event(event);
          changed();
          onEvent(event);
        },
      );
    } catch (error) {
      this.notify({ tool, state: error.cancelled ? 'cancelled' : 'failed', error });
      throw error;
    }
    transcript.finish();
    onTranscript(transcript.text());
    const events = result.events || [];
    const at = new Date().toISOString();
    // What the tool took for each question (its answer events): a drawing
    // of a file reads the run's own values, never the answers re-parsed.
    const values = Object.fromEntries(events.filter((e) => e.event === 'answer').map((e) => [e.keyword, e.value]));
    // The images it wrote after chosen iterations, as its file events say:
    // a view of any of them steps through the others.
    const series = iterationOutputs(events);
    const records = [];
    for (const [name, bytes] of Object.entries(result.files)) {
      if (before[name] && sameBytes(before[name], bytes)) continue;
      const info = await fileInfo(events, name, (input) => this.workspace.get(input));
      records.push({
        name,
        bytes,
        made: { tool, answers: lines, values, at, ...(lesson ? { lesson } : {}), ...(series.length ? { series } : {}) },
        format: info.format,
        shape: info.shape,
        info,
      });
    }
    const kept = await this.keptNames(events, records, confirmReplace);
    const stored = records.filter((r) => !kept.includes(r.name));
    // A lesson's run keeps what it replaces of the learner's own (a Tools
    // run's result, an upload, another lesson's file): in the bin.
    const binned = lesson ? await this.notTheLessons(stored, lesson) : [];
    try {
      await this.workspace.putAll(stored, { binFirst: binned });
    } catch (error) {
      const refused = storageRefused(
        error,
        stored.reduce((n, r) => n + r.bytes.length, 0),
      );
      this.notify({ tool, state: 'failed', error: refused });
      throw refused;
    }
    const seconds = (performance.now() - started) / 1000;
    const decode = (bytes) => new TextDecoder('utf-8').decode(bytes);
    const end = events.find((e) => e.event === 'end');
    const outcome = {
      exit: result.exit,
      stdout: decode(result.stdout),
      stderr: decode(result.stderr),
      files: Object.fromEntries(stored.map((r) => [r.name, r.bytes])),
      written: stored.map((r) => r.name),
      kept,
      binned,
      transcript: transcript.text(),
      seconds,
      events,
      cause: end && end.cause ? end.cause : null,
    };
    this.notify({ tool, state: 'finished', outcome });
    return outcome;
  }

  // How many share runs a run takes: `asked` when a script says (0 or 1:
  // none), else one a core (at most MOST_SHARES) for large inputs.
  shareCount(program, inputs, asked) {
    if (!program.row_shares) return 0;
    const count = Number.isInteger(asked)
      ? asked
      : Object.values(inputs).reduce((n, bytes) => n + bytes.length, 0) >= SHARED_INPUT_BYTES
        ? Math.min(navigator.hardwareConcurrency || 1, MOST_SHARES)
        : 0;
    return count >= 2 ? count : 0;
  }

  // The share runs of a run, at once: share 0 in the runner, the others in
  // helper workers. Resolves to their files ({name: bytes}, to be given to
  // the whole run), or to none when the run is not split or a share run did
  // not end well (the whole run, computing everything, then says why).
  async shareRuns(program, stdin, inputs, asked, onEvent) {
    const count = this.shareCount(program, inputs, asked);
    if (count === 0) return {};
    while (this.helpers.length < count - 1) this.helpers.push(new Runner());
    const runners = [this.runner, ...this.helpers.slice(0, count - 1)];
    const env = this.environment();
    const settled = await Promise.allSettled(
      runners.map((runner, k) =>
        runner.run(
          { tool: program.name, stdin, files: inputs, env: { ...env, CT_ROW_SHARE: `${k}/${count}:${shareName(k)}` }, stderrIsTerminal: false },
          () => {},
          // The first share's progress stands for all of them.
          k === 0 ? (event) => event.event === 'progress' && onEvent(event) : () => {},
        ),
      ),
    );
    const failed = settled.find((outcome) => outcome.status === 'rejected');
    if (failed) {
      // Cancelled: every share run is stopped. A worker that failed: the
      // whole run computes everything itself.
      if (failed.reason && failed.reason.cancelled) {
        this.cancel();
        throw failed.reason;
      }
      return {};
    }
    const results = settled.map((outcome) => outcome.value);
    const files = {};
    for (const [k, result] of results.entries()) {
      const bytes = result.files[shareName(k)];
      if (result.exit !== 0 || !bytes) return {};
      files[shareName(k)] = bytes;
    }
    return files;
  }

  // The names among `records` that replace a file this lesson's runs did not make.
  async notTheLessons(records, lesson) {
    const names = [];
    for (const record of records) {
      const existing = await this.workspace.get(record.name);
      if (existing && !(existing.made && existing.made.lesson === lesson)) names.push(record.name);
    }
    return names;
  }

  // The outputs that would replace a file the run read (its input file
  // events) or one the learner uploaded, and that the learner chose to keep.
  async keptNames(events, records, confirmReplace) {
    if (!confirmReplace) return [];
    const inputs = new Set(events.filter((e) => e.event === 'file' && e.role === 'input').map((e) => e.name));
    const precious = [];
    for (const record of records) {
      const existing = await this.workspace.get(record.name);
      if (existing && (inputs.has(record.name) || (existing.made && existing.made.uploaded))) precious.push(record.name);
    }
    if (precious.length === 0 || (await confirmReplace(precious))) return [];
    return precious;
  }

  // The events of `tool --check-answers` on these answers, run on the
  // workspace's files: what the tool would take, warn and read and write.
  // Checks wait for one another: the checker runs one at a time, and a form
  // and a lesson may ask at once.
  check(tool, answers) {
    const turn = this.checks.then(() => this.checkNow(tool, answers));
    this.checks = turn.catch(() => {});
    return turn;
  }

  async checkNow(tool, answers) {
    if (!this.byName[tool]) throw new Error(`no program ${tool}`);
    const lines = typeof answers === 'string' ? answers.replace(/\n$/, '').split('\n') : answers.slice();
    const stdin = new TextEncoder().encode(typeof answers === 'string' ? answers : stdinText(lines));
    // Only the sizes of the inputs matter to a check: empty stand-ins of the
    // right length would cost as much to make as the copies themselves.
    const files = await this.workspace.folder();
    const result = await this.checker.run({ tool, stdin, files, env: this.environment(), check: true });
    return { events: result.events || [] };
  }

  environment() {
    return { CT_ENCODING: 'utf-8', CT_LANG: currentLanguage() };
  }

  cancel() {
    for (const helper of this.helpers) helper.cancel();
    return this.runner.cancel();
  }

  // An uploaded file is what the learner says it is: a raw picture of the
  // sizes given, or a table or text (format).
  async upload(name, bytes, { format = 'raw', shape = null } = {}) {
    const info = { format, ...(shape ? { rows: shape[0], columns: shape[1] } : {}) };
    await this.workspace.put({ name, bytes, made: { uploaded: new Date().toISOString() }, format, shape, info });
  }
}
