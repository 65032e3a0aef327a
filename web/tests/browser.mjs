// Debian's chromium (or Firefox ESR), headless, driven by puppeteer-core,
// with a fresh profile; every request the page makes is counted so that a
// test can show the page reaches no host and no other file.

import puppeteer from 'puppeteer-core';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { expandLesson } from '../lab/core/lesson.js';

export const CHROMIUM = process.env.CT_CHROMIUM || '/usr/bin/chromium';
export const FIREFOX = process.env.CT_FIREFOX || '/usr/bin/firefox-esr';

function launch(kind, profile) {
  process.env.DBUS_SESSION_BUS_ADDRESS = 'disabled';
  if (kind === 'firefox') {
    return puppeteer.launch({ browser: 'firefox', executablePath: FIREFOX, headless: true, userDataDir: profile });
  }
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--disable-dev-shm-usage',
    ],
  });
}

export async function openLab(pagePath, { width = 1366, height = 900, browser: kind = 'chromium' } = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'ct-lab-profile-'));
  const browser = await launch(kind, profile);
  const url = pathToFileURL(pagePath).href;
  const page = await browser.newPage();
  const requests = []; // every request other than the page itself and its in-memory blob: and data: URLs
  const errors = [];
  page.on('request', (request) => {
    const u = request.url();
    if (u !== url && !u.startsWith('blob:') && !u.startsWith('data:')) requests.push(u);
  });
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  await page.setViewport({ width, height });
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
  await page.evaluate(() => window.ctLab.ready);
  return {
    browser,
    page,
    url,
    requests,
    errors,
    async close() {
      await browser.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// The workspace as {name: Buffer}, read through ctLab.files().
export async function workspaceFiles(page) {
  const listed = await page.evaluate(async () => {
    const files = await window.ctLab.files({ bytes: true });
    const base64 = (bytes) => {
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return btoa(text);
    };
    return files.map((f) => [f.name, base64(f.bytes)]);
  });
  return Object.fromEntries(listed.map(([name, data]) => [name, Buffer.from(data, 'base64')]));
}

// A lesson of lessons/ at its default knobs: {seed, runs: [{tool, lines}]}.
export function lessonChain(toolsJson, id = 'ct-chain') {
  const lessons = fileURLToPath(new URL('../../lessons/', import.meta.url));
  const lesson = JSON.parse(readFileSync(join(lessons, `${id}.json`), 'utf8'));
  return { seed: lesson.seed || [], runs: expandLesson(lesson, JSON.parse(readFileSync(toolsJson, 'utf8'))) };
}

// A lesson's chain as the programs in `bin` run it (the node launchers, or
// the native tools), in a folder of its own: {files, seconds} with {name:
// Buffer} of every file there afterwards and the seconds the programs took.
export function runChain(chain, examples, bin, { env = process.env } = {}) {
  const folder = mkdtempSync(join(tmpdir(), 'ct-lab-chain-'));
  for (const name of chain.seed) copyFileSync(join(examples, name), join(folder, name));
  const started = process.hrtime.bigint();
  for (const { tool, lines } of chain.runs) {
    const run = spawnSync(join(bin, tool), [], { cwd: folder, env, input: lines.map((line) => line + '\n').join('') });
    assert.equal(run.status, 0, `${join(bin, tool)} with ${lines.join(' ')}: ${run.stderr}`);
  }
  const seconds = Number(process.hrtime.bigint() - started) / 1e9;
  const files = Object.fromEntries(readdirSync(folder).map((name) => [name, readFileSync(join(folder, name))]));
  rmSync(folder, { recursive: true, force: true });
  return { files, seconds };
}

// Clicks the guided lab's Run all button and waits until every step is done
// or one has failed; the steps' states then.
export async function runAllSteps(page, count) {
  await page.click('#run-all');
  await page.waitForFunction(
    (n) =>
      [...document.querySelectorAll('.step')].filter((s) => s.dataset.state === 'done').length === n || document.querySelector('.step[data-state="failed"]'),
    { timeout: 1500000, polling: 1000 },
    count,
  );
  return page.$$eval('.step', (cards) => cards.map((c) => c.dataset.state));
}

// The same names, and every file the same bytes.
export function expectSameFiles(actual, expected) {
  assert.deepEqual(Object.keys(actual).sort(), Object.keys(expected).sort());
  assert.deepEqual(
    Object.keys(expected).filter((name) => !expected[name].equals(actual[name])),
    [],
    'files that differ',
  );
}

// axe-core's serious and critical findings on what the page shows now, as
// "rule: element, …" lines (injected through the DevTools protocol, which the
// page's content security policy does not govern).
const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
export async function seriousViolations(page) {
  if (!(await page.evaluate(() => typeof window.axe === 'object'))) await page.evaluate(axeSource);
  const violations = await page.evaluate(async () =>
    (await window.axe.run(document, { resultTypes: ['violations'] })).violations
      .filter((v) => v.impact === 'serious' || v.impact === 'critical')
      .map(
        (v) =>
          `${v.id}: ${v.nodes
            .slice(0, 3)
            .map((n) => n.target.join(' '))
            .join(', ')}`,
      ),
  );
  return violations;
}
