// runTool's working folder after a run: every file, or with changedOnly
// only those the run wrote (a new file, a given one replaced), never one
// it only read.
//   node web/tests/run_tool.test.mjs BUILD_WEB_DIR

import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { join } from 'node:path';

const require = createRequire(import.meta.url);
const build = process.argv[2];
const createCtSuite = require(join(build, 'ct_suite.js'));
const { runTool } = require(join(build, 'run_tool.js'));

const given = () => ({ 'read.txt': new Uint8Array([1, 2, 3]), 'disk.img': new Uint8Array(16) });
const drawDisk = (changedOnly) =>
  runTool(createCtSuite, { tool: 'oval_draw', stdin: new TextEncoder().encode('disk.img\n8\n8\n\n\n\n\n\n\n'), files: given(), changedOnly });

const all = await drawDisk(false);
assert.equal(all.exit, 0, new TextDecoder().decode(all.stderr));
assert.deepEqual(Object.keys(all.files).sort(), ['disk.img', 'read.txt']);
assert.equal(all.files['disk.img'].length, 8 * 8 * 4);

const changed = await drawDisk(true);
assert.deepEqual(Object.keys(changed.files), ['disk.img']);
assert.deepEqual(changed.files['disk.img'], all.files['disk.img']);
console.log('ok  changedOnly returns the replaced file and not the one only read');
