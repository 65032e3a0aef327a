// Raw float32 pictures on a canvas: a linear grey scale between a window's
// low and high values (samples that are not a number in red), and the grey
// bar that tells which value each grey stands for.

import { h } from './dom.js';
import { t } from '../core/i18n.js';
import { valueText } from '../core/plot_axes.js';

// The samples of a raw file (little-endian float32, row after row).
export function samplesOf(bytes) {
  const little = new Uint8Array(new Uint16Array([1]).buffer)[0] === 1;
  if (little) return new Float32Array(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length - (bytes.length % 4)));
  const copy = new Uint8Array(bytes.length - (bytes.length % 4));
  copy.set(bytes.subarray(0, copy.length));
  const view = new DataView(copy.buffer);
  const samples = new Float32Array(copy.length / 4);
  for (let i = 0; i < samples.length; i++) samples[i] = view.getFloat32(i * 4, true);
  return samples;
}

// Smallest and largest finite sample.
export function sampleRange(samples) {
  let low = Infinity,
    high = -Infinity;
  for (let i = 0; i < samples.length; i++) {
    const v = samples[i];
    if (v < low) low = v;
    if (v > high) high = v;
  }
  return Number.isFinite(low) ? [low, high] : [0, 1];
}

// A turn for the page between long steps over a huge picture.
export const breathe = () => new Promise((resolve) => setTimeout(resolve, 0));

// Rows first … first + count − 1 of the picture into `context`; whether any
// sample there is not a number (drawn red). greyOf(v), when given, is the
// grey level of a sample in place of the window low … high (an HU window).
function drawRows(context, samples, columns, first, count, low, high, greyOf = null) {
  const image = context.createImageData(columns, count);
  const data = image.data;
  const scale = high > low ? 255 / (high - low) : 0;
  const offset = first * columns;
  let notANumber = false;
  for (let i = 0; i < columns * count; i++) {
    const v = samples[offset + i];
    const o = i * 4;
    if (Number.isNaN(v)) {
      data[o] = 230;
      data[o + 1] = 0;
      data[o + 2] = 0;
      notANumber = true;
    } else {
      // An empty window (a flat picture at its full range) shows its value as mid grey.
      const grey = greyOf ? greyOf(v) : v < low ? 0 : v > high ? 255 : high > low ? Math.round((v - low) * scale) : 128;
      data[o] = data[o + 1] = data[o + 2] = grey;
    }
    data[o + 3] = 255;
  }
  context.putImageData(image, 0, first);
  return notANumber;
}

export function drawSamples(canvas, samples, columns, rows, low, high, greyOf = null) {
  canvas.width = columns;
  canvas.height = rows;
  return drawRows(canvas.getContext('2d'), samples, columns, 0, rows, low, high, greyOf);
}

// The same in bands of about a million samples, giving the page its turn
// between them, so that a 4096 × 4096 picture does not freeze it; stops
// when stillWanted() turns false (a newer drawing has begun).
const BAND = 1 << 20;
export async function drawSamplesInSteps(canvas, samples, columns, rows, low, high, stillWanted = () => true, greyOf = null) {
  canvas.width = columns;
  canvas.height = rows;
  const context = canvas.getContext('2d');
  const step = Math.max(1, Math.floor(BAND / Math.max(1, columns)));
  let notANumber = false;
  for (let first = 0; first < rows; first += step) {
    if (first > 0) await breathe();
    if (!stillWanted()) return notANumber;
    notANumber = drawRows(context, samples, columns, first, Math.min(step, rows - first), low, high, greyOf) || notANumber;
  }
  return notANumber;
}

const tick = (v) => (Math.abs(v) >= 1e4 || (v !== 0 && Math.abs(v) < 1e-3) ? v.toExponential(2) : Number(v.toPrecision(4)).toString());
const barValues = (low, high) => [0, 0.25, 0.5, 0.75, 1].map((f) => tick(low + f * (high - low)));

// The grey bar from low to high with five values under it and, when known,
// the quantity and unit the greys stand for; greyOf(v), when given, draws
// each of its 256 steps as the picture draws v (an HU window).
export function greyBar(low, high, label, quantity = '', greyOf = null) {
  const bar = h('canvas', {
    width: 256,
    height: 1,
    className: 'grey-bar',
    role: 'img',
    'aria-label': `${label}: ${tick(low)} … ${tick(high)}${quantity ? ` (${quantity})` : ''}`,
  });
  const context = bar.getContext('2d');
  const image = context.createImageData(256, 1);
  for (let i = 0; i < 256; i++) {
    const grey = greyOf ? greyOf(low + (i / 255) * (high - low)) : i;
    image.data.set([grey, grey, grey, 255], i * 4);
  }
  context.putImageData(image, 0, 0);
  const ticks = h(
    'div',
    { className: 'grey-ticks' },
    barValues(low, high).map((v) => h('span', {}, v)),
  );
  return h('div', { className: 'grey-scale' }, bar, ticks, quantity ? h('div', { className: 'grey-quantity' }, quantity) : null);
}

// A picture as PNG (a Blob) as the page shows it: its samples at one pixel
// each in the window low … high, the grey bar with its values under it, the
// window and the quantity, and the name as a title.
export async function picturePng(samples, rows, columns, low, high, { title = '', quantity = '', greyOf = null } = {}) {
  const width = Math.max(columns, 360);
  const font = Math.max(12, Math.round(width / 40));
  const bar = Math.max(12, Math.round(font * 0.9));
  const canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = font * 2 + rows + 8 + bar + font * 3 + 8;
  const context = canvas.getContext('2d');
  context.fillStyle = '#fff';
  context.fillRect(0, 0, canvas.width, canvas.height);
  context.fillStyle = '#000';
  context.font = `${font}px sans-serif`;
  context.textBaseline = 'top';
  context.fillText(title, 4, 4, width - 8);
  const picture = document.createElement('canvas');
  await drawSamplesInSteps(picture, samples, columns, rows, low, high, undefined, greyOf);
  let y = font * 2;
  context.drawImage(picture, Math.round((width - columns) / 2), y);
  y += rows + 8;
  const gradient = context.createLinearGradient(4, 0, width - 4, 0);
  gradient.addColorStop(0, '#000');
  gradient.addColorStop(1, '#fff');
  context.fillStyle = gradient;
  context.fillRect(4, y, width - 8, bar);
  context.strokeStyle = '#888';
  context.strokeRect(4.5, y + 0.5, width - 9, bar - 1);
  y += bar + 2;
  context.fillStyle = '#000';
  barValues(low, high).forEach((text, i) => {
    context.textAlign = i === 0 ? 'left' : i === 4 ? 'right' : 'center';
    context.fillText(text, 4 + (i * (width - 8)) / 4, y);
  });
  context.textAlign = 'left';
  context.fillText(`${quantity ? quantity + ', ' : ''}${t('window_range', { low: valueText(low), high: valueText(high) })}`, 4, y + font * 1.4, width - 8);
  return new Promise((resolve) => canvas.toBlob(resolve, 'image/png'));
}
