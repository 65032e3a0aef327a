// The Workspace view: every file with its size and what made it; upload,
// download (one file or all as a zip), rename, delete (to the bin, from
// where a file can be restored until the bin is emptied), the run that made
// a file opened again as a form, and the space the files take against what
// the browser allows.

import { zipSync } from 'fflate';
import { clear, download, formatSize, h } from './dom.js';
import { axisLabel } from '../core/file_meaning.js';
import { currentLanguage, onLanguage, t } from '../core/i18n.js';
import { isQuotaError } from '../run/workspace.js';

// The byte count a raw picture of `columns` × `rows` float32 samples takes.
export const rawBytes = (columns, rows) => columns * rows * 4;

// What an uploaded file is, by the kind of name the learner gave it: text
// tables end in .txt, pictures in .png, anything else is raw samples. A
// DICOM file is known by its name or by the "DICM" every DICOM file (with
// its file meta information) holds after its 128-byte preamble.
function uploadedFormat(name, bytes) {
  if (/\.(txt|csv|tsv)$/i.test(name)) return 'table';
  if (/\.png$/i.test(name)) return 'png';
  if (/\.(dcm|dicom)$/i.test(name) || isDicomPart10(bytes)) return 'dicom';
  return 'raw';
}

function isDicomPart10(bytes) {
  return bytes.length > 132 && bytes[128] === 0x44 && bytes[129] === 0x49 && bytes[130] === 0x43 && bytes[131] === 0x4d;
}

// The raw image dicom_to_raw makes of a DICOM file: its name with .img.
export const dicomImageName = (name) => name.replace(/\.(dcm|dicom)$/i, '') + '.img';

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
    this.status = h('p', { className: 'status', role: 'status', 'aria-live': 'polite' });
    this.storage = h('p', { className: 'storage hint' });
    this.binHeading = h('h2', { id: 'bin-heading' }, t('bin'));
    this.binIntro = h('p', { className: 'hint' }, t('bin_intro'));
    this.emptyBinButton = h('button', { type: 'button', onclick: () => this.emptyBin() }, t('empty_bin'));
    this.binList = h('div', { className: 'file-list bin-list' });
    this.element = h(
      'section',
      { className: 'view', id: 'view-workspace', 'aria-labelledby': 'tab-workspace' },
      this.intro,
      h('div', { className: 'toolbar' }, this.uploadLabel, this.uploadInput, this.zipButton, this.clearButton),
      this.status,
      this.list,
      this.storage,
      h(
        'section',
        { className: 'bin', 'aria-labelledby': 'bin-heading' },
        this.binHeading,
        this.binIntro,
        h('div', { className: 'toolbar' }, this.emptyBinButton),
        this.binList,
      ),
    );
    // Files dropped on the view are uploaded as picked ones are (a DICOM file read into HU).
    this.element.addEventListener('dragover', (event) => event.preventDefault());
    this.element.addEventListener('drop', (event) => {
      event.preventDefault();
      this.uploadFiles(event.dataTransfer.files);
    });
    session.workspace.onChange(() => this.refresh());
    onLanguage(() => this.relabel());
    this.refresh();
  }

  relabel() {
    this.intro.textContent = t('workspace_intro');
    this.uploadLabel.textContent = t('upload');
    this.zipButton.textContent = t('download_all');
    this.clearButton.textContent = t('clear_all');
    this.binHeading.textContent = t('bin');
    this.binIntro.textContent = t('bin_intro');
    this.emptyBinButton.textContent = t('empty_bin');
    this.refresh();
  }

  madeText(record) {
    if (!record.made || record.made.uploaded) return t('uploaded');
    const answers = record.made.answers.map((a) => (a === '' ? '↵' : a)).join(' | ');
    return `${record.made.tool} < ${answers}`;
  }

  // A file's row: its name, size and shape and what the run that wrote it
  // said it holds, what made it, and its actions.
  row(record, actions, when) {
    const holds = record.info && record.info.quantity ? `, ${axisLabel(record.info.quantity, record.info.unit)}` : '';
    const shape = (record.shape ? ` (${record.shape[1]} × ${record.shape[0]})` : '') + holds;
    return h(
      'tr',
      {},
      h('td', { className: 'file-name' }, record.name),
      h('td', {}, formatSize(record.bytes.length) + shape),
      h('td', { className: 'made' }, when),
      h('td', { className: 'actions' }, actions),
    );
  }

  table(headings, rows) {
    return h(
      'table',
      {},
      h(
        'thead',
        {},
        h(
          'tr',
          {},
          headings.map((k) => h('th', { scope: 'col' }, t(k))),
        ),
      ),
      h('tbody', {}, rows),
    );
  }

  button(key, name, onclick) {
    return h('button', { type: 'button', onclick, 'aria-label': `${t(key)} ${name}` }, t(key));
  }

  async refresh() {
    const [records, binned] = await Promise.all([this.session.workspace.all(), this.session.workspace.bin()]);
    this.showStorage();
    clear(
      this.binList,
      binned.length === 0
        ? h('p', { className: 'hint' }, t('bin_empty'))
        : this.table(
            ['name', 'size', 'binned_at', 'actions'],
            binned.map((record) =>
              this.row(record, [this.button('restore', record.name, () => this.restore(record.name))], new Date(record.binned).toLocaleString()),
            ),
          ),
    );
    this.emptyBinButton.disabled = binned.length === 0;
    if (records.length === 0) {
      clear(this.list, h('p', { className: 'hint' }, t('empty_workspace')));
      return;
    }
    const rows = records.map((record) => {
      const name = record.name;
      const view = { table: () => this.app.openPlot(name), raw: () => this.app.openPicture(name) }[record.format];
      const actions = [
        view ? this.button('view', name, view) : null,
        this.button('download', name, () => download(name, record.bytes)),
        this.button('rename', name, () => this.rename(name)),
        this.button('delete', name, () => this.remove(name)),
      ];
      if (record.made && record.made.tool) actions.push(this.button('repeat', name, () => this.app.openRun(record.made.tool, record.made.answers)));
      return this.row(record, actions, this.madeText(record));
    });
    clear(this.list, this.table(['name', 'size', 'made_by', 'actions'], rows));
  }

  // What the files take and what the browser allows the page, and whether it keeps them for good.
  async showStorage() {
    const { files, bin } = this.session.workspace.sizes();
    const sentences = [t('storage_files', { files: formatSize(files), bin: formatSize(bin) })];
    if (navigator.storage && navigator.storage.estimate) {
      try {
        const { usage, quota } = await navigator.storage.estimate();
        if (quota) sentences.push(t('storage_quota', { quota: formatSize(quota), used: formatSize(usage || 0) }));
        const persisted = navigator.storage.persisted ? await navigator.storage.persisted() : false;
        sentences.push(t(persisted ? 'storage_persistent' : 'storage_not_persistent'));
      } catch {
        // an estimate is a courtesy: the list stands without it
      }
    }
    this.storage.textContent = sentences.join(currentLanguage() === 'ja' ? '' : ' ');
  }

  // To the bin, with Restore at hand beside the message.
  async remove(name) {
    await this.session.workspace.remove(name);
    clear(
      this.status,
      `${t('moved_to_bin', { name })} `,
      this.button('restore', name, () => this.restore(name)),
    );
  }

  async restore(name) {
    try {
      await this.session.workspace.restore(name);
      this.status.textContent = t('restored', { name });
    } catch (error) {
      this.status.textContent = error.exists ? t('restore_exists', { name }) : this.storageText(error);
    }
  }

  async emptyBin() {
    if (confirm(t('confirm_empty_bin'))) await this.session.workspace.emptyBin();
  }

  storageText(error) {
    return isQuotaError(error) ? t('upload_no_space') : t('failed', { message: error.message });
  }

  // Uploads the chosen files; asks before one replaces a file of the same
  // name and refuses a raw picture whose size is not width × height × 4.
  async upload() {
    await this.uploadFiles(this.uploadInput.files);
    this.uploadInput.value = '';
  }

  async uploadFiles(files) {
    const said = [];
    for (const file of files) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      said.push(await this.uploadOne(file.name, bytes));
    }
    this.status.textContent = said.filter(Boolean).join(' ');
  }

  async uploadOne(name, bytes) {
    if ((await this.session.workspace.get(name)) && !confirm(t('confirm_upload_replace', { name }))) return t('upload_kept', { name });
    const format = uploadedFormat(name, bytes);
    const shape = format === 'raw' ? this.askShape(name, bytes) : null;
    if (shape && shape.refused) return shape.refused;
    try {
      await this.session.upload(name, bytes, { format, shape });
    } catch (error) {
      return `${name}: ${this.storageText(error)}`;
    }
    return format === 'dicom' ? this.readDicom(name) : t('uploaded_file', { name });
  }

  // A DICOM file becomes a raw image in HU through the suite's own
  // dicom_to_raw, which says what the file holds in its run's events; the
  // picture opens in HU through the file's own window, else the soft-tissue
  // preset.
  async readDicom(name) {
    const output = dicomImageName(name);
    let result;
    try {
      result = await this.session.run('dicom_to_raw', [name, '1', '0', '', output]);
    } catch (error) {
      return t('dicom_failed', { name, message: error.message });
    }
    if (result.exit !== 0) return t('dicom_failed', { name, message: result.cause ? result.cause.message : result.stderr.trim() });
    const read = (result.events || []).find((e) => e.event === 'file' && e.role === 'input' && e.format === 'dicom');
    const header = (read && read.header) || {};
    const window =
      Number.isFinite(header.window_center) && Number.isFinite(header.window_width) && header.window_width >= 1
        ? [header.window_center, header.window_width]
        : 'soft_tissue';
    const spacing = Number.isFinite(header.pixel_spacing_column_mm) ? header.pixel_spacing_column_mm : null;
    await this.app.openPicture(output, undefined, { window });
    return t('dicom_read', {
      name,
      output,
      columns: read ? read.columns : '?',
      rows: read ? read.rows : '?',
      spacing: spacing === null ? '?' : spacing.toFixed(3),
      modality: header.modality || '?',
      syntax: header.transfer_syntax || '?',
    });
  }

  // [rows, columns] of an uploaded raw picture, as the learner gives them
  // (a square of the file's size offered when there is one); null when left
  // blank, {refused: text} when the answer does not fit the byte count.
  askShape(name, bytes) {
    const side = Math.round(Math.sqrt(bytes.length / 4));
    const offered = side > 0 && side * side * 4 === bytes.length ? `${side} ${side}` : '';
    const answer = prompt(t('uploaded_shape', { name }), offered);
    if (answer === null) return { refused: t('upload_kept', { name }) };
    if (answer.trim() === '') return null;
    const [columns, rows] = answer
      .trim()
      .split(/[\s×x,]+/)
      .map(Number);
    const need = rawBytes(columns, rows);
    if (!(Number.isInteger(rows) && Number.isInteger(columns) && rows > 0 && columns > 0) || need !== bytes.length) {
      const shape = Number.isFinite(need) ? `${columns} × ${rows}` : answer.trim();
      return { refused: t('upload_wrong_size', { name, size: bytes.length, shape, need: Number.isFinite(need) ? need : '?' }) };
    }
    return [rows, columns];
  }

  async rename(name) {
    const to = prompt(t('new_name', { name }), name);
    if (!to || to === name) return;
    try {
      await this.session.workspace.rename(name, to);
    } catch (error) {
      this.status.textContent = error.exists ? t('rename_exists', { name: to }) : this.storageText(error);
    }
  }

  async downloadAll() {
    const folder = await this.session.workspace.folder();
    download('ct-lab-workspace.zip', zipSync(folder, { level: 6 }), 'application/zip');
  }

  async clearAll() {
    if (confirm(t('confirm_clear'))) await this.session.workspace.clear();
    this.status.textContent = '';
  }
}
