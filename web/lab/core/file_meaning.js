// What a file of the workspace holds, for the views that draw, measure and
// export it: its quantity and unit, its shape, and a table's x axis. The
// source is the latest `file` event of the run that wrote it, which the
// workspace keeps with the file; an uploaded file says only what the learner
// said (its format and shape). Nothing here guesses from a name.

import { currentLanguage } from './i18n.js';

// The quantities the tools name in their events (stable English keys), with
// the words a learner reads on an axis.
const QUANTITIES = {
  'attenuation coefficient': { en: 'attenuation coefficient', ja: '線減弱係数' },
  'CT number': { en: 'CT number', ja: 'CT 値' },
  'attenuation per pixel': { en: 'attenuation per pixel (μ × pixel length)', ja: '画素あたりの減弱（μ × 画素長）' },
  'line integral': { en: 'line integral', ja: '線積分' },
  counts: { en: 'counts', ja: 'カウント' },
  signal: { en: 'signal', ja: '信号' },
  'noise image': { en: 'noise image', ja: '雑音画像' },
  NNPS: { en: 'NNPS (power / (image sum)²)', ja: 'NNPS（パワー / （画像の和）²）' },
  NPS: { en: 'NPS (|DFT|², unscaled)', ja: 'NPS（|DFT|²、無尺度）' },
  ESF: { en: 'ESF', ja: 'ESF' },
  LSF: { en: 'LSF (per pixel)', ja: 'LSF（画素あたり）' },
  MTF: { en: 'MTF', ja: 'MTF' },
  'ellipse parameters': { en: 'ellipse parameters', ja: '楕円のパラメータ' },
  picture: { en: 'picture', ja: '画像' },
  'spatial frequency': { en: 'spatial frequency', ja: '空間周波数' },
  distance: { en: 'distance from the edge', ja: 'エッジからの距離' },
  line: { en: 'line of the file', ja: 'ファイルの行' },
  value: { en: 'value', ja: '値' },
  convergence: { en: 'residual and RMSE', ja: '残差と RMSE' },
  iteration: { en: 'iteration', ja: '反復' },
  "d'": { en: "d'", ja: "d'" },
  "d' integrand": { en: "d' integrand", ja: "d' の被積分関数" },
  diameter: { en: 'diameter', ja: '直径' },
};
const UNITS = {
  'cycles/pixel': { en: 'cycles per pixel', ja: 'サイクル/画素' },
  pixels: { en: 'pixels', ja: '画素' },
  '1/cm': { en: '1/cm', ja: '1/cm' },
  photons: { en: 'photons', ja: '光子' },
  mm: { en: 'mm', ja: 'mm' },
  HU: { en: 'HU', ja: 'HU' },
  'cycles/mm': { en: 'cycles per mm', ja: 'サイクル/mm' },
};

// A quantity's words in `language` (the page's by default); an unknown key as it is.
export function quantityWords(key, language = currentLanguage()) {
  const words = QUANTITIES[key];
  return words ? words[language] || words.en : String(key || '');
}

// "spatial frequency (cycles per pixel)": a quantity and its unit for an axis.
export function axisLabel(quantity, unit, language = currentLanguage()) {
  const words = quantityWords(quantity, language);
  if (!unit) return words;
  const unitWords = UNITS[unit] ? UNITS[unit][language] || UNITS[unit].en : unit;
  return language === 'ja' ? `${words}（${unitWords}）` : `${words} (${unitWords})`;
}

// The highest meaningful frequency of a picture sampled once per pixel.
export const NYQUIST = 0.5;

// What the run that wrote a record said of it: the workspace keeps the file
// event (minus its event and role, an input's quantity already resolved for
// an output "like" it) as `info`.
const eventOf = (record) => record.info || null;

// {format, rows, columns, quantity, unit, layout, axis: {quantity, unit,
// start, step} | null, pixelLengthCm (an image of μ·Δ: its run's pixel
// length, else null), from: 'event' | 'nothing'}
export function meaningOf(record) {
  const event = eventOf(record);
  if (!event) return olderMeaning(record);
  return {
    format: event.format || record.format,
    rows: event.rows ?? (record.shape ? record.shape[0] : undefined),
    columns: event.columns ?? (record.shape ? record.shape[1] : undefined),
    quantity: event.quantity || 'value',
    unit: event.unit || '',
    layout: event.layout || null,
    axis: event.axis || null,
    pixelLengthCm: Number.isFinite(event.pixel_length_cm) ? event.pixel_length_cm : null,
    from: 'event',
  };
}

// A file that no run described (uploaded, or kept from before runs gave
// events): its format, and plain values.
function olderMeaning(record) {
  return {
    format: record.format,
    rows: record.shape ? record.shape[0] : undefined,
    columns: record.shape ? record.shape[1] : undefined,
    quantity: 'value',
    unit: '',
    layout: null,
    axis: null,
    pixelLengthCm: null,
    from: 'nothing',
  };
}

// Tables of one kind can share a plot: the same quantity over the same x quantity.
export function plotKind(meaning) {
  return `${meaning.quantity}|${meaning.axis ? meaning.axis.quantity : 'line'}`;
}
