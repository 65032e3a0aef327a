// Hounsfield units in the lab, computed as raw_to_png computes them (the
// same double arithmetic in the same order, so a grey level here is the
// tool's): a picture's samples turned into HU from the quantity its run
// named, and DICOM's linear window onto the grey levels 0 … 255.

// The quantities a picture can be shown in HU from (the run's file event).
export const HU_QUANTITIES = ['CT number', 'attenuation coefficient', 'attenuation per pixel'];

// v → HU for a picture of `meaning` ({quantity, pixelLengthCm}) at water's
// μ (1/cm); null when its quantity is none of those, water's μ is not
// positive, or an image of μ·Δ has no pixel length from its run.
export function huConverter(meaning, waterMu) {
  if (!(waterMu > 0) || !Number.isFinite(waterMu)) return null;
  switch (meaning && meaning.quantity) {
    case 'CT number':
      return (v) => v;
    case 'attenuation coefficient':
      return (v) => (1000.0 * (v - waterMu)) / waterMu;
    case 'attenuation per pixel': {
      const pixel = meaning.pixelLengthCm;
      if (!(pixel > 0)) return null;
      return (v) => (1000.0 * (v / pixel - waterMu)) / waterMu;
    }
    default:
      return null;
  }
}

// DICOM's linear VOI window: centre c, width w ≥ 1, onto yMin … yMax; the
// −0.5 and w − 1 put a window of whole numbers on whole levels.
export function voiLinear(x, c, w, yMin, yMax) {
  const middle = c - 0.5,
    half = (w - 1.0) / 2.0;
  if (x <= middle - half) return yMin;
  if (x > middle + half) return yMax;
  return ((x - middle) / (w - 1.0) + 0.5) * (yMax - yMin) + yMin;
}

// The grey level of a value in HU: the nearest level, halves up; NaN black.
export function huGrey(hu, c, w) {
  const y = voiLinear(hu, c, w, 0.0, 255.0);
  return Number.isNaN(y) ? 0 : Math.floor(y + 0.5);
}

// A window in HU: a preset of the registry (tools.json's window_presets)
// by name, or [centre, width]; {centre, width, preset} or {problem} (a
// key of the page's texts) when the name is unknown or the width below 1.
export function huWindow(window, presets) {
  if (typeof window === 'string') {
    const preset = (presets || []).find((p) => p.name === window);
    return preset ? { centre: preset.centre, width: preset.width, preset } : { problem: 'hu_unknown_preset' };
  }
  const [centre, width] = (window || []).map(Number);
  if (!Number.isFinite(centre) || !(width >= 1) || !Number.isFinite(width)) return { problem: 'hu_bad_window' };
  return { centre, width, preset: null };
}

// The ends and centre a grey bar reads: the window's bottom and top in HU.
export const huBarRange = ({ centre, width }) => [centre - width / 2, centre + width / 2];
