// Known answers to draw beside a measurement, each with its formula:
// - the MTF of the sigmoid edge that step_target draws;
// - the NNPS of white Gaussian noise in the suite's normalisation;
// - the NPS of FBP noise through the ramp filter and one cosine window.
// Frequencies are in cycles per pixel.

// step_target draws 1 / (1 + exp(−g·d)) at distance d (pixels) from the
// edge: its derivative is a logistic density whose Fourier transform is
// x / sinh x with x = 2π²f / g.
export function sigmoidEdgeMtf(f, gain) {
  const x = (2 * Math.PI * Math.PI * f) / gain;
  return x === 0 ? 1 : x / Math.sinh(x);
}

// The spectrum of W × H samples of white noise of deviation σ on a mean m,
// unscaled DFT power divided by its peak (the square of the image sum): the
// expected power W·H·σ² over (W·H·m)². The usual NNPS, σ²·Δx·Δy / m², is
// W·H times larger for unit pixels.
export function whiteNoiseNnps(sigma, mean, width, height) {
  return (sigma * sigma) / (width * height * mean * mean);
}

// The cosine window w (0 … 4) that recon_noise_windows puts on the ramp:
// 0.5 + 0.5 cos(π x / (256 (w + 1))) at frequency index x of a 512-bin
// row, i.e. 0.5 + 0.5 cos(2π f / (w + 1)) at f cycles per bin (= per pixel).
export const cosineWindow = (f, w) => 0.5 + 0.5 * Math.cos((2 * Math.PI * f) / (w + 1));

// Filtered back projection of white noise of variance σ² per detector bin
// over A angles of a half turn (angular step π/A, unit bins and pixels):
// power density (π/A)·σ²·f·H(f)² at radial frequency f, with H the window
// on the ramp, times sinc⁴ f for the linear interpolation of the back
// projection (a triangle, sinc² in amplitude); the unscaled DFT of a W × H
// image holds W·H times that. Aliasing near the Nyquist frequency is left out.
const sinc = (f) => (f === 0 ? 1 : Math.sin(Math.PI * f) / (Math.PI * f));
export function fbpNoiseNps(f, { sigma, angles, width, height, window = null }) {
  const h = window === null ? 1 : cosineWindow(f, window);
  return ((width * height * Math.PI) / angles) * sigma * sigma * Math.abs(f) * h * h * sinc(f) ** 4;
}

// The curves a plot of `quantity` offers, with their parameters' defaults.
export const THEORIES = {
  MTF: { key: 'sigmoid_mtf', parameters: { gain: 2 } },
  NNPS: { key: 'white_nnps', parameters: { sigma: 0.1, mean: 1, width: 256, height: 256 } },
  NPS: { key: 'fbp_nps', parameters: { sigma: 0.1, angles: 512, width: 512, height: 512 } },
};

// The formula of a theory as the legend shows it.
export function theoryFormula(key, p) {
  switch (key) {
    case 'sigmoid_mtf':
      return `x / sinh x, x = 2π²f / ${p.gain}`;
    case 'white_nnps':
      return `σ² / (W·H·mean²), σ = ${Number(p.sigma.toPrecision(4))}, mean = ${p.mean}, W·H = ${p.width}·${p.height}`;
    case 'fbp_nps':
      return `W·H·(π/A)·σ²·f·H(f)²·sinc⁴f, A = ${p.angles}, σ = ${Number(p.sigma.toPrecision(4))}, H = ${p.window === null || p.window === undefined ? '1 (ramp alone)' : `W${p.window}`}`;
    default:
      return key;
  }
}

// A sweep table's row "5dB" stands for noise of deviation 10^(−5/20) on a
// signal of 1; "W2(u)" for window 2 at the parameters' deviation.
function rowParameters(label, p) {
  const level = /^(-?\d+)dB$/.exec(label);
  if (level) return { ...p, sigma: 10 ** (-Number(level[1]) / 20), mean: 1, window: null, row: label };
  const window = /^W(\d)\(u\)$/.exec(label);
  if (window) return { ...p, window: Number(window[1]), row: label };
  return { ...p, window: null, row: null };
}

// The theory's series at the plot's frequencies: one per row of a sweep
// table (its level or window), else one.
export function theorySeries(key, p, x, rowLabels = []) {
  const rows = rowLabels.length ? rowLabels.map((label) => rowParameters(label, p)) : [rowParameters('', p)];
  const named = (q) => (q.row ? `${q.row}: ` : '');
  switch (key) {
    case 'sigmoid_mtf':
      return [{ label: theoryFormula(key, p), values: x.map((f) => sigmoidEdgeMtf(f, p.gain)) }];
    case 'white_nnps':
      return rows.map((q) => {
        const level = whiteNoiseNnps(q.sigma, q.mean, q.width, q.height);
        return { label: named(q) + theoryFormula(key, q), values: x.map(() => level) };
      });
    case 'fbp_nps':
      return rows.map((q) => ({
        label: named(q) + theoryFormula(key, q),
        values: x.map((f) => fbpNoiseNps(f, q)),
      }));
    default:
      return [];
  }
}
