// Runs one program of the suite's WebAssembly module (ct_suite.js), in node
// and in a browser's worker alike:
//
//   runTool(createCtSuite, {
//     tool: "reconstruct", args: [], stdin: Uint8Array, files: {name: Uint8Array},
//     env: {CT_LANG: "en"}, stderrIsTerminal: false, onStdout(chunk), onStderr(chunk)
//   }) -> Promise<{exit, stdout, stderr, files}>
//
// Every run has a fresh instance of the module, so each program starts
// with its own state, as a process would. The program sees exactly the
// environment given (none of emscripten's own entries), its answers on
// standard input, and the files in its working folder; `files` of the
// result is that folder after the run.
//
// Also understood:
//   stdin: a function returning the next bytes (Uint8Array) or null at the
//     end, called only when the program reads (an interactive console);
//   stdoutIsTerminal, stdinIsTerminal: as stderrIsTerminal;
//   changedOnly: the result's `files` holds only the files the run wrote
//     (new ones, and given ones it replaced), not those it only read;
//   hostFolder (node only): the program works in this folder of the host's
//     own file system, which it sees whole (the node launchers); `files`
//     is then not read and the result's `files` is empty.
//   events: true, or onEvent(event): the run's events (CT_EVENTS, written
//     to a device of the module, never to the working folder), each handed
//     to onEvent as an object as soon as the program writes it, and all of
//     them in the result's `events`;
//   check: true runs `tool --check-answers` and gives the events it prints
//     (the dialogue's answers, warnings and planned files) as `events`.
(function (root) {
  'use strict';

  const isNode = typeof process === 'object' && !!(process.versions && process.versions.node);
  const workFolder = '/work';
  // Entries emscripten puts in every environment unless told otherwise.
  const defaultEnvironment = ['USER', 'LOGNAME', 'PATH', 'PWD', 'HOME', 'LANG', '_'];

  // Bytes written one at a time, handed on in chunks: at each line end or
  // carriage return (row progress), and when the chunk is full.
  function byteSink(onChunk) {
    const parts = [];
    let chunk = new Uint8Array(4096);
    let used = 0;
    const flush = () => {
      if (used === 0) return;
      const piece = chunk.slice(0, used);
      parts.push(piece);
      used = 0;
      if (onChunk) onChunk(piece);
    };
    return {
      put(value) {
        const byte = value & 0xff;
        chunk[used++] = byte;
        if (byte === 10 || byte === 13 || used === chunk.length) flush();
      },
      flush,
      bytes() {
        flush();
        const total = parts.reduce((sum, part) => sum + part.length, 0);
        const all = new Uint8Array(total);
        let at = 0;
        for (const part of parts) {
          all.set(part, at);
          at += part.length;
        }
        return all;
      },
    };
  }

  // Standard input one byte at a time, from bytes or from a reader function.
  function byteSource(stdin) {
    let buffer = stdin instanceof Uint8Array ? stdin : new Uint8Array(0);
    const read = typeof stdin === 'function' ? stdin : null;
    let at = 0;
    let ended = read === null;
    return () => {
      while (at === buffer.length) {
        if (ended) return null;
        const more = read();
        if (more === null || more === undefined) {
          ended = true;
          return null;
        }
        buffer = more;
        at = 0;
      }
      return buffer[at++];
    };
  }

  // JSON lines written a byte at a time, handed on as objects line by line;
  // `beforeEvent` first hands on what the streams hold, so that a host sees
  // a question before the event of its answer.
  function eventSink(onEvent, beforeEvent) {
    const events = [];
    const decoder = new TextDecoder('utf-8');
    let line = [];
    const take = (bytes) => {
      const text = decoder.decode(bytes);
      if (!text.trim()) return;
      let event;
      try {
        event = JSON.parse(text);
      } catch (error) {
        event = { event: 'unreadable', text };
      }
      events.push(event);
      if (beforeEvent) beforeEvent();
      if (onEvent) onEvent(event);
    };
    return {
      events,
      put(value) {
        if (value === 10) {
          take(new Uint8Array(line));
          line = [];
        } else {
          line.push(value & 0xff);
        }
      },
      lines(bytes) {
        let start = 0;
        for (let i = 0; i < bytes.length; i++) {
          if (bytes[i] !== 10) continue;
          take(bytes.subarray(start, i));
          start = i + 1;
        }
        if (start < bytes.length) take(bytes.subarray(start));
      },
    };
  }
  const eventDevice = 'ct-events';

  function toBytes(data) {
    if (data instanceof Uint8Array) return data;
    if (typeof data === 'string') return new TextEncoder().encode(data);
    return new Uint8Array(data);
  }

  // The host's whole file system under the same paths (node): every folder
  // of its root but the system's own /dev, /proc and /sys, which stay
  // emscripten's.
  function mountHost(FS, folder) {
    const fs = require('fs');
    const NODEFS = FS.filesystems.NODEFS;
    for (const name of fs.readdirSync('/')) {
      if (name === 'dev' || name === 'proc' || name === 'sys') continue;
      const at = '/' + name;
      try {
        if (!fs.statSync(at).isDirectory()) continue;
      } catch (e) {
        continue;
      }
      try {
        FS.mkdir(at);
      } catch (e) {
        // /tmp and /home are emscripten's own folders: mounted over
      }
      FS.mount(NODEFS, { root: at }, at);
    }
    FS.chdir(folder);
  }

  // The files of the folder; with `given` (name -> what writeFile left),
  // only those the run wrote: a tool writes a new file and renames it over
  // the old one, or truncates it, and either leaves another node or other
  // contents behind the name.
  function folderFiles(FS, folder, given) {
    const files = {};
    for (const name of FS.readdir(folder)) {
      if (name === '.' || name === '..') continue;
      const path = folder + '/' + name;
      if (!FS.isFile(FS.stat(path).mode)) continue;
      const before = given && given[name];
      const node = before && FS.lookupPath(path).node;
      if (before && node === before.node && node.contents === before.contents && node.usedBytes === before.size) continue;
      files[name] = FS.readFile(path);
    }
    return files;
  }

  async function runTool(createCtSuite, options) {
    const stdout = byteSink(options.onStdout);
    const stderr = byteSink(options.onStderr);
    const readByte = byteSource(options.stdin);
    const hostFolder = isNode && options.hostFolder ? options.hostFolder : null;
    const wantsEvents = !options.check && (options.events || options.onEvent);
    const events = eventSink(options.onEvent, () => {
      stdout.flush();
      stderr.flush();
    });
    let exitStatus = null;
    const given = options.changedOnly ? {} : null; // name -> what writeFile left, when asked
    const listeners = isNode
      ? { uncaughtException: process.listeners('uncaughtException'), unhandledRejection: process.listeners('unhandledRejection') }
      : null;
    let instance;
    try {
      instance = await createCtSuite({
        noInitialRun: true,
        ctTerminals: [!!options.stdinIsTerminal, !!options.stdoutIsTerminal, !!options.stderrIsTerminal],
        quit(status, toThrow) {
          exitStatus = status;
          throw toThrow;
        },
        preRun: [
          (m) => {
            m.FS.init(readByte, stdout.put, stderr.put);
            const env = options.env || {};
            for (const name of defaultEnvironment) m.ENV[name] = undefined;
            for (const name of Object.keys(env)) m.ENV[name] = String(env[name]);
            if (wantsEvents) {
              m.FS.createDevice('/dev', eventDevice, null, events.put);
              m.ENV.CT_EVENTS = '/dev/' + eventDevice;
            }
            if (hostFolder) {
              mountHost(m.FS, hostFolder);
            } else {
              m.FS.mkdir(workFolder);
              for (const [name, data] of Object.entries(options.files || {})) {
                const path = workFolder + '/' + name;
                m.FS.writeFile(path, toBytes(data));
                if (!given) continue;
                const node = m.FS.lookupPath(path).node;
                given[name] = { node, contents: node.contents, size: node.usedBytes };
              }
              m.FS.chdir(workFolder);
            }
          },
        ],
      });
      let returned;
      try {
        const args = options.check ? ['--check-answers'] : options.args || [];
        returned = instance.callMain([options.tool, ...args]);
      } catch (error) {
        // Only a trap or an abort of the WebAssembly code gets here (an
        // exit is the module's own): what would end a native program by
        // SIGABRT ends with the status a shell gives that.
        const text = new TextEncoder().encode('\n' + options.tool + ': ' + String(error && error.message ? error.message : error) + '\n');
        for (const byte of text) stderr.put(byte);
        exitStatus = 134;
      }
      const exit = exitStatus !== null ? exitStatus : returned;
      const result = {
        exit: typeof exit === 'number' ? exit : 0,
        stdout: stdout.bytes(),
        stderr: stderr.bytes(),
        files: hostFolder ? {} : folderFiles(instance.FS, workFolder, given),
      };
      if (options.check) events.lines(result.stdout);
      if (options.check || wantsEvents) result.events = events.events;
      return result;
    } finally {
      if (listeners) {
        // The module's own handlers for this process, one set per instance.
        for (const event of Object.keys(listeners)) {
          for (const handler of process.listeners(event)) {
            if (!listeners[event].includes(handler)) process.removeListener(event, handler);
          }
        }
      }
    }
  }

  if (typeof module === 'object' && module.exports) {
    module.exports = { runTool };
  } else {
    root.runTool = runTool;
  }
})(typeof self !== 'undefined' ? self : this);
