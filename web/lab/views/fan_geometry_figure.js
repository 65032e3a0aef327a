// A lesson's drawing of a fan-beam scan as SVG: the source's circle and the
// arc it travels, the source at the view the lesson names, its fan of rays,
// the detector (an arc or a line), the isocentre and the image's field. The
// numbers come from the geometry file of the run and the answers it took
// (core/fan_drawing.js); every text is set as text.

import { h } from './dom.js';
import { t } from '../core/i18n.js';
import { fanDrawing, parseFanGeometry } from '../core/fan_drawing.js';

const SVG = 'http://www.w3.org/2000/svg';
const DEGREES = 180 / 3.14159265358979;

function s(tag, attributes = {}, ...children) {
  const element = document.createElementNS(SVG, tag);
  for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, String(value));
  for (const child of children.flat(Infinity)) if (child !== null && child !== undefined) element.append(child);
  return element;
}

// SVG's y runs downwards, the images' upwards.
const xy = ([x, y]) => `${x.toFixed(3)},${(-y).toFixed(3)}`;
const path = (points, close = false) => `M${points.map(xy).join('L')}${close ? 'Z' : ''}`;
const shown = (v, digits) => Number(v.toFixed(digits)).toString();

// What the run took for a question, from the answers of its events kept
// with the file (undefined for a file no run describes).
const taken = (record, keyword) => (record.made && record.made.values ? record.made.values[keyword] : undefined);

// {element, svg, facts} for the geometry file `record` at view `view`;
// {problem} when the file is not a geometry file.
export function fanGeometryDrawing(record, view, title) {
  const { geometry, problem } = parseFanGeometry(new TextDecoder('utf-8').decode(record.bytes));
  if (problem) return { problem: t('fan_not_geometry', { name: record.name, key: problem.key }) };
  const field = { width: taken(record, 'width'), height: taken(record, 'height'), pixelLength: taken(record, 'pixel_length') };
  const d = fanDrawing(geometry, { view, field });
  const unit = d.extent / 100; // strokes and letters in hundredths of the drawing
  const half = d.extent * 1.16;
  const size = 5.5 * unit;
  const letters = { 'font-size': size.toFixed(3) };
  // A label just outside a point, away from the isocentre.
  const outside = ([x, y], by) => {
    const r = Math.hypot(x, y) || 1;
    return [x + (x / r) * by, y + (y / r) * by];
  };
  // A label beside a point, away from the isocentre, kept inside the
  // drawing (its width guessed from its letters: a full-width one is as
  // wide as the font is high, a Latin one about half as wide).
  const label = (point, text, by = 8 * unit) => {
    const [px, py] = outside(point, by);
    const width = [...text].reduce((w, c) => w + (c.charCodeAt(0) > 0x2e7f ? 1 : 0.56), 0) * size;
    const start = px > 2 * unit ? px : px < -2 * unit ? px - width : px - width / 2;
    const x = Math.min(Math.max(start, -half + unit), half - unit - width);
    const y = Math.min(Math.max(py, -half + 2 * size), half - size);
    return s('text', { x: x.toFixed(3), y: (-y + size / 3).toFixed(3), class: 'fan-label', ...letters }, text);
  };
  const middle = d.detector[Math.floor(d.detector.length / 2)];
  const betaText = shown(d.beta * DEGREES, 1);
  const parts = [
    s('title', {}, title),
    s('path', { d: path(d.trajectory, true), class: 'fan-trajectory', 'stroke-width': (0.5 * unit).toFixed(3) }),
    s('path', { d: path(d.scanned), class: 'fan-scanned', 'stroke-width': (1.4 * unit).toFixed(3) }),
    s('path', { d: path(d.fan, true), class: 'fan-beam' }),
    d.rays.map(([a, b]) => s('path', { d: path([a, b]), class: 'fan-ray', 'stroke-width': (0.35 * unit).toFixed(3) })),
    d.field
      ? [
          s('rect', {
            x: (-d.field.half[0]).toFixed(3),
            y: (-d.field.half[1]).toFixed(3),
            width: (2 * d.field.half[0]).toFixed(3),
            height: (2 * d.field.half[1]).toFixed(3),
            class: 'fan-image',
            'stroke-width': (0.4 * unit).toFixed(3),
          }),
          s('circle', { cx: 0, cy: 0, r: d.field.radius.toFixed(3), class: 'fan-field', 'stroke-width': (0.6 * unit).toFixed(3) }),
        ]
      : null,
    s('path', { d: path(d.detector), class: 'fan-detector', 'stroke-width': (2.2 * unit).toFixed(3) }),
    s('path', {
      d: `M${xy([-3 * unit, 0])}L${xy([3 * unit, 0])}M${xy([0, -3 * unit])}L${xy([0, 3 * unit])}`,
      class: 'fan-isocentre',
      'stroke-width': (0.6 * unit).toFixed(3),
    }),
    s('circle', { cx: d.source[0].toFixed(3), cy: (-d.source[1]).toFixed(3), r: (2.2 * unit).toFixed(3), class: 'fan-source' }),
    label(d.source, t('fan_view', { view: d.view, beta: betaText }), 8 * unit + 1.4 * size),
    label(d.source, t('fan_source'), 6 * unit),
    label(middle, t(geometry.detector === 'curved' ? 'fan_detector_curved' : 'fan_detector_flat'), 6 * unit),
    s('text', { x: (4 * unit).toFixed(3), y: (-4 * unit).toFixed(3), class: 'fan-label', ...letters }, t('fan_isocentre')),
  ];
  const svg = s(
    'svg',
    { viewBox: `${-half} ${-half} ${2 * half} ${2 * half}`, class: 'fan-geometry', role: 'img', 'aria-label': title, preserveAspectRatio: 'xMidYMid meet' },
    parts,
  );
  const facts = t('fan_facts', {
    name: record.name,
    source: shown(geometry.sourceDistance, 3),
    detector: shown(geometry.detectorDistance, 3),
    magnification: shown(d.magnification, 3),
    bins: geometry.bins,
    iso: shown(d.isoSpacing, 4),
    fan: shown(d.fanAngle * DEGREES, 2),
    range: shown(geometry.rangeDegrees, 2),
    views: geometry.views,
    view: d.view,
    beta: betaText,
  });
  const element = h(
    'div',
    { className: 'fan-drawing' },
    svg,
    h('p', { className: 'fan-facts' }, facts, d.field ? ' ' + t('fan_field', { diameter: shown(2 * d.field.radius, 3) }) : ''),
  );
  return { element, svg, drawing: d, geometry };
}
