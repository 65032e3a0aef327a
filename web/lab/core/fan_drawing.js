// The figure of a fan-beam scan, as numbers: where the source, the detector
// and a few rays of the fan stand at one view, the arc the source travels
// and the field the image covers. Everything comes from the geometry file
// that fan_raysum writes beside its sinogram ("key = value" lines) and the
// answers its run took; nothing of the tools' own computations is redone
// here beyond placing those numbers on the page.
//
// Coordinates are the images': x to the right, y upwards, the isocentre at
// the origin, in cm. At view angle β the source stands at R·(−sin β, cos β)
// and looks along c = (sin β, −cos β); the ray at fan angle γ leaves it
// along cos γ·c + sin γ·e, e = (cos β, sin β). A curved detector is the arc
// of radius D about the source, its bins Δγ apart; a flat one the line at
// distance D across c, its bins Δu apart (γ = atan(u / D)). Bin b stands at
// (b − ⌊N/2⌋ + offset) spacings from the central ray; view i at
// β = i × range / views.

// π as the whole suite takes it.
const PI = 3.14159265358979;

const KEYS = {
  detector: 'detector',
  sourceDistance: 'source_to_isocentre_cm',
  detectorDistance: 'source_to_detector_cm',
  bins: 'bins',
  spacing: 'bin_spacing',
  offset: 'offset_bins',
  views: 'views',
  range: 'range_radians',
  rangeDegrees: 'range_degrees',
};

// The geometry file's values: {geometry} or {problem: {key}} when a key is
// missing or not a number (the file is not one fan_raysum wrote).
export function parseFanGeometry(text) {
  const values = {};
  for (const raw of String(text).split('\n')) {
    const line = raw.replace(/\r$/, '');
    if (line === '' || line.startsWith('#')) continue;
    const equals = line.indexOf('=');
    if (equals < 0) continue;
    values[line.slice(0, equals).trim()] = line.slice(equals + 1).trim();
  }
  const geometry = {};
  for (const [field, key] of Object.entries(KEYS)) {
    if (!(key in values)) return { problem: { key } };
    if (field === 'detector') {
      if (values[key] !== 'curved' && values[key] !== 'flat') return { problem: { key } };
      geometry.detector = values[key];
      continue;
    }
    const number = Number(values[key]);
    if (values[key] === '' || !Number.isFinite(number)) return { problem: { key } };
    geometry[field] = number;
  }
  const whole = ['bins', 'views'].every((k) => Number.isInteger(geometry[k]) && geometry[k] > 0);
  if (!whole) return { problem: { key: !(Number.isInteger(geometry.bins) && geometry.bins > 0) ? KEYS.bins : KEYS.views } };
  if (!(geometry.sourceDistance > 0)) return { problem: { key: KEYS.sourceDistance } };
  if (!(geometry.detectorDistance > 0)) return { problem: { key: KEYS.detectorDistance } };
  if (!(geometry.spacing > 0)) return { problem: { key: KEYS.spacing } };
  return { geometry };
}

// The position of bin b in spacings from the central ray.
const binPosition = (g, b) => b - Math.trunc(g.bins / 2) + g.offset;

// The fan angle of a detector position (in spacings).
const fanAngle = (g, position) => (g.detector === 'curved' ? position * g.spacing : Math.atan((position * g.spacing) / g.detectorDistance));

// The point at distance `length` from the source along the ray at fan angle γ.
function alongRay(source, beta, gamma, length) {
  const c = [Math.sin(beta), -Math.cos(beta)];
  const e = [Math.cos(beta), Math.sin(beta)];
  const d = [Math.cos(gamma) * c[0] + Math.sin(gamma) * e[0], Math.cos(gamma) * c[1] + Math.sin(gamma) * e[1]];
  return [source[0] + length * d[0], source[1] + length * d[1]];
}

// The point of the detector at `position` spacings from the central ray.
function detectorPoint(g, source, beta, position) {
  const gamma = fanAngle(g, position);
  const length = g.detector === 'curved' ? g.detectorDistance : g.detectorDistance / Math.cos(gamma);
  return alongRay(source, beta, gamma, length);
}

// Points of an arc of radius r about the origin from angle a to b (radians,
// counter-clockwise from +x), at most `step` radians apart.
function arcPoints(r, a, b, step = 0.05) {
  const count = Math.max(2, Math.ceil(Math.abs(b - a) / step) + 1);
  return Array.from({ length: count }, (_, k) => {
    const angle = a + ((b - a) * k) / (count - 1);
    return [r * Math.cos(angle), r * Math.sin(angle)];
  });
}

// The figure at view `view` (a whole number, taken modulo the views), with
// the image's field {width, height, pixelLength} when the run tells it:
// {beta, source, detector: [points], fan: [source, ...detector], rays:
// [[from, to]], trajectory: [points], scanned: [points], fanAngle, halfFan,
// magnification, isoSpacing, field: {radius, half: [x, y]} | null, extent}.
// Lengths in cm, angles in radians.
export function fanDrawing(g, { view = 0, field = null, rays = 9 } = {}) {
  const i = ((Math.trunc(view) % g.views) + g.views) % g.views;
  const beta = (i * g.range) / g.views;
  const source = [-g.sourceDistance * Math.sin(beta), g.sourceDistance * Math.cos(beta)];
  const first = binPosition(g, 0),
    last = binPosition(g, g.bins - 1);
  // The detector spans its bins' outer edges; the fan reaches them too.
  const ends = [first - 0.5, last + 0.5];
  const detector = [];
  const pieces = g.detector === 'curved' ? 48 : 1;
  for (let k = 0; k <= pieces; k++) detector.push(detectorPoint(g, source, beta, ends[0] + ((ends[1] - ends[0]) * k) / pieces));
  const rayLines = [];
  for (let k = 0; k < rays; k++) {
    const b = rays === 1 ? Math.trunc(g.bins / 2) : Math.round((k * (g.bins - 1)) / (rays - 1));
    rayLines.push([source, detectorPoint(g, source, beta, binPosition(g, b))]);
  }
  // The source's path: the circle of radius R, and the arc it travels in
  // this scan, from β = 0 on (the angle of the source's position vector is
  // β + 90°).
  const quarter = PI / 2;
  const trajectory = arcPoints(g.sourceDistance, 0, 2 * PI);
  const scanned = arcPoints(g.sourceDistance, quarter, quarter + g.range);
  const halfFan = Math.max(Math.abs(fanAngle(g, first)), Math.abs(fanAngle(g, last)));
  const isoSpacing = g.detector === 'curved' ? g.spacing * g.sourceDistance : (g.spacing * g.sourceDistance) / g.detectorDistance;
  let area = null;
  if (field && [field.width, field.height, field.pixelLength].every((v) => Number.isFinite(v) && v > 0)) {
    // The circle every view must see: inscribed in the image's larger side.
    area = {
      radius: (Math.max(field.width, field.height) * field.pixelLength) / 2,
      half: [(field.width * field.pixelLength) / 2, (field.height * field.pixelLength) / 2],
    };
  }
  // Distances from the isocentre do not change with the view: the same
  // extent at every view keeps the drawing still while the source turns.
  const reach = (points) => Math.max(...points.map(([x, y]) => Math.hypot(x, y)));
  const extent = Math.max(g.sourceDistance, reach(detector), area ? Math.hypot(...area.half) : 0);
  return {
    view: i,
    beta,
    source,
    detector,
    fan: [source, ...detector],
    rays: rayLines,
    trajectory,
    scanned,
    halfFan,
    fanAngle: 2 * halfFan,
    magnification: g.detectorDistance / g.sourceDistance,
    isoSpacing,
    field: area,
    extent,
  };
}
