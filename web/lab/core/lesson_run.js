// A lesson being run, without a page: its knob values, the answers of its
// steps, which steps a change makes stale, and the runs that bring them up
// to date, one at a time, each cancelled by the next through its abort
// signal. The guided view draws it; node tests drive it with the native
// tools. What a step does (run a tool, show its views) is the host's.
//
//   host: {
//     answersOf(index) -> lines     the step's answers as they stand (its form)
//     setAnswers(index, lines)      a knob changed the step's answers
//     exists(name) -> Promise<bool> the workspace holds the file
//     runStep(index, signal) -> Promise<{ok, problem?}>   runs the step and shows it
//     stepState(index, state)       'pending', 'running', 'done', 'failed'
//     cancelled()                   the run going on was cancelled (the host stops its tool)
//     forget(names)                 optional: files of earlier knob values no step makes now
//   }

import { downstreamOf, expandLesson, filesOfRun, knobDefaults } from './lesson.js';

// A run that a newer one took over, or that was cancelled.
export const STALE = { ok: false, stale: true };

export class LessonRun {
  constructor(lesson, registry, host, values = knobDefaults(lesson)) {
    this.lesson = lesson;
    this.registry = registry;
    this.host = host;
    this.values = { ...values };
    this.runs = expandLesson(lesson, registry, this.values);
    this.unfinished = new Set(); // steps a cancelled or stale run had still to do
    this.current = null; // {controller, done} of the run going on
    this.asked = 0; // runs asked for so far: one asked later takes over, even before it starts
    this.lastRun = null;
  }

  get busy() {
    return this.current !== null;
  }

  // What each step reads and writes with its answers as they stand, from the
  // registry's file facts (the tests check these against the tools' own
  // --check-answers events): known at once, never waited for.
  graph() {
    return this.runs.map((run, i) => filesOfRun(run.program, this.host.answersOf(i)));
  }

  // Knob changes [[name, value]]: the steps whose answers change take the
  // new ones, and they and every step downstream of them run, with any
  // earlier step whose file is missing. Resolves as run() does.
  async changeKnobs(changes, started = now()) {
    const before = this.runs;
    for (const [name, value] of changes) this.values[name] = value;
    this.runs = expandLesson(this.lesson, this.registry, this.values);
    const changed = this.runs.flatMap((run, i) => (run.lines.join('\n') !== before[i].lines.join('\n') ? [i] : []));
    for (const i of changed) {
      this.host.setAnswers(i, this.runs[i].lines);
      this.unfinished.add(i);
    }
    const ticket = ++this.asked;
    const graph = this.graph();
    const rerun = await this.withMissingUpstream(graph, downstreamOf(graph, [...this.unfinished]));
    if (ticket !== this.asked) return STALE; // a later change runs these steps too
    const result = await this.run(rerun, started, { changed });
    // The files the steps wrote at the earlier values (n3-2_I0_2000.prj when
    // the photons went to 200) that no step makes or reads now: the host may
    // let them go, so that each value tried does not leave its files behind.
    if (result.ok && this.host.forget) {
      const now = new Set(graph.flatMap((files) => [...files.reads, ...files.writes]));
      const earlier = changed.flatMap((i) => filesOfRun(before[i].program, before[i].lines).writes);
      const left = [...new Set(earlier)].filter((name) => !now.has(name));
      if (left.length) await this.host.forget(left);
    }
    return result;
  }

  runAll(started = now()) {
    return this.run(
      this.runs.map((run, i) => i),
      started,
    );
  }

  // Step `index` and every step downstream of it (and what they lack upstream).
  async runFrom(index, started = now()) {
    const ticket = ++this.asked;
    const graph = this.graph();
    const indices = await this.withMissingUpstream(graph, downstreamOf(graph, [index]));
    if (ticket !== this.asked) return STALE;
    return this.run(indices, started);
  }

  // The steps `indices` and, before them, every step that makes a file one
  // of them reads and that the workspace does not hold (a knob moved before
  // the first run): a change never fails for a file no step was asked to make.
  async withMissingUpstream(graph, indices) {
    const wanted = new Set(indices);
    const writerBefore = (j, name) => {
      for (let i = j - 1; i >= 0; i--) if (graph[i].writes.includes(name)) return i;
      return -1;
    };
    const queue = [...wanted];
    while (queue.length) {
      const j = queue.pop();
      for (const name of graph[j].reads) {
        const i = writerBefore(j, name);
        if (i < 0 || wanted.has(i) || (await this.host.exists(name))) continue;
        wanted.add(i);
        queue.push(i);
      }
    }
    return [...wanted].sort((a, b) => a - b);
  }

  // Runs steps `indices` in order, with those a stale run left undone, after
  // cancelling the run going on: {ok, steps (numbers), seconds,
  // firstResultSeconds, failed?, problem?}, or STALE when a newer run or a
  // cancel took over.
  async run(indices, started = now(), { changed = [] } = {}) {
    const ticket = ++this.asked;
    await this.stop();
    if (ticket !== this.asked) return STALE; // asked again while the last one stopped
    const controller = new AbortController();
    const signal = controller.signal;
    let finish;
    this.current = { controller, done: new Promise((resolve) => (finish = resolve)) };
    try {
      const todo = [...new Set([...this.unfinished, ...indices])].sort((a, b) => a - b);
      this.unfinished = new Set(todo);
      for (const i of todo) this.host.stepState(i, 'pending');
      const numbers = todo.map((i) => this.runs[i].number);
      let firstResultSeconds = null;
      for (const i of todo) {
        if (signal.aborted) return STALE;
        this.host.stepState(i, 'running');
        let outcome;
        try {
          outcome = await this.host.runStep(i, signal);
        } catch (error) {
          outcome = { ok: false, problem: error.message || String(error) };
        }
        if (signal.aborted) return STALE;
        this.host.stepState(i, outcome.ok ? 'done' : 'failed');
        if (!outcome.ok) return { ok: false, steps: numbers, failed: this.runs[i].number, problem: outcome.problem || null };
        this.unfinished.delete(i);
        if (firstResultSeconds === null && outcome.shown) firstResultSeconds = (now() - started) / 1000;
      }
      this.lastRun = { ok: true, steps: numbers, seconds: (now() - started) / 1000, firstResultSeconds, changed };
      return this.lastRun;
    } finally {
      if (this.current && this.current.controller === controller) this.current = null;
      finish();
    }
  }

  // Cancels the run going on and waits for it to end; the steps it had
  // still to do are forgotten.
  async cancel() {
    await this.stop();
    this.unfinished.clear();
  }

  // Aborts the run going on (its steps stay to be done) and waits for it.
  async stop() {
    const current = this.current;
    if (!current) return;
    current.controller.abort();
    this.host.cancelled();
    await current.done;
  }
}

const now = () => (typeof performance === 'object' ? performance.now() : Date.now());
