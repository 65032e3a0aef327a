// What the page has to tell beyond any one view: runs interrupted when the
// page went away, runs going on in another tab, and another version of the
// page open elsewhere.

import { clear, h } from './dom.js';
import { onLanguage, t } from '../core/i18n.js';

export class PageNotices {
  constructor(workspace) {
    this.workspace = workspace;
    this.interrupted = [];
    this.running = [];
    this.stale = null; // 'outdated' (a newer page elsewhere) or 'blocked' (an older one holds the workspace)
    // In the sticky bar, so that it shows whatever view is scrolled to.
    this.busy = h('p', { className: 'busy-elsewhere', role: 'status', 'aria-live': 'polite' });
    this.notes = h('div', { className: 'page-notes' });
    workspace.onBusy((state) => {
      if (state.running) this.running = state.running;
      if (state.outdated) this.stale = 'outdated';
      if (state.blocked) this.stale = 'blocked';
      if (state.blocked === false && this.stale === 'blocked') this.stale = null;
      this.show();
    });
    onLanguage(() => this.show());
  }

  // Reports the runs interrupted since the last opening, once each.
  async checkInterrupted() {
    this.interrupted = await this.workspace.interruptedRuns();
    this.show();
  }

  runText(run) {
    return run.step ? t('interrupted_step', { n: run.step, tool: run.tool }) : run.tool;
  }

  show() {
    this.busy.textContent = this.running.length ? t('busy_elsewhere', { what: this.running.map((r) => this.runText(r)).join(', ') }) : '';
    this.busy.hidden = this.running.length === 0;
    const notes = this.interrupted.map((run, i) =>
      h(
        'div',
        { className: 'page-note', role: 'alert' },
        h('p', {}, t('interrupted_run', { what: this.runText(run), at: new Date(run.at).toLocaleString() })),
        h(
          'button',
          {
            type: 'button',
            onclick: () => {
              this.interrupted.splice(i, 1);
              this.show();
            },
          },
          t('dismiss'),
        ),
      ),
    );
    if (this.stale) notes.unshift(h('div', { className: 'page-note', role: 'alert' }, h('p', {}, t(this.stale))));
    clear(this.notes, notes);
  }
}
