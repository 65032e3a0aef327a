// The Pictures view: a raw image or sinogram with window/level, grey bar,
// zoom, the value under the pointer and a row profile; a second picture side
// by side in the same window (when it holds the same quantity) with the
// difference of the two; a rectangle's statistics and a line's profile,
// drawn with the pointer or typed; export as PNG; snapshots. A picture of
// HU, μ or μ·Δ (as its run said) can be shown in Hounsfield units through
// an HU window (a preset of the tools or a centre and width): its grey bar,
// the value under the pointer, the statistics and the profiles then read
// in HU.

import { clear, download, h } from './dom.js';
import { axisLabel } from '../core/file_meaning.js';
import { huBarRange, huConverter, huGrey, huWindow } from '../core/hounsfield.js';
import { onLanguage, pick, t } from '../core/i18n.js';
import { breathe, drawSamplesInSteps, greyBar, picturePng, sampleRange, samplesOf } from './pictures.js';
import { valueText } from '../core/plot_axes.js';
import { drawPlot } from './plots.js';
import { meaningIn } from './plot_view.js';
import { lineProfile, regionStats } from '../core/region_stats.js';
import { reportLog } from './report.js';
import { SnapshotPanel } from './snapshot_panel.js';

const numberInput = (id, attributes = {}) => h('input', { id, type: 'number', step: 'any', ...attributes });
const SVG = 'http://www.w3.org/2000/svg';

export class PictureView {
  constructor(session) {
    this.session = session;
    this.fileSelect = h('select', { id: 'picture-file', onchange: () => this.load(true) });
    this.compareSelect = h('select', { id: 'picture-compare', onchange: () => this.load(false) });
    this.width = numberInput('picture-width', { min: 1, step: 1 });
    this.height = numberInput('picture-height', { min: 1, step: 1 });
    this.low = numberInput('picture-low');
    this.high = numberInput('picture-high');
    this.zoom = h(
      'select',
      { id: 'picture-zoom' },
      ['fit', '1', '2', '4'].map((z) => h('option', { value: z }, z === 'fit' ? t('fit') : `${z}×`)),
    );
    this.row = numberInput('picture-row', { min: 0, step: 1 });
    this.autoButton = h('button', { type: 'button', onclick: () => this.fullRange() }, t('auto_window'));
    // The HU window: none (the plain window above), centre and width typed, or a preset of the tools.
    this.huSelect = h('select', { id: 'picture-hu-window', onchange: () => this.choosePreset() });
    this.fillPresets();
    this.waterMu = numberInput('picture-water-mu', { value: '0.19', min: 0 });
    this.huCentre = numberInput('picture-hu-centre', { value: '40' });
    this.huWidth = numberInput('picture-hu-width', { value: '400', min: 1 });
    this.waterMu.addEventListener('input', () => this.draw());
    for (const input of [this.huCentre, this.huWidth])
      input.addEventListener('input', () => {
        if (this.huSelect.value !== '') this.huSelect.value = 'custom';
        this.draw();
      });
    this.mode = h(
      'select',
      { id: 'picture-pointer' },
      ['rectangle', 'line'].map((m) => h('option', { value: m }, t(`pointer_${m}`))),
    );
    this.region = Object.fromEntries(['row', 'column', 'rows', 'columns'].map((k) => [k, numberInput(`region-${k}`, { step: 1 })]));
    this.line = Object.fromEntries(['row0', 'column0', 'row1', 'column1'].map((k) => [k, numberInput(`line-${k}`, { step: 1 })]));
    this.measureButton = h('button', { type: 'button', onclick: () => this.measure(true) }, t('measure'));
    this.lineButton = h('button', { type: 'button', onclick: () => this.drawLineProfile() }, t('line_profile'));
    this.pngButton = h('button', { type: 'button', onclick: () => this.exportPng() }, t('export_png'));
    for (const input of [this.width, this.height]) input.addEventListener('change', () => this.saveShape());
    for (const input of [this.low, this.high]) input.addEventListener('input', () => this.draw());
    this.zoom.addEventListener('change', () => this.applyZoom());
    this.row.addEventListener('input', () => this.drawProfile());
    this.labels = {};
    const labelled = (key, control) => {
      this.labels[key] = h('label', { for: control.id }, t(key));
      return h('span', { className: 'control' }, this.labels[key], control);
    };
    this.snapshots = new SnapshotPanel(session, 'raw', () => this.current && this.current.name);
    this.pointer = h('p', { className: 'pointer', 'aria-live': 'off' }, '');
    this.message = h('p', { className: 'hint', role: 'status' });
    this.stats = h('div', { className: 'region-stats', role: 'status', 'aria-live': 'polite' });
    this.pictures = h('div', { className: 'pictures' });
    this.profile = h('div', { className: 'plot profile' });
    this.lineView = h('div', { className: 'plot profile line-profile' });
    this.measureTools = h(
      'details',
      { className: 'measure-tools', open: true },
      h('summary', {}, (this.labels.measure_summary = h('span', {}, t('measure_summary')))),
      h('div', { className: 'toolbar' }, labelled('pointer_draws', this.mode)),
      h('div', { className: 'toolbar' }, ...['row', 'column', 'rows', 'columns'].map((k) => labelled(`region_${k}`, this.region[k])), this.measureButton),
      h('div', { className: 'toolbar' }, ...['row0', 'column0', 'row1', 'column1'].map((k) => labelled(`line_${k}`, this.line[k])), this.lineButton),
    );
    this.element = h(
      'section',
      { className: 'view', id: 'view-picture', 'aria-labelledby': 'tab-picture' },
      h(
        'div',
        { className: 'toolbar' },
        labelled('picture_file', this.fileSelect),
        labelled('width', this.width),
        labelled('height', this.height),
        labelled('compare_with', this.compareSelect),
      ),
      h(
        'div',
        { className: 'toolbar' },
        labelled('low', this.low),
        labelled('high', this.high),
        this.autoButton,
        labelled('zoom', this.zoom),
        labelled('profile_row', this.row),
        this.pngButton,
      ),
      h(
        'div',
        { className: 'toolbar hu-toolbar' },
        labelled('hu_window', this.huSelect),
        labelled('water_mu', this.waterMu),
        labelled('hu_centre', this.huCentre),
        labelled('hu_width', this.huWidth),
      ),
      this.message,
      this.pictures,
      this.pointer,
      this.measureTools,
      this.stats,
      this.snapshots.element,
      this.profile,
      this.lineView,
    );
    this.current = null; // {name, record, samples, meaning}
    this.opening = false; // open() chooses the file itself
    this.other = null;
    this.drag = null;
    session.workspace.onChange(() => this.refreshNames());
    onLanguage(() => this.relabel());
    this.refreshNames();
  }

  relabel() {
    for (const [key, label] of Object.entries(this.labels)) label.textContent = t(key);
    this.autoButton.textContent = t('auto_window');
    this.measureButton.textContent = t('measure');
    this.lineButton.textContent = t('line_profile');
    this.pngButton.textContent = t('export_png');
    this.zoom.options[0].textContent = t('fit');
    [...this.mode.options].forEach((o) => (o.textContent = t(`pointer_${o.value}`)));
    this.fillPresets();
    this.snapshots.relabel();
    // The grey bar's quantity and the profile's labels are drawn texts.
    if (this.current) this.draw();
    this.refreshNames();
  }

  // The HU window's menu in the page's language, keeping the choice.
  fillPresets() {
    const chosen = this.huSelect.value;
    const presets = this.session.windowPresets || [];
    clear(
      this.huSelect,
      h('option', { value: '' }, t('hu_off')),
      h('option', { value: 'custom' }, t('hu_custom')),
      presets.map((p) => h('option', { value: p.name }, t('hu_preset', { label: pick(p.label), centre: p.centre, width: p.width }))),
    );
    this.huSelect.value = chosen;
  }

  choosePreset() {
    const preset = (this.session.windowPresets || []).find((p) => p.name === this.huSelect.value);
    if (preset) {
      this.huCentre.value = preset.centre;
      this.huWidth.value = preset.width;
    }
    this.draw();
  }

  // Shows the pictures in HU: a preset's name or [centre, width], at water's μ (1/cm).
  setHounsfield(window, waterMu = 0.19) {
    this.waterMu.value = waterMu;
    if (typeof window === 'string') {
      this.huSelect.value = window;
      this.choosePreset();
    } else {
      this.huSelect.value = window ? 'custom' : '';
      if (window) [this.huCentre.value, this.huWidth.value] = window;
      this.draw();
    }
  }

  // The HU window asked for, {centre, width} or null (none, or a problem said in the message).
  huWindowAsked() {
    if (this.huSelect.value === '') return null;
    const window = huWindow([this.huCentre.value === '' ? NaN : Number(this.huCentre.value), this.huWidth.value === '' ? NaN : Number(this.huWidth.value)]);
    if (window.problem) {
      this.message.textContent = t(window.problem, { window: `${this.huCentre.value}, ${this.huWidth.value}` });
      return null;
    }
    return window;
  }

  // v → HU for a picture, when an HU window is on and its quantity allows.
  huOf(picture) {
    if (!picture || !this.hu) return null;
    return huConverter(picture.meaning, Number(this.waterMu.value));
  }

  async refreshNames() {
    const records = (await this.session.workspace.all()).filter((r) => r.format === 'raw');
    const keep = (select, blank) => {
      const value = select.value;
      clear(
        select,
        blank ? h('option', { value: '' }, t('none')) : null,
        records.map((r) => h('option', { value: r.name }, r.name)),
      );
      if ([...select.options].some((o) => o.value === value)) select.value = value;
    };
    keep(this.fileSelect, false);
    keep(this.compareSelect, true);
    // The picture named in the list is the one shown: the first file once
    // there is one, the next when the shown one is deleted.
    const shown = this.current ? this.current.name : '';
    if (this.fileSelect.value !== shown && !this.opening) await this.load(true);
  }

  // Opens `name`, with a window if given, and a picture to compare with.
  async open(name, window, compare) {
    this.opening = true;
    await this.refreshNames();
    this.opening = false;
    this.fileSelect.value = name;
    if (compare !== undefined) this.compareSelect.value = compare || '';
    await this.load(true, window);
    await Promise.all(this.pending || []);
  }

  async picture(name) {
    const record = name ? await this.session.workspace.get(name) : null;
    if (!record) return null;
    const samples = samplesOf(record.bytes);
    if (samples.length > 1 << 20) await breathe();
    return { name, record, samples, meaning: meaningIn(this.session, record) };
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
      if (main.samples.length > 1 << 20) await breathe();
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
    const rows = Number(this.height.value),
      columns = Number(this.width.value);
    return Number.isInteger(rows) && Number.isInteger(columns) && rows > 0 && columns > 0 ? [rows, columns] : null;
  }

  fits(picture, shape) {
    const need = shape[0] * shape[1] * 4;
    if (picture.record.bytes.length >= need) return true;
    this.message.textContent = t('size_mismatch', { name: picture.name, size: picture.record.bytes.length, need, rows: shape[1], columns: shape[0] });
    return false;
  }

  quantityText(picture) {
    const m = picture.meaning;
    return m.quantity && m.quantity !== 'value' ? axisLabel(m.quantity, m.unit) : '';
  }

  draw() {
    this.drawing = (this.drawing || 0) + 1; // drawings still in progress stop
    this.pending = [];
    clear(this.pictures);
    this.message.textContent = '';
    const shape = this.shape();
    if (!this.current || !shape) {
      this.message.textContent = t('not_a_picture');
      return;
    }
    if (!this.fits(this.current, shape) || (this.other && !this.fits(this.other, shape))) return;
    const [rows, columns] = shape;
    const low = Number(this.low.value),
      high = Number(this.high.value);
    this.hu = this.huWindowAsked();
    // The plain window rests while the picture is in HU.
    for (const control of [this.low, this.high, this.autoButton]) control.disabled = !!this.huOf(this.current);
    if (this.hu && !this.huOf(this.current)) {
      this.message.textContent = t('hu_not_possible', { name: this.current.name, quantity: this.quantityText(this.current) || t('value') });
    }
    const plainOrHu = (picture, plainLow, plainHigh) => {
      const toHu = this.huOf(picture);
      if (!toHu) return [plainLow, plainHigh, this.quantityText(picture), null, null];
      const { centre, width } = this.hu;
      return [...huBarRange(this.hu), axisLabel('CT number', 'HU'), (v) => huGrey(toHu(v), centre, width), toHu, (hu) => huGrey(hu, centre, width)];
    };
    const figures = [this.figure(this.current.name, this.current.samples, rows, columns, ...plainOrHu(this.current, low, high))];
    if (this.other) {
      // Pictures of one quantity share the window, so that equal greys are equal values.
      const same = this.other.meaning.quantity === this.current.meaning.quantity;
      const [otherLow, otherHigh] = same ? [low, high] : sampleRange(this.other.samples);
      figures.push(this.figure(this.other.name, this.other.samples, rows, columns, ...plainOrHu(this.other, otherLow, otherHigh)));
      if (!same) this.message.textContent = t('own_window', { name: this.other.name });
      const difference = new Float32Array(rows * columns);
      let largest = 0;
      for (let i = 0; i < difference.length; i++) {
        difference[i] = this.current.samples[i] - this.other.samples[i];
        if (Math.abs(difference[i]) > largest) largest = Math.abs(difference[i]);
      }
      const name = t('difference', { a: this.current.name, b: this.other.name });
      figures.push(this.figure(name, difference, rows, columns, -largest || -1, largest || 1, ''));
    }
    this.pictures.append(...figures);
    this.applyZoom();
    this.drawMarks();
    this.drawProfile();
    this.measure(false);
    this.drawLineProfile(false);
  }

  // greyOf: a sample's grey level (an HU window), toHu: a sample in HU, barGrey: the grey of a value in HU.
  figure(name, samples, rows, columns, low, high, quantity, greyOf = null, toHu = null, barGrey = null) {
    const canvas = h('canvas', { className: 'picture', role: 'img', 'aria-label': name, width: columns, height: rows });
    const caption = h('figcaption', {}, name);
    const drawing = this.drawing;
    this.pending.push(
      drawSamplesInSteps(canvas, samples, columns, rows, low, high, () => drawing === this.drawing, greyOf).then((notANumber) => {
        if (notANumber) caption.append(h('span', { className: 'nan-note' }, ' ', t('nan_note')));
      }),
    );
    const marks = document.createElementNS(SVG, 'svg');
    marks.setAttribute('class', 'marks');
    marks.setAttribute('viewBox', `0 0 ${columns} ${rows}`);
    marks.setAttribute('preserveAspectRatio', 'none');
    marks.setAttribute('aria-hidden', 'true');
    const at = (event) => ({
      row: Math.floor((event.offsetY * rows) / canvas.clientHeight),
      column: Math.floor((event.offsetX * columns) / canvas.clientWidth),
    });
    canvas.addEventListener('pointermove', (event) => {
      const { row, column } = at(event);
      if (this.drag) {
        this.drag.to = { row, column };
        this.drawMarks();
      }
      if (column < 0 || row < 0 || column >= columns || row >= rows) return;
      const v = samples[row * columns + column];
      // In an HU window the pixel reads in HU too.
      const where = `${name} [${row}, ${column}] = ${v}${toHu ? ` (${valueText(toHu(v))} HU)` : ''}`;
      this.pointer.textContent = t('value_under_pointer', { where });
    });
    canvas.addEventListener('pointerdown', (event) => {
      canvas.setPointerCapture(event.pointerId);
      this.drag = { from: at(event), to: at(event) };
      event.preventDefault();
    });
    canvas.addEventListener('pointerup', () => this.endDrag(rows, columns));
    canvas.addEventListener('pointercancel', () => (this.drag = null));
    return h(
      'figure',
      { className: 'picture-figure', 'data-hu': greyOf ? 'true' : 'false' },
      h('div', { className: 'picture-frame' }, canvas, marks),
      greyBar(low, high, name, quantity, barGrey),
      caption,
    );
  }

  // A click sets the profile row; a drag draws the rectangle or the line.
  endDrag(rows, columns) {
    const drag = this.drag;
    this.drag = null;
    if (!drag) return;
    const { from, to } = drag;
    const inside = (p) => ({ row: Math.min(rows - 1, Math.max(0, p.row)), column: Math.min(columns - 1, Math.max(0, p.column)) });
    if (from.row === to.row && from.column === to.column) {
      this.row.value = inside(from).row;
      this.drawProfile();
      this.drawMarks();
      return;
    }
    if (this.mode.value === 'rectangle') {
      const a = inside(from),
        b = inside(to);
      this.setRegion({
        row: Math.min(a.row, b.row),
        column: Math.min(a.column, b.column),
        rows: Math.abs(a.row - b.row) + 1,
        columns: Math.abs(a.column - b.column) + 1,
      });
    } else {
      const a = inside(from),
        b = inside(to);
      Object.entries({ row0: a.row, column0: a.column, row1: b.row, column1: b.column }).forEach(([k, v]) => (this.line[k].value = v));
      this.drawLineProfile();
    }
  }

  // Sets and measures a rectangle {row, column, rows, columns}.
  setRegion(region) {
    for (const k of Object.keys(this.region)) this.region[k].value = region[k];
    return this.measure(true);
  }

  typedRegion() {
    const values = Object.fromEntries(Object.entries(this.region).map(([k, input]) => [k, input.value === '' ? NaN : Number(input.value)]));
    return Object.values(values).some(Number.isNaN) ? null : values;
  }

  // The statistics of the rectangle in the picture (and the one compared);
  // `record` keeps them for the report.
  measure(record) {
    const region = this.typedRegion();
    const shape = this.shape();
    this.drawMarks();
    if (!region || !this.current || !shape) {
      clear(this.stats);
      return null;
    }
    const [rows, columns] = shape;
    const pictures = [this.current, this.other].filter((p) => p && p.record.bytes.length >= rows * columns * 4);
    const results = pictures.map((p) => ({ name: p.name, hu: !!this.huOf(p), ...regionStats(p.samples, rows, columns, region, this.huOf(p)) }));
    const r = results[0].region;
    const notes = [];
    if (r.clipped) notes.push(r.rows * r.columns ? t('region_clipped', r) : t('region_outside'));
    if (results[0].count === 0) notes.push(t('region_empty'));
    // One column per picture, one row per statistic: narrow enough for a phone.
    const head = [h('td', {}), ...results.map((s) => h('th', { scope: 'col', className: 'file-name' }, s.hu ? `${s.name} (HU)` : s.name))];
    const body = ['count', 'mean', 'sd', 'min', 'max'].map((k) =>
      h(
        'tr',
        {},
        h('th', { scope: 'row' }, t(`stat_${k}`)),
        ...results.map((s) => h('td', {}, k === 'count' ? String(s.count) : s.count ? valueText(s[k]) : '–')),
      ),
    );
    clear(
      this.stats,
      h(
        'table',
        {},
        h('caption', {}, t('region_caption', { ...r, end_row: r.row + r.rows - 1, end_column: r.column + r.columns - 1 })),
        h('thead', {}, h('tr', {}, head)),
        h('tbody', {}, body),
      ),
      notes.map((n) => h('p', { className: 'hint' }, n)),
      results.some((s) => s.notANumber) ? h('p', { className: 'nan-note' }, t('region_nan', { count: results[0].notANumber })) : null,
    );
    if (record)
      reportLog.measure(
        results.map((s) => ({
          name: s.name,
          region: s.region,
          asked: region,
          count: s.count,
          mean: s.mean,
          sd: s.sd,
          min: s.min,
          max: s.max,
          ...(s.hu ? { unit: 'HU' } : {}),
        })),
      );
    return results;
  }

  typedLine() {
    const v = Object.fromEntries(Object.entries(this.line).map(([k, input]) => [k, input.value === '' ? NaN : Number(input.value)]));
    return Object.values(v).some(Number.isNaN) ? null : v;
  }

  drawLineProfile(announce = true) {
    const line = this.typedLine();
    const shape = this.shape();
    this.drawMarks();
    if (!line || !this.current || !shape || this.current.record.bytes.length < shape[0] * shape[1] * 4) {
      clear(this.lineView);
      return;
    }
    const [rows, columns] = shape;
    const from = { row: line.row0, column: line.column0 },
      to = { row: line.row1, column: line.column1 };
    const main = lineProfile(this.current.samples, rows, columns, from, to);
    const series = [{ label: this.current.name, values: this.inHu(this.current, main.values) }];
    if (this.other) series.push({ label: this.other.name, values: this.inHu(this.other, lineProfile(this.other.samples, rows, columns, from, to).values) });
    drawPlot(this.lineView, {
      title: t('line_title', { name: this.current.name, r0: main.from.row, c0: main.from.column, r1: main.to.row, c1: main.to.column }),
      xLabel: t('distance_along_line'),
      yLabel: this.profileLabel(),
      x: main.distance,
      series,
    });
    if (announce) this.lineView.scrollIntoView({ block: 'nearest' });
  }

  // The rectangle and the line on every picture shown.
  drawMarks() {
    const region =
      this.drag && this.mode.value === 'rectangle'
        ? {
            row: Math.min(this.drag.from.row, this.drag.to.row),
            column: Math.min(this.drag.from.column, this.drag.to.column),
            rows: Math.abs(this.drag.from.row - this.drag.to.row) + 1,
            columns: Math.abs(this.drag.from.column - this.drag.to.column) + 1,
          }
        : this.typedRegion();
    const line =
      this.drag && this.mode.value === 'line'
        ? { row0: this.drag.from.row, column0: this.drag.from.column, row1: this.drag.to.row, column1: this.drag.to.column }
        : this.typedLine();
    for (const marks of this.pictures.querySelectorAll('svg.marks')) {
      marks.replaceChildren();
      const add = (tag, attributes) => {
        const element = document.createElementNS(SVG, tag);
        for (const [k, v] of Object.entries(attributes)) element.setAttribute(k, v);
        marks.append(element);
      };
      if (region && region.rows > 0 && region.columns > 0) {
        add('rect', { x: region.column, y: region.row, width: region.columns, height: region.rows, class: 'region-mark' });
      }
      if (line) add('line', { x1: line.column0 + 0.5, y1: line.row0 + 0.5, x2: line.column1 + 0.5, y2: line.row1 + 0.5, class: 'line-mark' });
      const row = Number(this.row.value);
      if (Number.isFinite(row) && this.row.value !== '')
        add('line', { x1: 0, x2: this.shape() ? this.shape()[1] : 0, y1: row + 0.5, y2: row + 0.5, class: 'row-mark' });
    }
  }

  // A profile's values in HU when the picture is shown in HU (a gap stays a gap).
  inHu(picture, values) {
    const toHu = this.huOf(picture);
    return toHu ? values.map((v) => (v === null ? null : toHu(v))) : values;
  }

  profileLabel() {
    return this.huOf(this.current) ? axisLabel('CT number', 'HU') : this.quantityText(this.current) || t('value');
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
    const series = [{ label: this.current.name, values: this.inHu(this.current, line(this.current.samples)) }];
    if (this.other) series.push({ label: this.other.name, values: this.inHu(this.other, line(this.other.samples)) });
    drawPlot(this.profile, {
      title: t('profile_title', { row, name: this.current.name }),
      xLabel: t('column'),
      yLabel: this.profileLabel(),
      x: Array.from({ length: columns }, (_, i) => i),
      series,
    });
  }

  // The picture as shown, with its grey bar and window, as a PNG file.
  async exportPng() {
    const shape = this.shape();
    if (!this.current || !shape || !this.fits(this.current, shape)) return;
    const blob = await this.pngOf(this.current);
    download(`${this.current.name}.png`, new Uint8Array(await blob.arrayBuffer()), 'image/png');
  }

  pngOf(picture) {
    const [rows, columns] = this.shape();
    const toHu = this.huOf(picture);
    if (toHu) {
      const { centre, width } = this.hu;
      const [low, high] = huBarRange(this.hu);
      return picturePng(picture.samples, rows, columns, low, high, {
        title: picture.name,
        quantity: axisLabel('CT number', 'HU'),
        greyOf: (v) => huGrey(toHu(v), centre, width),
      });
    }
    return picturePng(picture.samples, rows, columns, Number(this.low.value), Number(this.high.value), {
      title: picture.name,
      quantity: this.quantityText(picture),
    });
  }
}
