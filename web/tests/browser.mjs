// Debian's chromium, headless, driven by puppeteer-core, with a fresh
// profile; every request the page makes is counted so that a test can show
// the page reaches no host and no other file.

import puppeteer from 'puppeteer-core';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

export const CHROMIUM = process.env.CT_CHROMIUM || '/usr/bin/chromium';

export async function openLab(pagePath, { width = 1366, height = 900 } = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'ct-lab-profile-'));
  process.env.DBUS_SESSION_BUS_ADDRESS = 'disabled';
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-dev-shm-usage'],
  });
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
