// Run and Cancel for one form, with the status line and the console.

import { h } from './dom.js';
import { t } from '../core/i18n.js';

// The status line of a failed run, from the cause its end event gives: what
// failed and on which file, in the page's language, else the tool's message.
export function failureText(cause) {
  const key = `cause_${cause.kind}`;
  const text = cause.file !== undefined && t(key, { file: cause.file });
  return t('run_failed', { message: text && text !== key ? text : cause.message });
}

export class RunPanel {
  // start(): the run's promise (from Session.run); runs while the panel waits.
  // step: the guided lab's step the panel runs, noted with the run.
  constructor(session, { runLabel = 'run', extraButtons = [], step = null } = {}) {
    this.session = session;
    this.step = step;
    this.runButton = h('button', { type: 'button', className: 'primary' }, t(runLabel));
    this.runLabel = runLabel;
    this.cancelButton = h('button', { type: 'button', disabled: true, onclick: () => session.cancel() }, t('cancel'));
    this.status = h('p', { className: 'status', role: 'status', 'aria-live': 'polite' });
    this.progress = h('progress', { className: 'run-progress', max: 1, value: 0, hidden: true });
    // A log: a named, focusable (so scrollable by keyboard) region that does not read out every line.
    this.console = h('pre', { className: 'console', tabindex: '0', role: 'log', 'aria-live': 'off', 'aria-label': t('transcript') });
    this.element = h(
      'div',
      { className: 'run-panel' },
      h('div', { className: 'buttons' }, this.runButton, ...extraButtons, this.cancelButton),
      this.status,
      this.progress,
      h('details', { className: 'console-box', open: true }, h('summary', {}, t('transcript')), this.console),
    );
    session.onRun((event) => {
      const busy = event.state === 'started';
      this.cancelButton.disabled = !busy;
    });
  }

  // The status line, said again in the other language after a switch.
  say(text) {
    this.statusText = text;
    this.status.textContent = text();
  }

  relabel() {
    if (this.statusText) this.status.textContent = this.statusText();
    this.runButton.textContent = t(this.runLabel);
    this.cancelButton.textContent = t('cancel');
    this.console.setAttribute('aria-label', t('transcript'));
    this.element.querySelector('summary').textContent = t('transcript');
  }

  // A progress event: the bar, named for its stage.
  showProgress(event) {
    if (event.event !== 'progress' || !(event.total > 0)) return;
    this.progress.hidden = false;
    this.progress.max = event.total;
    this.progress.value = event.done;
    this.progress.setAttribute('aria-label', t('progress', event));
  }

  // Runs `tool` with `answers` and shows how it goes; resolves to the outcome
  // or null. lesson: the id of the lesson whose step this is, if it is one;
  // onEvent(event): the run's events as they come, for the caller too.
  async run(tool, answers, { lesson = null, onEvent = () => {} } = {}) {
    if (this.session.runner.busy) {
      this.say(() => t('busy'));
      return null;
    }
    this.say(() => t('running', { tool }));
    this.console.textContent = '';
    try {
      const outcome = await this.session.run(tool, answers, {
        onTranscript: (text) => {
          this.console.textContent = text;
          this.console.scrollTop = this.console.scrollHeight;
        },
        onEvent: (event) => {
          this.showProgress(event);
          onEvent(event);
        },
        step: this.step,
        lesson,
        confirmReplace: (names) => confirm(t('confirm_replace', { names: names.join(', ') })),
      });
      const kept = outcome.kept.length ? ` ${t('kept_files', { names: outcome.kept.join(', ') })}` : '';
      this.say(() => (outcome.cause ? failureText(outcome.cause) : t('finished', { tool, exit: outcome.exit, seconds: outcome.seconds.toFixed(1) })) + kept);
      return outcome;
    } catch (error) {
      this.say(() => (error.cancelled ? t('cancelled') : error.storage ? error.message : t('failed', { message: error.message })));
      return null;
    } finally {
      this.progress.hidden = true;
    }
  }
}
