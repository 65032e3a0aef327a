// The learner's working folder, kept in the browser's IndexedDB so that it
// survives a reload: one record per file with its bytes and what made it.
//
//   {name, bytes: Uint8Array, made: {tool, answers, at} | {uploaded: at},
//    shape: [rows, columns] | null}
//
// Beside the files: the bin (files deleted but not yet thrown away, each
// with `binned: at`) and the runs going on (a run's record is written when
// it starts and removed when it ends, so one left over at the next opening
// is a run the page was closed or reloaded during).
//
// Every tab of the browser opens the same database. A tab that changes it
// tells the others which names changed (a BroadcastChannel), and they read
// those records again: a change reaches every tab at once, never a stale copy.

const DATABASE = 'ct-lab';
const VERSION = 2;
const FILES = 'files';
const BIN = 'bin';
const RUNS = 'runs';
const CHANNEL = 'ct-lab-workspace';
const RUN_LOCK = 'ct-lab-run-';

export function request(r) {
  return new Promise((resolve, reject) => {
    r.onsuccess = () => resolve(r.result);
    r.onerror = () => reject(r.error);
  });
}

const byName = (a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0);

// A transaction's end: resolves on commit, rejects with the browser's reason
// (QuotaExceededError when it refused to store the bytes) on abort.
function committed(tx) {
  return new Promise((resolve, reject) => {
    tx.oncomplete = resolve;
    tx.onabort = () => reject(tx.error || Object.assign(new Error('the workspace was not changed'), { name: 'AbortError' }));
  });
}

// True when the browser refused a write for lack of space.
export const isQuotaError = (error) => !!error && (error.name === 'QuotaExceededError' || /quota/i.test(error.message || ''));

// The records are read from the database once, when the page opens, and
// kept in memory beside it: every view lists and reads them from there, and
// every change is written to the database before it is made in memory.
export class Workspace {
  constructor() {
    this.listeners = [];
    this.busyListeners = [];
    this.records = new Map();
    this.binned = new Map();
    this.othersRunning = new Map(); // run id -> {tool, step} of runs in other tabs
    this.changes = 0; // counts this tab's changes, so that a re-read never undoes a newer one
    this.changedAt = new Map(); // name -> this.changes when this tab last changed it
    this.channel = typeof BroadcastChannel === 'function' ? new BroadcastChannel(CHANNEL) : null;
    if (this.channel) this.channel.onmessage = (event) => this.message(event.data);
    this.ready = new Promise((resolve, reject) => {
      const open = indexedDB.open(DATABASE, VERSION);
      open.onupgradeneeded = () => {
        const db = open.result;
        if (!db.objectStoreNames.contains(FILES)) db.createObjectStore(FILES, { keyPath: 'name' });
        if (!db.objectStoreNames.contains(BIN)) db.createObjectStore(BIN, { keyPath: 'name' });
        if (!db.objectStoreNames.contains(RUNS)) db.createObjectStore(RUNS, { keyPath: 'id' });
      };
      let blocked = false;
      open.onsuccess = () => {
        if (blocked) this.notifyBusy({ blocked: false });
        resolve(open.result);
      };
      open.onerror = () => reject(open.error);
      open.onblocked = () => {
        blocked = true;
        this.notifyBusy({ blocked: true });
      };
    }).then(async (db) => {
      // A newer page in another tab needs the database: this one steps aside.
      db.onversionchange = () => {
        db.close();
        this.notifyBusy({ outdated: true });
      };
      const tx = db.transaction([FILES, BIN], 'readonly');
      const [files, bin] = await Promise.all([request(tx.objectStore(FILES).getAll()), request(tx.objectStore(BIN).getAll())]);
      for (const record of files) this.records.set(record.name, record);
      for (const record of bin) this.binned.set(record.name, record);
      return db;
    });
  }

  onChange(listener) {
    this.listeners.push(listener);
  }

  changed() {
    for (const listener of this.listeners) listener();
  }

  // listener({running: [{tool, step}]}) for runs of other tabs; {outdated}
  // when another tab's page is newer; {blocked: true|false} while an older
  // page in another tab keeps this one from opening the workspace.
  onBusy(listener) {
    this.busyListeners.push(listener);
  }

  notifyBusy(state) {
    for (const listener of this.busyListeners) listener(state);
  }

  // Tells the other tabs; a tab hears nothing of its own messages.
  post(message) {
    if (this.channel) this.channel.postMessage(message);
  }

  async message(data) {
    if (data.names) await this.reread(data.names);
    if (data.run) this.otherRun(data.run);
  }

  // Reads the named records again (files and bin) after another tab changed
  // them; a name this tab changed meanwhile keeps what this tab made of it.
  async reread(names) {
    const db = await this.ready;
    const since = this.changes;
    const tx = db.transaction([FILES, BIN], 'readonly');
    const read = (store, name) => request(tx.objectStore(store).get(name));
    const found = await Promise.all(names.map((name) => Promise.all([read(FILES, name), read(BIN, name)])));
    names.forEach((name, i) => {
      if ((this.changedAt.get(name) || 0) > since) return;
      const [file, binned] = found[i];
      if (file) this.records.set(name, file);
      else this.records.delete(name);
      if (binned) this.binned.set(name, binned);
      else this.binned.delete(name);
    });
    this.changed();
  }

  // Runs `work(stores)` in one transaction over `stores`, then (only once it
  // has committed) `apply()` in memory; the other tabs hear of `names`.
  async change(stores, work, names, apply = () => {}) {
    const db = await this.ready;
    const tx = db.transaction(stores, 'readwrite');
    const done = committed(tx);
    let result;
    try {
      result = await work(Object.fromEntries(stores.map((s) => [s, tx.objectStore(s)])), tx);
    } catch (error) {
      try {
        tx.abort();
      } catch {
        // already finished
      }
      await done.catch(() => {});
      throw error;
    }
    await done;
    apply(result);
    this.changes += 1;
    for (const name of names) this.changedAt.set(name, this.changes);
    if (names.length) {
      this.post({ names });
      this.changed();
    }
    return result;
  }

  // Every record, sorted by name.
  async all() {
    await this.ready;
    return [...this.records.values()].sort(byName);
  }

  async get(name) {
    await this.ready;
    return this.records.get(name) || null;
  }

  // The bin's records, sorted by name.
  async bin() {
    await this.ready;
    return [...this.binned.values()].sort(byName);
  }

  // Writes several records in one transaction: all of them or none (a
  // browser that refuses the space leaves the workspace as it was). The
  // files named in binFirst go to the bin in the same transaction, before
  // the new records replace them.
  async putAll(records, { binFirst = [] } = {}) {
    if (records.length === 0) return;
    const at = new Date().toISOString();
    const stores = binFirst.length ? [FILES, BIN] : [FILES];
    await this.change(
      stores,
      async ({ files, bin }) => {
        const old = binFirst.length ? (await Promise.all(binFirst.map((name) => request(files.get(name))))).filter(Boolean) : [];
        for (const record of old) bin.put({ ...record, binned: at });
        for (const record of records) files.put(record);
        return old;
      },
      records.map((r) => r.name),
      (old) => {
        for (const record of old) this.binned.set(record.name, { ...record, binned: at });
        for (const record of records) this.records.set(record.name, record);
      },
    );
  }

  async put(record) {
    await this.putAll([record]);
  }

  // Changes fields of a file as it is now (another tab may have changed or
  // removed it meanwhile: a removed file stays removed); false when there is none.
  async update(name, fields) {
    return this.change(
      [FILES],
      async ({ files }) => {
        const record = await request(files.get(name));
        if (record) files.put({ ...record, ...fields });
        return record ? { ...record, ...fields } : null;
      },
      [name],
      (record) => {
        if (record) this.records.set(name, record);
      },
    ).then(Boolean);
  }

  // Moves files to the bin, where they stay until the bin is emptied; a file
  // of the same name binned earlier gives way.
  async remove(...names) {
    const at = new Date().toISOString();
    const moved = await this.change(
      [FILES, BIN],
      async ({ files, bin }) => {
        const records = (await Promise.all(names.map((name) => request(files.get(name))))).filter(Boolean);
        for (const record of records) {
          bin.put({ ...record, binned: at });
          files.delete(record.name);
        }
        return records;
      },
      names,
      (records) => {
        for (const record of records) {
          this.records.delete(record.name);
          this.binned.set(record.name, { ...record, binned: at });
        }
      },
    );
    if (moved.length < names.length) throw new Error(`no file ${names.find((n) => !moved.some((r) => r.name === n))}`);
  }

  // Every file to the bin.
  async clear() {
    const names = (await this.all()).map((r) => r.name);
    if (names.length) await this.remove(...names);
  }

  // Brings a file back from the bin; refuses to replace a file of that name.
  async restore(name) {
    await this.change(
      [FILES, BIN],
      async ({ files, bin }) => {
        const [record, existing] = await Promise.all([request(bin.get(name)), request(files.get(name))]);
        if (!record) throw new Error(`no file ${name} in the bin`);
        if (existing) throw Object.assign(new Error(`a file ${name} exists already`), { exists: true });
        const { binned, ...file } = record;
        files.put(file);
        bin.delete(name);
        return file;
      },
      [name],
      (file) => {
        this.binned.delete(name);
        this.records.set(name, file);
      },
    );
  }

  // Throws the bin's files away for good.
  async emptyBin() {
    const names = [...this.binned.keys()];
    await this.change(
      [BIN],
      ({ bin }) => bin.clear(),
      names,
      () => this.binned.clear(),
    );
  }

  // Renames in one transaction; refuses to overwrite another file.
  async rename(from, to) {
    if (from === to) return;
    await this.change(
      [FILES],
      async ({ files }) => {
        const [record, existing] = await Promise.all([request(files.get(from)), request(files.get(to))]);
        if (!record) throw new Error(`no file ${from}`);
        if (existing) throw Object.assign(new Error(`a file ${to} exists already`), { exists: true });
        files.delete(from);
        files.put({ ...record, name: to });
        return { ...record, name: to };
      },
      [from, to],
      (record) => {
        this.records.delete(from);
        this.records.set(to, record);
      },
    );
  }

  // The folder as the tools see it: name -> bytes.
  async folder() {
    await this.ready;
    const folder = {};
    for (const [name, record] of this.records) folder[name] = record.bytes;
    return folder;
  }

  // The space the files and the bin take, in bytes.
  sizes() {
    const sum = (map) => [...map.values()].reduce((total, r) => total + r.bytes.length, 0);
    return { files: sum(this.records), bin: sum(this.binned) };
  }

  // Notes a run as going on: {tool, step} until `end()` of the returned
  // handle. The note is held by a lock that the browser lets go when the tab
  // goes away, so the other tabs (and the next opening) can tell a run going
  // on from one that was interrupted.
  async beginRun({ tool, step = null }) {
    const db = await this.ready;
    const id = `${Date.now().toString(36)}-${Math.random().toString(36).slice(2)}`;
    const run = { id, tool, step, at: new Date().toISOString() };
    let release = () => {};
    if (navigator.locks) {
      await new Promise((granted) => {
        navigator.locks.request(
          RUN_LOCK + id,
          () =>
            new Promise((resolve) => {
              release = resolve;
              granted();
            }),
        );
      });
    }
    const tx = db.transaction(RUNS, 'readwrite');
    tx.objectStore(RUNS).put(run);
    await committed(tx).catch(() => {}); // a full disk must not stop the run itself
    this.post({ run: { ...run, state: 'started' } });
    return {
      end: async () => {
        const ending = db.transaction(RUNS, 'readwrite');
        ending.objectStore(RUNS).delete(id);
        await committed(ending).catch(() => {});
        release();
        this.post({ run: { ...run, state: 'ended' } });
      },
    };
  }

  otherRun(run) {
    if (run.state === 'started') {
      this.othersRunning.set(run.id, run);
      // The lock comes free when the run ends or its tab goes away: either way it is no longer running.
      if (navigator.locks) navigator.locks.request(RUN_LOCK + run.id, () => this.otherRun({ ...run, state: 'ended' }));
    } else {
      if (!this.othersRunning.delete(run.id)) return;
    }
    this.notifyBusy({ running: [...this.othersRunning.values()] });
  }

  // The runs that were going on when their page went away (closed, reloaded,
  // killed): each reported once, then forgotten.
  async interruptedRuns() {
    const db = await this.ready;
    const notes = await request(db.transaction(RUNS, 'readonly').objectStore(RUNS).getAll());
    if (notes.length === 0) return [];
    const held = navigator.locks ? new Set((await navigator.locks.query()).held.map((lock) => lock.name)) : new Set();
    const gone = notes.filter((run) => !held.has(RUN_LOCK + run.id));
    const tx = db.transaction(RUNS, 'readwrite');
    for (const run of gone) tx.objectStore(RUNS).delete(run.id);
    await committed(tx).catch(() => {});
    return gone.sort((a, b) => (a.at < b.at ? -1 : 1));
  }
}
