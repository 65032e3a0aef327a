// Runs tools in a Web Worker so that the page stays responsive. One run at a
// time; Cancel terminates the worker (the next run starts a new one), and
// nothing of a cancelled run reaches the workspace.
import workerSource from 'virtual:worker-source';

export class Runner {
  constructor() {
    this.url = URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' }));
    this.worker = null;
    this.current = null;
    this.nextId = 1;
  }

  get busy() {
    return this.current !== null;
  }

  startWorker() {
    const worker = new Worker(this.url);
    worker.onmessage = (event) => this.message(event.data);
    worker.onerror = (event) => {
      event.preventDefault();
      this.finish(null, new Error(event.message || 'the worker failed'));
    };
    return worker;
  }

  // run({tool, stdin: Uint8Array, files, env, stderrIsTerminal, check}, onOutput(stream, bytes), onEvent(event))
  // -> Promise<{exit, stdout, stderr, files, events}>; rejects with {cancelled: true} on Cancel.
  run(job, onOutput = () => {}, onEvent = () => {}) {
    if (this.current) return Promise.reject(new Error('a tool is running already'));
    if (!this.worker) this.worker = this.startWorker();
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.current = { id, resolve, reject, onOutput, onEvent };
      this.worker.postMessage({ id, ...job });
    });
  }

  message(data) {
    const current = this.current;
    if (!current || data.id !== current.id) return; // from a run cancelled meanwhile
    if (data.stream) current.onOutput(data.stream, data.chunk);
    else if (data.runEvent) current.onEvent(data.runEvent);
    else if (data.error) this.finish(null, new Error(data.error));
    else this.finish(data.result, null);
  }

  finish(result, error) {
    const current = this.current;
    if (!current) return;
    this.current = null;
    if (error) {
      // A worker that failed is not trusted with the next run.
      if (this.worker) this.worker.terminate();
      this.worker = null;
      current.reject(error);
    } else {
      current.resolve(result);
    }
  }

  cancel() {
    if (!this.current) return false;
    this.worker.terminate();
    this.worker = null;
    const current = this.current;
    this.current = null;
    current.reject(Object.assign(new Error('cancelled'), { cancelled: true }));
    return true;
  }
}
