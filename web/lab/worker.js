// The lab's Web Worker: runs one tool of the suite on a fresh instance of the
// WebAssembly module (ct_suite.js and run_tool.js are concatenated before
// this file into the worker's source) and posts the tool's output as it
// comes, then the working folder after the run.
/* global createCtSuite, runTool */
'use strict';

self.onmessage = async (event) => {
  const { id, tool, args, stdin, files, env, stderrIsTerminal } = event.data;
  try {
    const result = await runTool(createCtSuite, {
      tool,
      args: args || [],
      stdin,
      files,
      env,
      stderrIsTerminal,
      onStdout: (chunk) => self.postMessage({ id, stream: 'stdout', chunk: chunk.slice() }),
      onStderr: (chunk) => self.postMessage({ id, stream: 'stderr', chunk: chunk.slice() }),
    });
    // The folder goes back without a copy: every file is a buffer of its own.
    const buffers = new Set([result.stdout.buffer, result.stderr.buffer, ...Object.values(result.files).map((f) => f.buffer)]);
    self.postMessage({ id, result }, [...buffers]);
  } catch (error) {
    self.postMessage({ id, error: String((error && error.stack) || error) });
  }
};
