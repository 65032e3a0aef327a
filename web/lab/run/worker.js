// The lab's Web Worker: runs one tool of the suite on a fresh instance of the
// WebAssembly module (ct_suite.js and run_tool.js are concatenated before
// this file into the worker's source) and posts the tool's output and its
// events as they come, then the working folder after the run. A check runs
// the tool's dialogue alone (--check-answers) and gives its events.
/* global createCtSuite, runTool, ctWasmDeflated, ctUnzlib */
'use strict';

// The module's code, compiled once per worker (and optimised once): every
// run still gets an instance of its own, with its own memory.
let compiled = null;
let failRun = () => {};

// The module's code as the page holds it: base64 of its deflated bytes.
function inflateWasm(base64) {
  const text = atob(base64);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return ctUnzlib(bytes);
}

function suiteFromCompiledCode(overrides) {
  if (typeof ctWasmDeflated !== 'string') return createCtSuite(overrides);
  return createCtSuite({
    ...overrides,
    instantiateWasm(imports, receiveInstance) {
      if (!compiled) compiled = WebAssembly.compile(inflateWasm(ctWasmDeflated));
      compiled
        .then((module) => WebAssembly.instantiate(module, imports))
        .then((instance) => receiveInstance(instance))
        .catch((error) => failRun(error));
      return {};
    },
  });
}

self.onmessage = async (event) => {
  const { id, tool, args, stdin, files, env, stderrIsTerminal, check } = event.data;
  const fail = (error) => self.postMessage({ id, error: String((error && error.stack) || error) });
  failRun = fail;
  try {
    const result = await runTool(suiteFromCompiledCode, {
      tool,
      args: args || [],
      stdin,
      files,
      env,
      stderrIsTerminal,
      check: !!check,
      changedOnly: true, // the inputs stay as the page has them
      // The run's events as they come (progress, warnings), and all of them in the result.
      onEvent: check ? undefined : (runEvent) => self.postMessage({ id, runEvent }),
      onStdout: (chunk) => self.postMessage({ id, stream: 'stdout', chunk: chunk.slice() }),
      onStderr: (chunk) => self.postMessage({ id, stream: 'stderr', chunk: chunk.slice() }),
    });
    // The folder goes back without a copy: every file is a buffer of its own.
    const buffers = new Set([result.stdout.buffer, result.stderr.buffer, ...Object.values(result.files).map((f) => f.buffer)]);
    self.postMessage({ id, result }, [...buffers]);
  } catch (error) {
    fail(error);
  }
};
