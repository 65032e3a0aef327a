// A program of the WebAssembly module as a console program under node, as
// the native tool runs: command-line arguments, answers on standard input
// (read only as the program asks, so that a person can type them), output
// on standard output and error as it is written, files in the working
// folder, and the program's exit status. build-web/bin/<tool> calls it.
'use strict';
const fs = require('fs');
const path = require('path');
const tty = require('tty');
const { runTool } = require('./run_tool.js');
const createCtSuite = require('./ct_suite.js');

// The next bytes of standard input, blocking like a read(2); null at its end.
function readStandardInput() {
  const buffer = Buffer.alloc(65536);
  for (;;) {
    try {
      const count = fs.readSync(0, buffer, 0, buffer.length, null);
      return count === 0 ? null : new Uint8Array(buffer.subarray(0, count));
    } catch (error) {
      if (error.code === 'EAGAIN') continue; // a non-blocking pipe not yet written
      if (error.code === 'EOF') return null;
      throw error;
    }
  }
}

function writeAll(fd, bytes) {
  for (let at = 0; at < bytes.length;) {
    try {
      at += fs.writeSync(fd, bytes, at, bytes.length - at);
    } catch (error) {
      if (error.code !== 'EAGAIN') throw error;
    }
  }
}

module.exports = async function launch(tool) {
  const result = await runTool(createCtSuite, {
    tool,
    args: process.argv.slice(2),
    stdin: readStandardInput,
    env: process.env,
    hostFolder: path.resolve(process.cwd()),
    stdinIsTerminal: tty.isatty(0),
    stdoutIsTerminal: tty.isatty(1),
    stderrIsTerminal: tty.isatty(2),
    onStdout: (chunk) => writeAll(1, chunk),
    onStderr: (chunk) => writeAll(2, chunk),
  });
  process.exitCode = result.exit;
};
