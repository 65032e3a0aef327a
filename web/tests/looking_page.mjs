// Looking, comparing and reporting in the page, on the guided lab's files
// (after Run all, in the page test's own browser session): the NNPS plot's
// SVG, the MTF's CSV, region statistics against the file's floats, a table
// that is not one, the report, a 4096² picture without a long freeze, and
// screenshots of an overlay, a snapshot comparison, a known answer and
// region statistics at 1366 and 412 px.

import assert from 'node:assert/strict';
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// files: {name: Buffer} of the workspace after Run all.
export async function checkLooking(page, check, files, screenshots) {
  await check('the NNPS plot as SVG: six distinct non-zero ticks, NNPS named', async () => {
    const svg = await page.evaluate(() => window.ctLab.plotSvg('n4-4x.txt'));
    const group = /<g class="y-ticks"[^>]*>([\s\S]*?)<\/g>/.exec(svg)[1];
    const ticks = [...group.matchAll(/>([^<]+)<\/text>/g)].map((m) => m[1]).filter((s) => s !== '0');
    assert.ok(new Set(ticks).size >= 6, `y ticks ${ticks}`);
    assert.match(/<text class="y-label"[^>]*>([^<]*)</.exec(svg)[1], /NNPS/);
    const log = await page.evaluate(() => window.ctLab.plotSvg('n4-5x.txt', { log: true }));
    assert.match(log, /10⁻[¹²³⁴⁵⁶⁷⁸⁹]/, 'a log axis in powers of ten');
    const png = await page.evaluate(async () => {
      const blob = await window.ctLab.plotPng('n4-4x.txt', { theory: true });
      return [blob.type, blob.size, [...new Uint8Array(await blob.slice(0, 4).arrayBuffer())]];
    });
    assert.deepEqual([png[0], png[2]], ['image/png', [0x89, 0x50, 0x4e, 0x47]]);
    assert.ok(png[1] > 20000, `the PNG holds the drawing (${png[1]} bytes)`);
  });

  await check("the MTF as CSV: ASCII English header, increasing x, the table's values", async () => {
    const csv = await page.evaluate(() => window.ctLab.tableCsv('n4-3.txt', { language: 'en' }));
    const [header, ...rows] = csv.trimEnd().split('\r\n');
    assert.match(header, /^[\x20-\x7e]+$/);
    assert.match(header, /frequency.*,MTF$/);
    const x = rows.map((r) => Number(r.split(',')[0]));
    assert.ok(
      x.every((v, i) => i === 0 || v > x[i - 1]),
      'x increases',
    );
    assert.equal(x[1], 1 / 51.2);
    const values = files['n4-3.txt'].toString('latin1').trim().split('\n').map(Number);
    assert.deepEqual(
      rows.map((r) => Number(r.split(',')[1])),
      values,
    );
    const ja = await page.evaluate(() => window.ctLab.tableCsv('n4-5x.txt', { language: 'ja' }));
    assert.match(ja.split('\r\n')[0], /^空間周波数（サイクル\/画素）,5dB,/);
  });

  await check('the CSV of a plot holds what it draws: every table, the known answer, units, rows beyond Nyquist marked', async () => {
    const csv = await page.evaluate(() => window.ctLab.plotCsv('n4-4x.txt', { with: ['n4-4y.txt'], theory: true }));
    // Cells of a CSV line: a quoted cell may hold commas.
    const cells = (line) => {
      const out = [''];
      let quoted = false;
      for (let i = 0; i < line.length; i++) {
        const c = line[i];
        if (c === '"' && quoted && line[i + 1] === '"') out[out.length - 1] += line[++i];
        else if (c === '"') quoted = !quoted;
        else if (c === ',' && !quoted) out.push('');
        else out[out.length - 1] += c;
      }
      return out;
    };
    const [header, ...rows] = csv.trimEnd().split('\r\n');
    const columns = cells(header);
    assert.equal(columns.length, 5, header);
    assert.match(columns[0], /^spatial frequency \(cycles per pixel\)$/);
    assert.match(columns[1], /^n4-4x\.txt: .*NNPS/);
    assert.match(columns[2], /^n4-4y\.txt: .*NNPS/);
    assert.match(columns[3], /^known answer: /);
    assert.equal(columns[4], 'beyond the Nyquist frequency');
    const y = files['n4-4y.txt'].toString('latin1').trim().split('\n').map(Number);
    assert.deepEqual(
      rows.slice(0, y.length).map((r) => Number(r.split(',')[2])),
      y,
      "the overlaid table's own values",
    );
    assert.ok(
      rows.every((r) => r.split(',')[3] !== ''),
      'the known answer on every row',
    );
    // The MTF is drawn in two parts at the Nyquist frequency: one column again, its rows beyond marked.
    const mtf = (await page.evaluate(() => window.ctLab.plotCsv('n4-3.txt'))).trimEnd().split('\r\n');
    assert.equal(cells(mtf[0]).length, 3, mtf[0]);
    for (const row of mtf.slice(1)) {
      const [x, value, beyond] = cells(row);
      assert.notEqual(value, '', `a value at ${x}`);
      assert.equal(beyond, Number(x) > 0.5 ? 'yes' : '', `the mark at ${x}`);
    }
  });

  await check("region statistics equal a plain computation over the file's floats; clipped and empty regions", async () => {
    const bytes = files['n3-2_poisson_fbp.img'];
    const samples = new Float32Array(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length));
    const region = { row: 100, column: 90, rows: 20, columns: 30 };
    const picked = [];
    for (let r = region.row; r < region.row + region.rows; r++)
      picked.push(...samples.subarray(r * 256 + region.column, r * 256 + region.column + region.columns));
    const mean = picked.reduce((s, v) => s + v, 0) / picked.length;
    const sd = Math.sqrt(picked.reduce((s, v) => s + (v - mean) ** 2, 0) / (picked.length - 1));
    const stats = await page.evaluate((r) => window.ctLab.regionStats('n3-2_poisson_fbp.img', r), region);
    assert.equal(stats.count, 600);
    assert.ok(Math.abs(stats.mean - mean) < 1e-12 && Math.abs(stats.sd - sd) < 1e-12, `${stats.mean} ${stats.sd} against ${mean} ${sd}`);
    assert.deepEqual([stats.min, stats.max], [Math.min(...picked), Math.max(...picked)]);
    const clipped = await page.evaluate(() => window.ctLab.regionStats('n3-2_poisson_fbp.img', { row: 250, column: 250, rows: 20, columns: 20 }));
    assert.deepEqual([clipped.count, clipped.region.clipped], [36, true]);
    const empty = await page.evaluate(() => window.ctLab.regionStats('n3-2_poisson_fbp.img', { row: 300, column: 0, rows: 5, columns: 5 }));
    assert.deepEqual([empty.count, empty.mean], [0, undefined]);
  });

  await check('an ellipse file offers no plot and says why', async () => {
    const refused = await page.evaluate(() =>
      window.ctLab.plotSvg('n3-2.txt').then(
        () => '',
        (e) => e.message,
      ),
    );
    assert.match(refused, /n3-2\.txt is not a table/);
  });

  await check('screenshots: overlay, known answer, snapshot comparison, region statistics at 1366 and 412 px', async () => {
    await page.evaluate(() => window.ctLab.snapshot('n3-2_poisson_fbp.img', { label: 'photons 2000' }));
    for (const [width, height, mobile] of [
      [1366, 900, false],
      [412, 915, true],
    ]) {
      await page.setViewport({ width, height, isMobile: mobile, hasTouch: mobile });
      await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
      const shots = {
        overlay: () => window.ctLab.openPlot('n4-4x.txt', { with: ['n4-4y.txt'], theory: true }),
        theory: () => window.ctLab.openPlot('n4-3.txt', { theory: true }),
        snapshot: () => window.ctLab.openPicture('n3-2_1e6_fbp.img', [0, 0.035], 'n3-2_poisson_fbp.img · photons 2000'),
      };
      for (const [name, open] of Object.entries(shots)) {
        await page.evaluate(open);
        await pause(300);
        const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
        assert.ok(overflow <= 0, `the ${name} view fits ${width} px (${overflow} px too wide)`);
        await page.screenshot({ path: join(screenshots, `${name}-${width}.png`), fullPage: name !== 'snapshot' });
      }
      await page.evaluate(() => window.ctLab.measureInPicture({ row: 100, column: 90, rows: 40, columns: 60 }));
      await page.evaluate(() => document.querySelector('#view-picture .region-stats').scrollIntoView());
      await page.screenshot({ path: join(screenshots, `region-${width}.png`) });
      const shown = await page.$$eval('#view-picture .region-stats thead th', (cells) => cells.length);
      assert.equal(shown, 2, 'the statistics of both pictures compared');
    }
    await page.setViewport({ width: 1366, height: 900, isMobile: false, hasTouch: false });
    await page.waitForFunction(() => window.ctLab && window.ctLab.ready);
  });

  await check('the report to hand in: a cover, the answers, numbered figures, every file of every run; A4 in at most 10 pages in both languages', async () => {
    await page.evaluate(() => window.ctLab.show('guided'));
    const type = async (selector, text) => {
      await page.$eval(selector, (field) => (field.value = ''));
      await page.type(selector, text);
    };
    await type('#hand-in-name', 'Aiko Tanaka');
    await type('#hand-in-course', 'CT physics, week 3');
    await type('#hand-in-conclusions', 'Noise falls as one over the square root of the photons.');
    await type('#lesson-answer-1', '3.4');
    await page.click('.lesson-question button');
    const pdfPages = async (html) => {
      const sheet = await page.browser().newPage();
      await sheet.setContent(html);
      const pdf = Buffer.from(await sheet.pdf({ format: 'A4', preferCSSPageSize: true }));
      await sheet.close();
      return (pdf.toString('latin1').match(/\/Type\s*\/Page(?![s\w])/g) || []).length;
    };
    for (const language of ['en', 'ja']) {
      await page.select('#language', language);
      const html = await page.evaluate(() => window.ctLab.report());
      writeFileSync(join(screenshots, `report-${language}.html`), html);
      assert.match(html, /Aiko Tanaka/);
      assert.match(html, /CT physics, week 3/);
      assert.match(html, /Noise falls as one over the square root/);
      assert.match(html, /<strong>3\.4<\/strong> \S/, 'the answer with its verdict');
      const numbers = [...html.matchAll(/<figcaption><strong>(?:Figure |図 )(\d+)\.<\/strong>/g)].map((m) => Number(m[1]));
      assert.ok(numbers.length >= 20, `${numbers.length} figures numbered`);
      assert.deepEqual(
        numbers,
        numbers.map((_, i) => i + 1),
        'numbered in order',
      );
      assert.match(html, /<span class="note">W0 to W4|<span class="note">W0〜W4|<span class="note">/, 'a note apart from its caption');
      const appendix = html.slice(html.indexOf('class="appendix"'));
      const rows = [...appendix.matchAll(/<tr><td>[^<]*<\/td><td>([a-z_]+)<\/td>[\s\S]*?<\/td><td>([^<]*)<\/td><\/tr>/g)];
      assert.ok(rows.length >= 26, `${rows.length} runs in the appendix`);
      for (const [, tool, files] of rows) if (tool !== 'raw_to_png') assert.notEqual(files, '', `${tool} lists the files it wrote`);
      const pages = await pdfPages(html);
      console.log(`    report (${language}): ${numbers.length} figures, ${rows.length} runs, ${pages} A4 pages`);
      assert.ok(pages >= 2 && pages <= 10, `${pages} A4 pages`);
    }
    await page.select('#language', 'en');
  });

  await check('the report holds its figures and links nothing outside itself', async () => {
    const html = await page.evaluate(() => window.ctLab.report());
    assert.ok((html.match(/<img src="data:image\/png;base64,/g) || []).length >= 10, 'the pictures');
    assert.ok((html.match(/<svg /g) || []).length >= 5, 'the plots');
    assert.match(html, /ct_teaching_tools \d+\.\d+/);
    assert.match(html, /n3-2_poisson_fbp\.img/);
    assert.doesNotMatch(html, /(src|href)="(?!data:|#)/, 'no link out');
    assert.doesNotMatch(html, /url\((?!#)/, 'no style that loads anything');
  });

  await check('a 4096 × 4096 picture draws, measures and exports with no task over a second', async () => {
    // Only the exit status comes back: the 64 MB file stays in the page.
    const exit = await page.evaluate(() => window.ctLab.run('step_target', ['big.img', '4096', '4096']).then((o) => o.exit));
    assert.equal(exit, 0);
    await page.evaluate(() => {
      window.longTasks = [];
      window.longTaskObserver = new PerformanceObserver((list) => window.longTasks.push(...list.getEntries().map((e) => e.duration)));
      window.longTaskObserver.observe({ type: 'longtask' });
    });
    await page.evaluate(() => window.ctLab.openPicture('big.img', undefined, '').then(() => true));
    const count = await page.evaluate(() => window.ctLab.regionStats('big.img', { row: 0, column: 0, rows: 4096, columns: 4096 }).then((s) => s.count));
    const png = await page.evaluate(() => window.ctLab.picturePng().then((blob) => blob.size));
    await pause(200);
    const tasks = await page.evaluate(() => {
      window.longTaskObserver.disconnect();
      return window.longTasks;
    });
    const longest = { count, png, longest: Math.max(0, ...tasks) };
    assert.equal(longest.count, 4096 * 4096);
    assert.ok(longest.png > 1000, 'a PNG came out');
    assert.ok(longest.longest < 1000, `the longest task took ${longest.longest} ms`);
    console.log(`    4096²: longest task ${Math.round(longest.longest)} ms, PNG ${longest.png} bytes`);
    await page.evaluate(async () => {
      await window.ctLab.openPicture('n3-2_fbp.img', undefined, '');
      await window.ctLab.guided.session.workspace.remove('big.img');
    });
  });
}
