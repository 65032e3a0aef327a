// The Pictures view: a raw image or sinogram with window/level, grey bar,
// zoom, the value under the pointer and a line profile; a second picture
// side by side with the difference of the two.

import { clear, h } from './dom.js';
import { onLanguage, t } from './i18n.js';
import { drawSamples, greyBar, sampleRange, samplesOf } from './pictures.js';
import { drawPlot } from './plots.js';

const numberInput = (id, attributes = {}) => h('input', { id, type: 'number', step: 'any', ...attributes });

export class PictureView {
  constructor(session) {
    this.session = session;
    this.fileSelect = h('select', { id: 'picture-file', onchange: () => this.load(true) });
    this.compareSelect = h('select', { id: 'picture-compare', onchange: () => this.load(false) });
    this.width = numberInput('picture-width', { min: 1, step: 1 });
    this.height = numberInput('picture-height', { min: 1, step: 1 });
    this.low = numberInput('picture-low');
    this.high = numberInput('picture-high');
    this.zoom = h('select', { id: 'picture-zoom' }, ['fit', '1', '2', '4'].map((z) => h('option', { value: z }, z === 'fit' ? t('fit') : `${z}×`)));
    this.row = numberInput('picture-row', { min: 0, step: 1 });
    this.autoButton = h('button', { type: 'button', onclick: () => this.fullRange() }, t('auto_window'));
    for (const input of [this.width, this.height]) input.addEventListener('change', () => this.saveShape());
    for (const input of [this.low, this.high]) input.addEventListener('input', () => this.draw());
    this.zoom.addEventListener('change', () => this.applyZoom());
    this.row.addEventListener('input', () => this.drawProfile());
    this.labels = {};
    const labelled = (key, control) => {
      this.labels[key] = h('label', { for: control.id }, t(key));
      return h('span', { className: 'control' }, this.labels[key], control);
    };
    this.pointer = h('p', { className: 'pointer', 'aria-live': 'off' }, '');
    this.message = h('p', { className: 'hint', role: 'status' });
    this.pictures = h('div', { className: 'pictures' });
    this.profile = h('div', { className: 'plot profile' });
    this.element = h('section', { className: 'view', id: 'view-picture', 'aria-labelledby': 'tab-picture' },
      h('div', { className: 'toolbar' },
        labelled('picture_file', this.fileSelect), labelled('width', this.width), labelled('height', this.height),
        labelled('compare_with', this.compareSelect)),
      h('div', { className: 'toolbar' },
        labelled('low', this.low), labelled('high', this.high), this.autoButton, labelled('zoom', this.zoom),
        labelled('profile_row', this.row)),
      this.message, this.pictures, this.pointer, this.profile);
    this.current = null; // {name, samples, rows, columns}
    this.opening = false; // open() chooses the file itself
    this.other = null;
    session.workspace.onChange(() => this.refreshNames());
    onLanguage(() => this.relabel());
    this.refreshNames();
  }

  relabel() {
    for (const [key, label] of Object.entries(this.labels)) label.textContent = t(key);
    this.autoButton.textContent = t('auto_window');
    this.zoom.options[0].textContent = t('fit');
    this.refreshNames();
  }

  async refreshNames() {
    const records = (await this.session.workspace.all()).filter((r) => r.format === 'raw');
    const keep = (select, blank) => {
      const value = select.value;
      clear(select, blank ? h('option', { value: '' }, t('none')) : null, records.map((r) => h('option', { value: r.name }, r.name)));
      if ([...select.options].some((o) => o.value === value)) select.value = value;
    };
    keep(this.fileSelect, false);
    keep(this.compareSelect, true);
    // The picture named in the list is the one shown: the first file once
    // there is one, the next when the shown one is deleted.
    const shown = this.current ? this.current.name : '';
    if (this.fileSelect.value !== shown && !this.opening) await this.load(true);
  }

  // Opens `name`, with a window if given.
  async open(name, window) {
    this.opening = true;
    await this.refreshNames();
    this.opening = false;
    this.fileSelect.value = name;
    await this.load(true, window);
  }

  async picture(name) {
    const record = name ? await this.session.workspace.get(name) : null;
    if (!record) return null;
    const samples = samplesOf(record.bytes);
    return { name, record, samples };
  }

  async load(first, window) {
    const main = await this.picture(this.fileSelect.value);
    if (first && main && main.record.shape) {
      this.height.value = main.record.shape[0];
      this.width.value = main.record.shape[1];
    }
    this.current = main;
    this.other = await this.picture(this.compareSelect.value);
    if (main && first) {
      const [low, high] = window || sampleRange(main.samples);
      this.low.value = low;
      this.high.value = high;
      this.row.value = Math.trunc(Number(this.height.value || 0) / 2);
    }
    this.draw();
  }

  fullRange() {
    if (!this.current) return;
    const [low, high] = sampleRange(this.current.samples);
    this.low.value = low;
    this.high.value = high;
    this.draw();
  }

  async saveShape() {
    if (this.current && this.shape()) {
      await this.session.workspace.update(this.current.record.name, { shape: this.shape() });
    }
    this.draw();
  }

  shape() {
    const rows = Number(this.height.value), columns = Number(this.width.value);
    return Number.isInteger(rows) && Number.isInteger(columns) && rows > 0 && columns > 0 ? [rows, columns] : null;
  }

  fits(picture, shape) {
    const need = shape[0] * shape[1] * 4;
    if (picture.record.bytes.length >= need) return true;
    this.message.textContent = t('size_mismatch', { name: picture.name, size: picture.record.bytes.length, need, rows: shape[1], columns: shape[0] });
    return false;
  }

  draw() {
    clear(this.pictures);
    this.message.textContent = '';
    const shape = this.shape();
    if (!this.current || !shape) {
      this.message.textContent = t('not_a_picture');
      return;
    }
    if (!this.fits(this.current, shape) || (this.other && !this.fits(this.other, shape))) return;
    const [rows, columns] = shape;
    const low = Number(this.low.value), high = Number(this.high.value);
    const figures = [this.figure(this.current.name, this.current.samples, rows, columns, low, high)];
    if (this.other) {
      figures.push(this.figure(this.other.name, this.other.samples, rows, columns, low, high));
      const difference = new Float32Array(rows * columns);
      let largest = 0;
      for (let i = 0; i < difference.length; i++) {
        difference[i] = this.current.samples[i] - this.other.samples[i];
        if (Math.abs(difference[i]) > largest) largest = Math.abs(difference[i]);
      }
      const name = t('difference', { a: this.current.name, b: this.other.name });
      figures.push(this.figure(name, difference, rows, columns, -largest || -1, largest || 1));
    }
    this.pictures.append(...figures);
    this.applyZoom();
    this.drawProfile();
  }

  figure(name, samples, rows, columns, low, high) {
    const canvas = h('canvas', { className: 'picture', role: 'img', 'aria-label': name });
    drawSamples(canvas, samples, columns, rows, low, high);
    canvas.addEventListener('mousemove', (event) => {
      const column = Math.floor((event.offsetX * columns) / canvas.clientWidth);
      const row = Math.floor((event.offsetY * rows) / canvas.clientHeight);
      if (column < 0 || row < 0 || column >= columns || row >= rows) return;
      const where = `${name} [${row}, ${column}] = ${samples[row * columns + column]}`;
      this.pointer.textContent = t('value_under_pointer', { where });
    });
    canvas.addEventListener('click', (event) => {
      this.row.value = Math.floor((event.offsetY * rows) / canvas.clientHeight);
      this.drawProfile();
    });
    const hasNaN = samples.some(Number.isNaN);
    return h('figure', { className: 'picture-figure' }, canvas, greyBar(low, high, name),
      h('figcaption', {}, name, hasNaN ? h('span', { className: 'nan-note' }, ' ', t('nan_note')) : null));
  }

  applyZoom() {
    const shape = this.shape();
    for (const canvas of this.pictures.querySelectorAll('canvas.picture')) {
      if (this.zoom.value === 'fit' || !shape) canvas.style.width = '';
      else canvas.style.width = `${shape[1] * Number(this.zoom.value)}px`;
      canvas.classList.toggle('zoomed', this.zoom.value !== 'fit');
    }
  }

  drawProfile() {
    const shape = this.shape();
    if (!this.current || !shape || this.current.record.bytes.length < shape[0] * shape[1] * 4) {
      clear(this.profile);
      return;
    }
    const [rows, columns] = shape;
    const row = Math.min(rows - 1, Math.max(0, Math.trunc(Number(this.row.value) || 0)));
    const line = (samples) => Array.from(samples.subarray(row * columns, (row + 1) * columns), (v) => (Number.isFinite(v) ? v : null));
    const series = [{ label: this.current.name, values: line(this.current.samples) }];
    if (this.other) series.push({ label: this.other.name, values: line(this.other.samples) });
    drawPlot(this.profile, {
      title: t('profile_title', { row, name: this.current.name }),
      xLabel: 'column',
      yLabel: 'value',
      x: Array.from({ length: columns }, (_, i) => i),
      series,
    });
  }
}
