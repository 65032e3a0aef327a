// A knob's values: the slider's positions, what the field and the keys
// take. No page here: the lab's knob panel draws them, node tests check them.

import { currentLanguage, t } from './i18n.js';
import { lessonText } from './lesson.js';

export const STEPS = 1000; // slider positions

// Slider position <-> value, linear or logarithmic; integers, and on a log
// scale two significant digits, so that the slider lands on round numbers.
export function toValue(knob, position) {
  const f = position / STEPS;
  let v = knob.scale === 'log' ? knob.min * (knob.max / knob.min) ** f : knob.min + f * (knob.max - knob.min);
  if (knob.scale === 'log') v = Number(v.toPrecision(2));
  else if (knob.kind === 'real') v = Number(v.toPrecision(3));
  if (knob.kind === 'integer') v = Math.round(v);
  return Math.min(knob.max, Math.max(knob.min, v));
}
export function toPosition(knob, v) {
  const f = knob.scale === 'log' ? Math.log(v / knob.min) / Math.log(knob.max / knob.min) : (v - knob.min) / (knob.max - knob.min);
  return Math.round(f * STEPS);
}

// The value typed in a knob's field, or null with the reason.
export function knobValue(knob, typed) {
  if (knob.kind === 'choice') {
    const choice = knob.choices.find((c) => String(c.value) === String(typed).trim());
    if (choice) return { value: choice.value };
    const values = knob.choices.map((c) => c.value).join(', ');
    return { value: null, reason: t('knob_not_a_choice', { value: typed, label: lessonText(knob.label, currentLanguage()), values }) };
  }
  const v = Number(String(typed).trim());
  const fits = String(typed).trim() !== '' && Number.isFinite(v) && (knob.kind !== 'integer' || Number.isInteger(v)) && v >= knob.min && v <= knob.max;
  if (fits) return { value: v };
  const kind = t(knob.kind === 'integer' ? 'knob_integer' : 'knob_real');
  return { value: null, reason: t('knob_refused', { value: typed, label: lessonText(knob.label, currentLanguage()), kind, min: knob.min, max: knob.max }) };
}

// The round values of a log knob: 1, 2, 5 times each power of ten within
// its range, its ends included, in order.
export function roundValues(knob) {
  const values = new Set([knob.min, knob.max]);
  for (let decade = Math.floor(Math.log10(knob.min)); 10 ** decade <= knob.max; decade++) {
    for (const m of [1, 2, 5]) {
      const v = Number((m * 10 ** decade).toPrecision(12));
      if (v > knob.min && v < knob.max && (knob.kind !== 'integer' || Number.isInteger(v))) values.add(v);
    }
  }
  return [...values].sort((a, b) => a - b);
}

// The value a key moves a knob to from `value`, or null for a key the
// slider keeps: on a log scale the arrows step through the round values,
// Page Up and Page Down a decade; Home and End go to the ends of any knob.
export function steppedValue(knob, value, key) {
  if (key === 'Home') return knob.min;
  if (key === 'End') return knob.max;
  if (knob.scale !== 'log') return null;
  const round = roundValues(knob);
  const clamp = (v) => Math.min(knob.max, Math.max(knob.min, knob.kind === 'integer' ? Math.round(v) : v));
  switch (key) {
    case 'ArrowUp':
    case 'ArrowRight':
      return round.find((v) => v > value) ?? knob.max;
    case 'ArrowDown':
    case 'ArrowLeft':
      return [...round].reverse().find((v) => v < value) ?? knob.min;
    case 'PageUp':
      return clamp(value * 10);
    case 'PageDown':
      return clamp(value / 10);
    default:
      return null;
  }
}
