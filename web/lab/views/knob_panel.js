// A lesson's knobs: each a slider and a field (a list for a choice), its
// label and unit, and one Live switch. A value outside a knob's range is
// refused in the field with the reason; an accepted change goes to
// onChange(name, value) at once with Live on, else on "Run the changed steps".

import { h, uniqueId } from './dom.js';
import { currentLanguage, t } from '../core/i18n.js';
import { knobValue, STEPS, steppedValue, toPosition, toValue } from '../core/knob_values.js';
import { lessonText } from '../core/lesson.js';

export class KnobPanel {
  // knobs: the lesson's; values: {name: value}; onChange(name, value);
  // live: whether Live starts on; onLive(on) when the learner switches it.
  constructor(knobs, values, onChange, { live = true, onLive = () => {} } = {}) {
    this.knobs = knobs;
    this.onChange = onChange;
    this.pending = new Map();
    this.rows = knobs.map((knob) => this.row(knob, values[knob.name]));
    const switched = () => {
      onLive(this.live.checked);
      if (this.live.checked) this.applyPending();
    };
    this.live = h('input', { type: 'checkbox', id: uniqueId('live'), className: 'live', onchange: switched });
    this.live.checked = live;
    this.liveLabel = h('label', { for: this.live.id }, t('live'));
    this.hint = h('p', { className: 'hint' }, t('live_hint'));
    this.apply = h('button', { type: 'button', className: 'apply-knobs', onclick: () => this.applyPending() }, t('apply_knobs'));
    this.heading = h('h2', {}, t('knobs'));
    this.element = h(
      'section',
      { className: 'knobs', hidden: knobs.length === 0 },
      this.heading,
      ...this.rows.map((r) => r.element),
      h('div', { className: 'toolbar' }, h('span', { className: 'control' }, this.live, this.liveLabel), this.apply),
      this.hint,
    );
  }

  row(knob, value) {
    const id = uniqueId(`knob-${knob.name}`);
    const label = h('label', { for: id });
    const unit = h('span', { className: 'unit' });
    const message = h('p', { className: 'warning', id: `${id}-message`, 'aria-live': 'polite', hidden: true });
    let field,
      slider = null;
    if (knob.kind === 'choice') {
      field = h('select', { id, 'data-knob': knob.name, onchange: () => this.accept(knob, Number(field.value)) });
    } else {
      slider = h('input', { type: 'range', min: 0, max: STEPS, step: 1, 'data-knob-slider': knob.name, value: toPosition(knob, value) });
      field = h('input', { type: 'number', id, 'data-knob': knob.name, min: knob.min, max: knob.max, step: 'any', value, 'aria-describedby': message.id });
      slider.addEventListener('input', () => (field.value = toValue(knob, Number(slider.value))));
      // On a log scale the keys step through round values (1, 2, 5 per
      // decade), which the slider's own small steps would round back.
      slider.addEventListener('keydown', (event) => {
        const next = steppedValue(knob, Number(field.value), event.key);
        if (next === null) return;
        event.preventDefault();
        this.accept(knob, next);
      });
      slider.addEventListener('change', () => this.accept(knob, toValue(knob, Number(slider.value))));
      field.addEventListener('change', () => {
        const { value: v, reason } = knobValue(knob, field.value);
        message.hidden = v !== null;
        message.textContent = reason || '';
        field.setAttribute('aria-invalid', v === null ? 'true' : 'false');
        if (v !== null) this.accept(knob, v);
      });
    }
    const row = {
      knob,
      label,
      unit,
      field,
      slider,
      message,
      element: h('div', { className: 'knob', 'data-knob-row': knob.name }, label, h('div', { className: 'knob-input' }, slider, field, unit), message),
    };
    this.relabelRow(row);
    if (knob.kind === 'choice') field.value = String(value);
    return row;
  }

  relabelRow(row) {
    const language = currentLanguage();
    row.label.textContent = lessonText(row.knob.label, language);
    row.unit.textContent = lessonText(row.knob.unit, language);
    if (row.slider) row.slider.setAttribute('aria-label', row.label.textContent);
    if (row.knob.kind === 'choice') {
      const chosen = row.field.value;
      row.field.replaceChildren(...row.knob.choices.map((c) => h('option', { value: String(c.value) }, lessonText(c.label, language))));
      if (chosen) row.field.value = chosen;
    }
  }

  relabel() {
    this.heading.textContent = t('knobs');
    this.liveLabel.textContent = t('live');
    this.hint.textContent = t('live_hint');
    this.apply.textContent = t('apply_knobs');
    this.rows.forEach((row) => this.relabelRow(row));
  }

  // Shows a value set from outside (ctLab.setKnob) without a change event.
  show(name, value) {
    const row = this.rows.find((r) => r.knob.name === name);
    row.field.value = String(value);
    if (row.slider) row.slider.value = toPosition(row.knob, value);
    row.message.hidden = true;
    row.field.setAttribute('aria-invalid', 'false');
  }

  accept(knob, value) {
    this.show(knob.name, value);
    this.pending.set(knob.name, value);
    if (this.live.checked) this.applyPending();
  }

  applyPending() {
    const changes = [...this.pending];
    this.pending.clear();
    if (changes.length) this.onChange(changes);
  }
}
