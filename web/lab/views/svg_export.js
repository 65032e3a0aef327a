// A plot as SVG text: the same ranges, ticks and labels as on the page, the
// texts as text (searchable, selectable, sharp when printed), the curves as
// paths; and the same plot as PNG through the browser's own SVG renderer.

import { plotDescription, plotScales, PALETTE } from './plots.js';

const escape = (text) => String(text).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
const fixed = (v) => Number(v.toFixed(2));

// A long note in lines of at most `length` characters.
function wrap(text, length) {
  const lines = [];
  for (const word of String(text || '')
    .split(/\s+/)
    .filter(Boolean)) {
    if (lines.length && (lines[lines.length - 1] + ' ' + word).length <= length) lines[lines.length - 1] += ' ' + word;
    else lines.push(word);
  }
  return lines;
}

// SVG text of a plot description (plots.js), `width` × `height` user units.
export function plotSvg(plot, { width = 820, height = 520 } = {}) {
  const scales = plotScales(plot);
  const note = wrap(plot.note, Math.floor(width / 7.2));
  const margin = { left: 88, right: 20, top: 44, bottom: 66 + 18 * plot.series.length + 15 * note.length };
  const inner = { w: width - margin.left - margin.right, h: Math.max(160, height - 180) };
  const total = margin.top + inner.h + margin.bottom;
  const sx = (v) => margin.left + ((v - scales.x.min) / (scales.x.max - scales.x.min)) * inner.w;
  const ty = plot.log ? (v) => Math.log10(v) : (v) => v;
  const sy = (v) => margin.top + inner.h - ((ty(v) - ty(scales.y.min)) / (ty(scales.y.max) - ty(scales.y.min))) * inner.h;
  const out = [];
  out.push(
    `<svg xmlns="http://www.w3.org/2000/svg" width="${width}" height="${total}" viewBox="0 0 ${width} ${total}" role="img" aria-labelledby="plot-title plot-desc" font-family="DejaVu Sans, Noto Sans, Noto Sans CJK JP, sans-serif" font-size="13">`,
  );
  out.push(`<title id="plot-title">${escape(plot.title)}</title>`);
  out.push(`<desc id="plot-desc">${escape(plotDescription(plot))}</desc>`);
  out.push(`<rect width="${width}" height="${total}" fill="#fff"/>`);
  out.push(`<text x="${width / 2}" y="24" text-anchor="middle" font-size="15" font-weight="bold">${escape(plot.title)}</text>`);
  out.push('<g class="grid" stroke="#e6e6e6">');
  scales.x.ticks.forEach((v) => out.push(`<line x1="${fixed(sx(v))}" x2="${fixed(sx(v))}" y1="${margin.top}" y2="${margin.top + inner.h}"/>`));
  scales.y.ticks.forEach((v) => out.push(`<line x1="${margin.left}" x2="${margin.left + inner.w}" y1="${fixed(sy(v))}" y2="${fixed(sy(v))}"/>`));
  out.push('</g>');
  out.push(`<rect x="${margin.left}" y="${margin.top}" width="${inner.w}" height="${inner.h}" fill="none" stroke="#333"/>`);
  out.push('<g class="x-ticks" text-anchor="middle">');
  scales.x.ticks.forEach((v, i) => out.push(`<text x="${fixed(sx(v))}" y="${margin.top + inner.h + 18}">${escape(scales.x.labels[i])}</text>`));
  out.push('</g><g class="y-ticks" text-anchor="end">');
  scales.y.ticks.forEach((v, i) => out.push(`<text x="${margin.left - 6}" y="${fixed(sy(v) + 4)}">${escape(scales.y.labels[i])}</text>`));
  out.push('</g>');
  out.push(`<text class="x-label" x="${margin.left + inner.w / 2}" y="${margin.top + inner.h + 40}" text-anchor="middle">${escape(plot.xLabel)}</text>`);
  out.push(`<text class="y-label" transform="translate(16 ${margin.top + inner.h / 2}) rotate(-90)" text-anchor="middle">${escape(plot.yLabel)}</text>`);
  out.push(`<clipPath id="plot-area"><rect x="${margin.left}" y="${margin.top}" width="${inner.w}" height="${inner.h}"/></clipPath>`);
  out.push('<g class="curves" clip-path="url(#plot-area)" fill="none">');
  plot.series.forEach((s, n) => {
    const color = s.color || PALETTE[n % PALETTE.length];
    let d = '';
    let pen = false;
    s.values.forEach((v, i) => {
      const ok = v !== null && v !== undefined && Number.isFinite(v) && Number.isFinite(plot.x[i]) && (!plot.log || v > 0);
      if (!ok) {
        if (!plot.spanGaps) pen = false;
        return;
      }
      d += `${pen ? 'L' : 'M'}${fixed(sx(plot.x[i]))} ${fixed(sy(v))}`;
      pen = true;
    });
    const dash = s.dash ? ` stroke-dasharray="${s.dash.join(' ')}"` : '';
    if (s.point) {
      // A marked value (the lowest RMSE): a dot where it lies.
      const at = s.values.findIndex((v) => v !== null && Number.isFinite(v));
      if (at >= 0)
        out.push(`<circle cx="${fixed(sx(plot.x[at]))}" cy="${fixed(sy(s.values[at]))}" r="5" fill="${color}"><title>${escape(s.label)}</title></circle>`);
      return;
    }
    out.push(`<path d="${d}" stroke="${color}" stroke-width="${s.dash ? 2 : 1.6}"${dash}><title>${escape(s.label)}</title></path>`);
  });
  out.push('</g>');
  let y = margin.top + inner.h + 62;
  out.push('<g class="legend">');
  plot.series.forEach((s, n) => {
    const color = s.color || PALETTE[n % PALETTE.length];
    const dash = s.dash ? ` stroke-dasharray="${s.dash.join(' ')}"` : '';
    out.push(`<line x1="${margin.left}" x2="${margin.left + 28}" y1="${y - 4}" y2="${y - 4}" stroke="${color}" stroke-width="2"${dash}/>`);
    out.push(`<text x="${margin.left + 36}" y="${y}">${escape(s.label)}</text>`);
    y += 18;
  });
  out.push('</g>');
  note.forEach((line, i) => out.push(`<text class="note" x="${margin.left}" y="${y + 4 + 15 * i}" font-size="11" fill="#444">${escape(line)}</text>`));
  out.push('</svg>');
  return out.join('\n');
}

// The same plot as PNG bytes (a Blob), drawn by the browser from its SVG at `scale`.
export async function plotPng(plot, scale = 2) {
  const svg = plotSvg(plot);
  const [, width, height] = /width="(\d+)" height="(\d+)"/.exec(svg).map(Number);
  const image = new Image();
  image.src = `data:image/svg+xml;charset=utf-8,${encodeURIComponent(svg)}`;
  await image.decode();
  const canvas = document.createElement('canvas');
  canvas.width = width * scale;
  canvas.height = height * scale;
  const context = canvas.getContext('2d');
  context.scale(scale, scale);
  context.drawImage(image, 0, 0, width, height);
  return new Promise((resolve) => canvas.toBlob(resolve, 'image/png'));
}
