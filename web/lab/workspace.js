// The learner's working folder, kept in the browser's IndexedDB so that it
// survives a reload: one record per file with its bytes and what made it.
//
//   {name, bytes: Uint8Array, made: {tool, answers, at} | {uploaded: at},
//    shape: [rows, columns] | null}

const DATABASE = 'ct-lab';
const STORE = 'files';

function request(r) {
  return new Promise((resolve, reject) => {
    r.onsuccess = () => resolve(r.result);
    r.onerror = () => reject(r.error);
  });
}

// The records are read from the database once, when the page opens, and
// kept in memory beside it: every view lists and reads them from there, and
// every change is written to the database before it is made in memory.
export class Workspace {
  constructor() {
    this.listeners = [];
    this.records = new Map();
    this.ready = new Promise((resolve, reject) => {
      const open = indexedDB.open(DATABASE, 1);
      open.onupgradeneeded = () => open.result.createObjectStore(STORE, { keyPath: 'name' });
      open.onsuccess = () => resolve(open.result);
      open.onerror = () => reject(open.error);
    }).then(async (db) => {
      const tx = db.transaction(STORE, 'readonly');
      for (const record of await request(tx.objectStore(STORE).getAll())) this.records.set(record.name, record);
      return db;
    });
  }

  onChange(listener) {
    this.listeners.push(listener);
  }

  changed() {
    for (const listener of this.listeners) listener();
  }

  async transaction(mode, work) {
    const db = await this.ready;
    const tx = db.transaction(STORE, mode);
    const result = work(tx.objectStore(STORE));
    await new Promise((resolve, reject) => {
      tx.oncomplete = resolve;
      tx.onerror = () => reject(tx.error);
      tx.onabort = () => reject(tx.error || new Error('workspace transaction aborted'));
    });
    return result instanceof IDBRequest ? result.result : result;
  }

  // Every record, sorted by name.
  async all() {
    await this.ready;
    return [...this.records.values()].sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
  }

  async get(name) {
    await this.ready;
    return this.records.get(name) || null;
  }

  // Writes several records in one transaction: all of them or none.
  async putAll(records) {
    if (records.length === 0) return;
    await this.transaction('readwrite', (store) => {
      for (const record of records) store.put(record);
    });
    for (const record of records) this.records.set(record.name, record);
    this.changed();
  }

  async put(record) {
    await this.putAll([record]);
  }

  async remove(name) {
    await this.transaction('readwrite', (store) => store.delete(name));
    this.records.delete(name);
    this.changed();
  }

  async clear() {
    await this.transaction('readwrite', (store) => store.clear());
    this.records.clear();
    this.changed();
  }

  // Renames in one transaction; refuses to overwrite another file.
  async rename(from, to) {
    if (from === to) return;
    const db = await this.ready;
    const tx = db.transaction(STORE, 'readwrite');
    const store = tx.objectStore(STORE);
    const [record, existing] = await Promise.all([request(store.get(from)), request(store.get(to))]);
    if (!record) throw new Error(`no file ${from}`);
    if (existing) {
      tx.abort();
      throw new Error(`a file ${to} exists already`);
    }
    store.delete(from);
    store.put({ ...record, name: to });
    await new Promise((resolve, reject) => {
      tx.oncomplete = resolve;
      tx.onerror = () => reject(tx.error);
    });
    this.records.delete(from);
    this.records.set(to, { ...record, name: to });
    this.changed();
  }

  // The folder as the tools see it: name -> bytes.
  async folder() {
    await this.ready;
    const folder = {};
    for (const [name, record] of this.records) folder[name] = record.bytes;
    return folder;
  }
}
