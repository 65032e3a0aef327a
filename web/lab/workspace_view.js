// The Workspace view: every file with its size and what made it; upload,
// download (one file or all as a zip), rename, delete, and the run that
// made a file opened again as a form.

import { zipSync } from 'fflate';
import { clear, download, formatSize, h } from './dom.js';
import { onLanguage, t } from './i18n.js';

// What an uploaded file is, by the kind of name the learner gave it: text
// tables end in .txt, pictures in .png, anything else is raw samples.
function uploadedFormat(name) {
  if (/\.(txt|csv|tsv)$/i.test(name)) return 'table';
  if (/\.png$/i.test(name)) return 'png';
  return 'raw';
}

export class WorkspaceView {
  // app: {openPicture(name), openPlot(name), openRun(tool, answers)}
  constructor(session, app) {
    this.session = session;
    this.app = app;
    this.uploadInput = h('input', { type: 'file', id: 'upload-files', multiple: true, onchange: () => this.upload() });
    this.uploadLabel = h('label', { for: 'upload-files', className: 'button-like' }, t('upload'));
    this.zipButton = h('button', { type: 'button', onclick: () => this.downloadAll() }, t('download_all'));
    this.clearButton = h('button', { type: 'button', onclick: () => this.clearAll() }, t('clear_all'));
    this.intro = h('p', {}, t('workspace_intro'));
    this.list = h('div', { className: 'file-list' });
    this.element = h('section', { className: 'view', id: 'view-workspace', 'aria-labelledby': 'tab-workspace' },
      this.intro, h('div', { className: 'toolbar' }, this.uploadLabel, this.uploadInput, this.zipButton, this.clearButton), this.list);
    session.workspace.onChange(() => this.refresh());
    onLanguage(() => this.relabel());
    this.refresh();
  }

  relabel() {
    this.intro.textContent = t('workspace_intro');
    this.uploadLabel.textContent = t('upload');
    this.zipButton.textContent = t('download_all');
    this.clearButton.textContent = t('clear_all');
    this.refresh();
  }

  madeText(record) {
    if (!record.made || record.made.uploaded) return t('uploaded');
    const answers = record.made.answers.map((a) => (a === '' ? '↵' : a)).join(' | ');
    return `${record.made.tool} < ${answers}`;
  }

  async refresh() {
    const records = await this.session.workspace.all();
    if (records.length === 0) {
      clear(this.list, h('p', { className: 'hint' }, t('empty_workspace')));
      return;
    }
    const rows = records.map((record) => {
      const name = record.name;
      const button = (key, onclick) => h('button', { type: 'button', onclick, 'aria-label': `${t(key)} ${name}` }, t(key));
      const view = { table: () => this.app.openPlot(name), raw: () => this.app.openPicture(name) }[record.format];
      const actions = [
        view ? button('view', view) : null,
        button('download', () => download(name, record.bytes)),
        button('rename', () => this.rename(name)),
        button('delete', () => this.session.workspace.remove(name)),
      ];
      if (record.made && record.made.tool) actions.push(button('repeat', () => this.app.openRun(record.made.tool, record.made.answers)));
      // What the run that wrote the file said it holds.
      const holds = record.info && record.info.quantity ? `, ${record.info.quantity}${record.info.unit ? ` (${record.info.unit})` : ''}` : '';
      const shape = (record.shape ? ` (${record.shape[1]} × ${record.shape[0]})` : '') + holds;
      return h('tr', {},
        h('td', { className: 'file-name' }, name),
        h('td', {}, formatSize(record.bytes.length) + shape),
        h('td', { className: 'made' }, this.madeText(record)),
        h('td', { className: 'actions' }, actions));
    });
    clear(this.list, h('table', {},
      h('thead', {}, h('tr', {}, ['name', 'size', 'made_by', 'actions'].map((k) => h('th', { scope: 'col' }, t(k))))),
      h('tbody', {}, rows)));
  }

  async upload() {
    for (const file of this.uploadInput.files) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      const format = uploadedFormat(file.name);
      await this.session.upload(file.name, bytes, { format, shape: format === 'raw' ? this.askShape(file.name, bytes) : null });
    }
    this.uploadInput.value = '';
  }

  // [rows, columns] of an uploaded raw picture, as the learner gives them
  // (a square of the file's size offered when there is one).
  askShape(name, bytes) {
    const side = Math.round(Math.sqrt(bytes.length / 4));
    const offered = side > 0 && side * side * 4 === bytes.length ? `${side} ${side}` : '';
    const answer = prompt(t('uploaded_shape', { name }), offered);
    const [columns, rows] = (answer || '').trim().split(/[\s×x,]+/).map(Number);
    return Number.isInteger(rows) && Number.isInteger(columns) && rows > 0 && columns > 0 ? [rows, columns] : null;
  }

  async rename(name) {
    const to = prompt(t('new_name', { name }), name);
    if (!to || to === name) return;
    try {
      await this.session.workspace.rename(name, to);
    } catch (error) {
      alert(error.message);
    }
  }

  async downloadAll() {
    const folder = await this.session.workspace.folder();
    download('ct-lab-workspace.zip', zipSync(folder, { level: 6 }), 'application/zip');
  }

  async clearAll() {
    if (confirm(t('confirm_clear'))) await this.session.workspace.clear();
  }
}
