// Raw float32 pictures on a canvas: a linear grey scale between a window's
// low and high values (samples that are not a number in red), and the grey
// bar that tells which value each grey stands for.

import { h } from './dom.js';

// The samples of a raw file (little-endian float32, row after row).
export function samplesOf(bytes) {
  const copy = new Uint8Array(bytes.length - (bytes.length % 4));
  copy.set(bytes.subarray(0, copy.length));
  const view = new DataView(copy.buffer);
  const samples = new Float32Array(copy.length / 4);
  for (let i = 0; i < samples.length; i++) samples[i] = view.getFloat32(i * 4, true);
  return samples;
}

// Smallest and largest finite sample.
export function sampleRange(samples) {
  let low = Infinity, high = -Infinity;
  for (const v of samples) {
    if (v < low) low = v;
    if (v > high) high = v;
  }
  return Number.isFinite(low) ? [low, high] : [0, 1];
}

export function drawSamples(canvas, samples, columns, rows, low, high) {
  canvas.width = columns;
  canvas.height = rows;
  const context = canvas.getContext('2d');
  const image = context.createImageData(columns, rows);
  const scale = high > low ? 255 / (high - low) : 0;
  for (let i = 0; i < columns * rows; i++) {
    const v = samples[i];
    const o = i * 4;
    if (Number.isNaN(v)) {
      image.data[o] = 230; image.data[o + 1] = 0; image.data[o + 2] = 0;
    } else {
      // An empty window (a flat picture at its full range) shows its value as mid grey.
      const grey = v < low ? 0 : v > high ? 255 : high > low ? Math.round((v - low) * scale) : 128;
      image.data[o] = image.data[o + 1] = image.data[o + 2] = grey;
    }
    image.data[o + 3] = 255;
  }
  context.putImageData(image, 0, 0);
}

const tick = (v) => (Math.abs(v) >= 1e4 || (v !== 0 && Math.abs(v) < 1e-3) ? v.toExponential(2) : Number(v.toPrecision(4)).toString());

// The grey bar from low to high with five values under it.
export function greyBar(low, high, label) {
  const bar = h('canvas', { width: 256, height: 1, className: 'grey-bar', role: 'img', 'aria-label': `${label}: ${tick(low)} … ${tick(high)}` });
  const context = bar.getContext('2d');
  const image = context.createImageData(256, 1);
  for (let i = 0; i < 256; i++) {
    image.data.set([i, i, i, 255], i * 4);
  }
  context.putImageData(image, 0, 0);
  const ticks = h('div', { className: 'grey-ticks' }, [0, 0.25, 0.5, 0.75, 1].map((f) => h('span', {}, tick(low + f * (high - low)))));
  return h('div', { className: 'grey-scale' }, bar, ticks);
}
