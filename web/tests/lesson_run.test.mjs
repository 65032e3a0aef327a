// The lesson run without a page (web/lab/core/lesson_run.js), its steps run
// by the native tools in a scratch folder: a knob moved before any run runs
// what is missing upstream; a change reruns exactly its downstream steps; a
// newer run takes over a running one, whose steps it does; the files of an
// earlier value are let go; a failure ends the run with its step and
// message; cancel leaves nothing to do.
//   node web/tests/lesson_run.test.mjs TOOLS_JSON NATIVE_BIN_DIR

import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { LessonRun } from '../lab/core/lesson_run.js';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const registry = JSON.parse(readFileSync(process.argv[2] || join(root, 'build/tools.json'), 'utf8'));
const bin = resolve(process.argv[3] || join(root, 'build/bin'));
const lesson = JSON.parse(readFileSync(join(root, 'lessons/dose-and-noise.json'), 'utf8'));

// A host whose steps are the native tools, run in `folder`; it records what ran.
function nativeHost(folder, { failAt = null } = {}) {
  const ran = [];
  const states = new Map();
  let running = null;
  const host = {
    lines: null,
    answersOf: (i) => host.lines[i],
    setAnswers: (i, lines) => {
      host.lines[i] = lines;
    },
    exists: async (name) => existsSync(join(folder, name)),
    runStep: (i, signal) =>
      new Promise((done) => {
        if (i === failAt) {
          done({ ok: false, problem: 'a view cannot be shown' });
          return;
        }
        const tool = host.run.runs[i].tool;
        const child = spawn(join(bin, tool), [], { cwd: folder, stdio: ['pipe', 'ignore', 'ignore'] });
        running = child;
        signal.addEventListener('abort', () => child.kill());
        child.on('close', (code) => {
          running = null;
          if (!signal.aborted) ran.push(host.run.runs[i].number);
          done({ ok: code === 0, shown: true, problem: code === 0 ? undefined : `${tool} exited with ${code}` });
        });
        child.stdin.end(host.lines[i].map((line) => line + '\n').join(''));
      }),
    stepState: (i, state) => states.set(i, state),
    cancelled: () => running && running.kill(),
  };
  return { host, ran, states };
}

function newRun(options) {
  const folder = mkdtempSync(join(tmpdir(), 'ct-lesson-run-'));
  for (const name of lesson.seed || []) copyFileSync(join(root, 'examples', name), join(folder, name));
  const { host, ran, states } = nativeHost(folder, options);
  const run = new LessonRun(lesson, registry, host);
  host.run = run;
  host.lines = run.runs.map((r) => r.lines.slice());
  return { run, ran, states, folder };
}

const knob = lesson.knobs[0];
const steps = (run) => run.runs.length;

// A knob moved before any run: the steps it changes and every earlier step
// whose file is missing, so the change does not fail on "cannot open".
{
  const { run, ran, folder } = newRun();
  const other = knob.default === knob.max ? knob.min : knob.max;
  const outcome = await run.changeKnobs([[knob.name, other]]);
  assert.equal(outcome.ok, true, JSON.stringify(outcome));
  assert.deepEqual(ran, outcome.steps, 'the steps said are the steps run');
  assert.equal(ran[0], 1, 'the first step ran although the knob does not change it');
  // A second change reruns only what the knob reaches.
  ran.length = 0;
  const again = await run.changeKnobs([[knob.name, knob.default]]);
  assert.equal(again.ok, true);
  assert.ok(!ran.includes(1) && ran.length > 0 && ran.length < steps(run), `only what the knob reaches: ${ran}`);
  rmSync(folder, { recursive: true });
}

// The files of an earlier value that no step makes now are let go (the host
// decides which: the guided view only those the lesson made); the others stay.
{
  const { run, folder } = newRun();
  const forgotten = [];
  run.host.forget = async (names) => forgotten.push(...names);
  assert.equal((await run.runAll()).ok, true);
  const other = knob.default === knob.max ? knob.min : knob.max;
  assert.equal((await run.changeKnobs([[knob.name, other]])).ok, true);
  assert.deepEqual(forgotten.sort(), [`head_I0_${knob.default}.prj`, `water_I0_${knob.default}.prj`]);
  assert.ok(existsSync(join(folder, `head_I0_${other}.prj`)), "the new value's file is made");
  rmSync(folder, { recursive: true });
}

// A newer run takes over: the first is stale, and the second does its steps.
{
  const { run, ran, folder } = newRun();
  const first = run.runAll();
  await new Promise((r) => setTimeout(r, 50));
  const second = run.changeKnobs([[knob.name, knob.min]]);
  assert.deepEqual(await first, { ok: false, stale: true });
  const outcome = await second;
  assert.equal(outcome.ok, true);
  // However far the first got (the machine's speed decides), every step it
  // left is done by the newer run: each step ends up run, the newer run's last.
  const all = run.runs.map((r) => r.number);
  assert.deepEqual(
    [...new Set(ran)].sort((a, b) => a - b),
    all,
    "the stale run's steps are done by the newer one",
  );
  assert.deepEqual(ran.slice(-outcome.steps.length), outcome.steps);
  assert.equal(outcome.steps[outcome.steps.length - 1], all[all.length - 1]);
  assert.equal(run.busy, false);
  assert.ok(ran.length >= 1);
  rmSync(folder, { recursive: true });
}

// A step that fails ends the run: its number and message, the rest not run.
{
  const { run, ran, states, folder } = newRun({ failAt: 1 });
  const outcome = await run.runAll();
  assert.deepEqual({ ok: outcome.ok, failed: outcome.failed, problem: outcome.problem }, { ok: false, failed: 2, problem: 'a view cannot be shown' });
  assert.deepEqual(ran, [1]);
  assert.equal(states.get(1), 'failed');
  assert.equal(states.get(2), 'pending');
  rmSync(folder, { recursive: true });
}

// Cancel: the run going on ends stale, and nothing is left to do after it.
{
  const { run, folder } = newRun();
  const going = run.runAll();
  await new Promise((r) => setTimeout(r, 50));
  await run.cancel();
  assert.deepEqual(await going, { ok: false, stale: true });
  assert.equal(run.busy, false);
  assert.equal(run.unfinished.size, 0);
  rmSync(folder, { recursive: true });
}

console.log('lesson_run: a first change runs what is missing, newer runs take over, failures and cancels end cleanly');
