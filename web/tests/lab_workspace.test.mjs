// The workspace as a learner strains it, in two tabs of one headless
// chromium profile: a change in one reaches the other within a second, a
// run in a stale tab never brings back a file deleted in the other, the bin
// gives it back, a run shows as busy in the other tab and one cut short by a
// reload is reported; slips ask first (an output over an uploaded file, an
// upload over a file, an upload of the wrong size); a full disk (chromium's
// quota for the page, lowered through the DevTools protocol) refuses a run's
// files with a message and loses nothing; the keyboard reaches the lab's
// sections from a skip link and the sticky bars hide nothing at 412 px; a
// run split over several workers writes the bytes of one run.
//   node web/tests/lab_workspace.test.mjs PAGE

import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { openLab } from './browser.mjs';

const [pagePath] = process.argv.slice(2);
const check = async (what, work) => {
  const started = Date.now();
  await work();
  console.log(`ok  ${what} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
};
const names = (page) => page.evaluate(async () => (await window.ctLab.files()).map((f) => f.name));
// Waits until `page` lists (or no longer lists) `name`; the seconds it took.
async function seen(page, name, listed = true) {
  const started = Date.now();
  await page.waitForFunction(async (n, l) => (await window.ctLab.files()).some((f) => f.name === n) === l, { timeout: 1000, polling: 50 }, name, listed);
  return (Date.now() - started) / 1000;
}
// Answers the next dialog (prompt or confirm): true accepts, a string is typed, false dismisses.
const answerNextDialog = (page, reply) =>
  new Promise((resolve) => {
    page.once('dialog', async (dialog) => {
      if (reply === false) await dialog.dismiss();
      else await dialog.accept(reply === true ? undefined : reply);
      resolve(dialog.message());
    });
  });
const status = (page) => page.$eval('#view-workspace .status', (p) => p.textContent);

const lab = await openLab(pagePath, { width: 1366, height: 900 });
const a = lab.page;
const b = await lab.browser.newPage();
const scratch = mkdtempSync(join(tmpdir(), 'ct-lab-uploads-'));
b.on('pageerror', (error) => lab.errors.push(`tab b: ${error}`));
try {
  await b.goto(lab.url, { waitUntil: 'load' });
  await b.waitForFunction(() => window.ctLab && window.ctLab.ready);
  await b.evaluate(() => window.ctLab.ready);
  // Tab a is the one clicked and asked: a background tab holds back its dialogs.
  await a.bringToFront();

  await check('a file made in one tab is listed in the other within 1 s, and its removal too', async () => {
    const run = await a.evaluate(() => window.ctLab.run('oval_draw', ['shared.img', '64', '64']));
    assert.deepEqual([run.exit, run.written], [0, ['shared.img']]);
    console.log(`    listed after ${await seen(b, 'shared.img')} s`);
    await b.evaluate(() => window.ctLab.remove('shared.img'));
    console.log(`    gone after ${await seen(a, 'shared.img', false)} s`);
    assert.deepEqual(await a.evaluate(async () => (await window.ctLab.bin()).map((f) => f.name)), ['shared.img']);
  });

  await check('a run in a stale tab does not bring back a file removed in the other; the bin restores it', async () => {
    await b.evaluate(() => window.ctLab.restore('shared.img'));
    await seen(a, 'shared.img');
    // Tab b stops telling tab a: a keeps listing the file that b removes.
    await b.evaluate(() => (BroadcastChannel.prototype.postMessage = () => {}));
    await b.evaluate(() => window.ctLab.remove('shared.img'));
    assert.ok((await names(a)).includes('shared.img'), 'tab a is stale');
    const run = await a.evaluate(() => window.ctLab.run('box_smooth', ['shared.img', 'smoothed.img', '64', '64']));
    assert.deepEqual([run.exit, run.written], [0, ['smoothed.img']]);
    await b.reload({ waitUntil: 'load' });
    await b.waitForFunction(() => window.ctLab && window.ctLab.ready, { polling: 100 });
    const listed = await names(b);
    assert.ok(listed.includes('smoothed.img') && !listed.includes('shared.img'), listed.join(' '));
    await b.evaluate(() => window.ctLab.restore('shared.img'));
    assert.ok((await names(b)).includes('shared.img'));
    await seen(a, 'shared.img');
  });

  await check('a run shows as busy in the other tab; one cut short by a reload is reported with its step and tool', async () => {
    // The guided lab's sweep, made long: its step goes with it.
    const step = await a.evaluate(() => {
      const card = [...document.querySelectorAll('.step')].find((c) => c.getAttribute('aria-label').endsWith('recon_noise_sweep'));
      card.querySelector('input[data-keyword="repetitions"]').value = '500';
      card.querySelector('.run-panel button.primary').click();
      return card.dataset.step;
    });
    // Tab b is in the background, where animation frames stop: it is polled by time.
    await b.waitForFunction(() => !document.querySelector('.busy-elsewhere').hidden, { timeout: 5000, polling: 100 });
    assert.match(await b.$eval('.busy-elsewhere', (p) => p.textContent), new RegExp(`step ${step}, recon_noise_sweep`));
    const before = await names(a);
    await a.reload({ waitUntil: 'load' });
    await a.waitForFunction(() => window.ctLab && window.ctLab.ready && document.querySelector('.page-note'), { timeout: 10000 });
    assert.match(await a.$eval('.page-note', (n) => n.textContent), new RegExp(`interrupted.*step ${step}, recon_noise_sweep`));
    assert.deepEqual(await names(a), before, 'nothing of the interrupted run was stored');
    await b.waitForFunction(() => document.querySelector('.busy-elsewhere').hidden, { timeout: 5000, polling: 100 });
    // Reported once: the next opening says nothing.
    await b.reload({ waitUntil: 'load' });
    await b.waitForFunction(() => window.ctLab && window.ctLab.ready, { polling: 100 });
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.equal(await b.$('.page-note'), null);
  });

  await check('uploads ask before replacing and refuse a size that is not width × height × 4', async () => {
    await a.evaluate(() => window.ctLab.show('workspace'));
    const upload = async (name, bytes, ...replies) => {
      writeFileSync(join(scratch, name), bytes);
      const dialogs = [];
      const answering = (async () => {
        for (const reply of replies) dialogs.push(await answerNextDialog(a, reply));
      })();
      await (await a.$('#upload-files')).uploadFile(join(scratch, name));
      await answering;
      await a.waitForFunction(() => document.querySelector('#view-workspace .status').textContent !== '');
      const said = await status(a);
      await a.$eval('#view-workspace .status', (p) => (p.textContent = ''));
      return { dialogs, said };
    };
    const odd = await upload('odd.img', Buffer.alloc(12288), '100 100');
    assert.match(odd.said, /12288 bytes.*100 × 100.*40000 bytes/);
    assert.ok(!(await names(a)).includes('odd.img'));
    const mine = await upload('mine.img', Buffer.alloc(64 * 64 * 4, 1), '64 64');
    assert.match(mine.said, /mine\.img uploaded/);
    const again = await upload('mine.img', Buffer.alloc(64 * 64 * 4, 2), false);
    assert.match(again.dialogs[0], /mine\.img/);
    assert.match(again.said, /not uploaded/);
    const kept = await a.evaluate(async () => (await window.ctLab.files({ bytes: true })).find((f) => f.name === 'mine.img').bytes[0]);
    assert.equal(kept, 1, 'the first upload stays');
  });

  await check("an output over an uploaded file or the run's input asks first: Cancel keeps the file, OK replaces it", async () => {
    await a.evaluate(() => window.ctLab.show('tools'));
    await a.select('#tool-select', 'oval_draw');
    await a.type('#view-tools input[data-keyword]', 'mine.img');
    const asked = answerNextDialog(a, false);
    await a.click('#view-tools .run-panel button.primary');
    assert.match(await asked, /mine\.img/);
    await a.waitForFunction(() => /Kept as they were: mine\.img/.test(document.querySelector('#view-tools .status').textContent));
    const first = await a.evaluate(async () => (await window.ctLab.files({ bytes: true })).find((f) => f.name === 'mine.img').bytes[0]);
    assert.equal(first, 1);
    // An output over the run's own input asks too; OK replaces it.
    await a.select('#tool-select', 'box_smooth');
    const fields = await a.$$('#view-tools input[data-keyword]');
    for (const [i, text] of ['smoothed.img', 'smoothed.img', '64', '64'].entries()) await fields[i].type(text);
    const replaced = answerNextDialog(a, true);
    await a.click('#view-tools .run-panel button.primary');
    assert.match(await replaced, /smoothed\.img/);
    await a.waitForFunction(() => /box_smooth finished with exit status 0/.test(document.querySelector('#view-tools .status').textContent));
    assert.doesNotMatch(await a.$eval('#view-tools .status', (p) => p.textContent), /Kept/);
  });

  await check('Delete moves a file to the bin, Restore brings it back', async () => {
    await a.evaluate(() => window.ctLab.show('workspace'));
    await a.click('#view-workspace button[aria-label="Delete mine.img"]');
    await a.waitForFunction(() => document.querySelector('#view-workspace .bin button[aria-label="Restore mine.img"]'));
    assert.ok(!(await names(a)).includes('mine.img'));
    await a.click('#view-workspace .bin button[aria-label="Restore mine.img"]');
    await a.waitForFunction(() => /mine\.img restored/.test(document.querySelector('#view-workspace .status').textContent));
    assert.ok((await names(a)).includes('mine.img'));
    assert.match(await a.$eval('#view-workspace .storage', (p) => p.textContent), /The files take .*allows the page/);
  });

  await check("a full disk refuses a run's files with a message and loses nothing", async () => {
    // IndexedDB refuses any record over 1 MiB as a full disk does: the
    // transaction aborts with a QuotaExceededError. (Chromium's quota
    // override of the DevTools protocol does not reach a file:// page.)
    await a.evaluate(() => {
      const put = IDBObjectStore.prototype.put;
      window.restorePut = () => (IDBObjectStore.prototype.put = put);
      IDBObjectStore.prototype.put = function (value, ...rest) {
        const request = put.call(this, value, ...rest);
        if (value && value.bytes && value.bytes.length > 1 << 20) {
          Object.defineProperty(this.transaction, 'error', { value: new DOMException('The quota has been exceeded.', 'QuotaExceededError') });
          this.transaction.abort();
        }
        return request;
      };
    });
    const listing = () => a.evaluate(async () => (await window.ctLab.files()).map((f) => `${f.name}:${f.size}:${f.made.at || f.made.uploaded}`));
    const before = await listing();
    const refused = await a.evaluate(() =>
      window.ctLab.run('oval_draw', ['huge.img', '1024', '1024']).then(
        () => 'stored',
        (e) => e.message,
      ),
    );
    assert.match(refused, /refused to store this run’s files \(4\.0 MiB\).*Nothing of the run was kept/);
    assert.deepEqual(await listing(), before);
    await a.evaluate(() => window.restorePut());
  });

  await check("a skip link leads to the lab's sections, Home/End move in the tabs, the sticky bars hide nothing at 412 px", async () => {
    await a.setViewport({ width: 412, height: 915, isMobile: true, hasTouch: true });
    await a.waitForFunction(() => window.ctLab && window.ctLab.ready);
    await a.evaluate(() => window.ctLab.show('tools'));
    await a.evaluate(() => document.activeElement && document.activeElement.blur());
    await a.keyboard.press('Tab');
    await a.keyboard.press('Tab');
    assert.equal(await a.evaluate(() => document.activeElement.textContent), 'Skip to the lab’s sections');
    await a.keyboard.press('Enter');
    assert.equal(await a.evaluate(() => [document.body.dataset.view, document.activeElement.id]).then((v) => v.join(' ')), 'guided lab-sections');
    const last = await a.$$eval('#lab-sections a', (links) => links.length);
    for (let i = 0; i < last; i++) await a.keyboard.press('Tab');
    await a.keyboard.press('Enter');
    const clear = () =>
      a.evaluate(() => {
        const bars = document.querySelector('.tabs').offsetHeight + document.querySelector('#view-guided .toolbar.sticky').offsetHeight;
        return document.activeElement.getBoundingClientRect().top - bars;
      });
    assert.equal(await a.evaluate(() => document.activeElement.tagName), 'H2');
    assert.ok((await clear()) >= 0, `the section's heading lies ${-(await clear())} px under the sticky bars`);
    // Tab on into the section: every stop stays clear of the bars.
    for (let i = 0; i < 6; i++) {
      await a.keyboard.press('Tab');
      await new Promise((resolve) => setTimeout(resolve, 50));
      assert.ok((await clear()) >= 0, `tab stop ${i + 1} lies under the sticky bars`);
    }
    await a.focus('#tab-guided');
    await a.keyboard.press('End');
    assert.equal(await a.evaluate(() => [document.body.dataset.view, document.activeElement.id].join(' ')), 'plot tab-plot');
    await a.keyboard.press('Home');
    assert.equal(await a.evaluate(() => [document.body.dataset.view, document.activeElement.id].join(' ')), 'guided tab-guided');
    const ring = await a.evaluate(() => getComputedStyle(document.activeElement).outlineWidth);
    assert.ok(parseFloat(ring) >= 2, `focus ring ${ring}`);
  });

  await check('a run split over workers (share runs, then the whole run) writes the bytes of one run, and no share file stays', async () => {
    const digests = await a.evaluate(async () => {
      const digest = (bytes) => `${bytes.length}:${bytes.reduce((h, x) => (Math.imul(h, 31) + x) >>> 0, 7)}`;
      const out = {};
      await window.ctLab.run('oval_draw', ['split.img', '96', '96', '0.1', '-0.2', '0.6', '0.3', '20', '0.2']);
      for (const shares of [0, 2, 3]) {
        const projected = await window.ctLab.run('raysum', ['split.img', '96', '96', '0.2', `split${shares}.prj`, '64', '90'], { shares });
        const rebuilt = await window.ctLab.run('reconstruct', [`split${shares}.prj`, '64', '90', `split${shares}.rec`, '96', '96', '0.2'], { shares });
        out[shares] = [
          projected.exit,
          rebuilt.exit,
          projected.stdout === rebuilt.stdout ? 'same console' : projected.stdout,
          digest(projected.files[`split${shares}.prj`]),
          digest(rebuilt.files[`split${shares}.rec`]),
        ];
        out[`${shares} console`] = projected.stdout.replace(/split\d\.prj/g, 'P') + rebuilt.stdout.replace(/split\d\.(prj|rec)/g, 'R');
      }
      // fan_reconstruct of a fan sinogram (curved detector, a full turn of 120 views).
      await window.ctLab.run('fan_raysum', [
        'split.img',
        '1',
        '11',
        '96',
        '96',
        '0.2',
        'split.fan',
        'split.txt',
        '57',
        '104',
        '1',
        '160',
        '0.2',
        '0.1',
        '0.5',
        '120',
        '1',
        '360',
      ]);
      for (const shares of [0, 2]) {
        const fan = await window.ctLab.run('fan_reconstruct', ['split.fan', 'split.txt', '160', '120', `fan${shares}.img`, '96', '96', '0.2', '0', '1'], {
          shares,
        });
        out[`fan ${shares}`] = [fan.exit, digest(fan.files[`fan${shares}.img`])];
      }
      out.left = (await window.ctLab.files()).map((f) => f.name).filter((name) => name.includes('row_share'));
      return out;
    });
    assert.deepEqual(digests[2].slice(3), digests[0].slice(3), 'two shares');
    assert.deepEqual(digests[3].slice(3), digests[0].slice(3), 'three shares');
    assert.equal(digests['2 console'], digests['0 console']);
    assert.deepEqual(digests['fan 2'], digests['fan 0'], 'fan_reconstruct, two shares');
    assert.equal(digests['fan 0'][0], 0);
    assert.deepEqual(digests.left, []);
  });

  await check('no script error, no request beyond the page', () => {
    assert.deepEqual(lab.errors, []);
    assert.deepEqual(lab.requests, []);
  });
} finally {
  await lab.close();
  rmSync(scratch, { recursive: true, force: true });
}
