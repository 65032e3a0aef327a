// The lab's one session: the registry of programs, the workspace and the
// runner, and the one way a run reaches the workspace. A run sees every
// file of the workspace; only when it has completed are the files it wrote
// (new or changed) stored, each with the tool and answers that made it.

import { fileEntry, guessedKind, rawShape } from './file_kinds.js';
import { ProgramForm } from './forms.js';
import { currentLanguage } from './i18n.js';
import { Runner } from './runner.js';
import { Transcript } from './transcript.js';
import { Workspace } from './workspace.js';

function sameBytes(a, b) {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
  return true;
}

export class Session {
  constructor(registry) {
    this.programs = registry.programs;
    this.byName = Object.fromEntries(registry.programs.map((p) => [p.name, p]));
    this.workspace = new Workspace();
    this.runner = new Runner();
    this.runListeners = [];
  }

  onRun(listener) {
    this.runListeners.push(listener);
  }

  notify(event) {
    for (const listener of this.runListeners) listener(event);
  }

  // Runs `tool` with answer lines; resolves to {exit, stdout, stderr, files,
  // written, transcript, seconds}. onTranscript(text) follows the console.
  async run(tool, answers, { onTranscript = () => {}, stderrIsTerminal = true } = {}) {
    const program = this.byName[tool];
    if (!program) throw new Error(`no program ${tool}`);
    const lines = typeof answers === 'string' ? answers.replace(/\n$/, '').split('\n') : answers.slice();
    const stdin = new TextEncoder().encode(typeof answers === 'string' ? answers : ProgramForm.stdinText(lines));
    const before = await this.workspace.folder();
    const transcript = new Transcript(lines, program.questions.length);
    let drawn = false;
    const redraw = () => {
      drawn = false;
      onTranscript(transcript.text());
    };
    const started = performance.now();
    this.notify({ tool, state: 'started' });
    let result;
    try {
      result = await this.runner.run(
        { tool, stdin, files: { ...before }, env: { CT_ENCODING: 'utf-8', CT_LANG: currentLanguage() }, stderrIsTerminal },
        (stream, bytes) => {
          transcript.add(stream, bytes);
          if (!drawn) {
            drawn = true;
            requestAnimationFrame(redraw);
          }
        },
      );
    } catch (error) {
      this.notify({ tool, state: error.cancelled ? 'cancelled' : 'failed', error });
      throw error;
    }
    transcript.finish();
    onTranscript(transcript.text());
    const at = new Date().toISOString();
    const records = [];
    for (const [name, bytes] of Object.entries(result.files)) {
      if (before[name] && sameBytes(before[name], bytes)) continue;
      const entry = fileEntry(program, lines, name);
      const guess = guessedKind(name, bytes);
      records.push({
        name,
        bytes,
        made: { tool, answers: lines, at },
        format: entry ? entry.format : guess.format,
        shape: (entry && rawShape(program, lines, entry)) || guess.shape,
      });
    }
    await this.workspace.putAll(records);
    const seconds = (performance.now() - started) / 1000;
    const decode = (bytes) => new TextDecoder('utf-8').decode(bytes);
    const outcome = {
      exit: result.exit,
      stdout: decode(result.stdout),
      stderr: decode(result.stderr),
      files: Object.fromEntries(records.map((r) => [r.name, r.bytes])),
      written: records.map((r) => r.name),
      transcript: transcript.text(),
      seconds,
    };
    this.notify({ tool, state: 'finished', outcome });
    return outcome;
  }

  cancel() {
    return this.runner.cancel();
  }

  async upload(name, bytes, shape) {
    const guess = guessedKind(name, bytes);
    await this.workspace.put({ name, bytes, made: { uploaded: new Date().toISOString() }, format: guess.format, shape: shape || guess.shape });
  }
}
