// The DICOM tools in the page: both are among the lab's programs, and a
// phantom written as a DICOM file by raw_to_dicom and read back by
// dicom_to_raw in headless chromium gives the native tools' bytes (the
// module's code as the page inlines it, deflated, and inflates it).
//   node web/tests/lab_dicom.test.mjs PAGE NATIVE_BIN EXAMPLES

import assert from 'node:assert/strict';
import { expectSameFiles, openLab, runChain } from './browser.mjs';

const [pagePath, bin, examples] = process.argv.slice(2);
const chain = {
  seed: ['n3-2.txt'],
  runs: [
    { tool: 'oval_stack', lines: ['n3-2.txt', '11', 'n3-2.img', '128', '128'] },
    { tool: 'raw_to_dicom', lines: ['n3-2.img', '128', '128', '1', '0.19', '0.5', '40', '400', 'slice.dcm'] },
    { tool: 'dicom_to_raw', lines: ['slice.dcm', '1', '0', '', 'hu.img'] },
    { tool: 'dicom_to_raw', lines: ['slice.dcm', '1', '1', '0.19', 'mu.img'] },
  ],
};
const native = runChain(chain, examples, bin).files;
const lab = await openLab(pagePath);
try {
  const { page } = lab;
  await page.evaluate(() => window.ctLab.ready);
  const programs = await page.evaluate(() => window.ctLab.programs());
  assert.ok(programs.includes('dicom_to_raw') && programs.includes('raw_to_dicom'), programs.join(' '));
  for (const { tool, lines } of chain.runs) {
    const exit = await page.evaluate(async (t, l) => (await window.ctLab.run(t, l)).exit, tool, lines);
    assert.equal(exit, 0, `${tool} in the page`);
  }
  const files = await page.evaluate(async () => (await window.ctLab.files({ bytes: true })).map((f) => [f.name, Array.from(f.bytes)]));
  expectSameFiles(Object.fromEntries(files.map(([name, bytes]) => [name, Buffer.from(bytes)])), native);
  console.log(`ok  ${Object.keys(native).length} files, the native bytes`);
} finally {
  await lab.close();
}
