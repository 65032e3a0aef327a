// Keep the shown file's run as a snapshot, with a label of the learner's or
// the run's own; the snapshots of pictures (or tables), each removable.

import { clear, h, uniqueId } from './dom.js';
import { t } from '../core/i18n.js';
import { listSnapshots, takeSnapshot } from '../core/snapshots.js';

export class SnapshotPanel {
  // format: 'raw' or 'table'; shownName(): the file the view shows.
  constructor(session, format, shownName) {
    this.session = session;
    this.format = format;
    this.shownName = shownName;
    this.label = h('input', { type: 'text', id: uniqueId('snapshot-label'), placeholder: t('snapshot_placeholder') });
    this.labelText = h('label', { for: this.label.id }, t('snapshot_label'));
    this.keepButton = h('button', { type: 'button', onclick: () => this.keep() }, t('keep_snapshot'));
    this.status = h('span', { className: 'hint', role: 'status' });
    this.list = h('ul', { className: 'snapshot-list' });
    this.summary = h('summary', {}, t('snapshots'));
    this.element = h(
      'details',
      { className: 'snapshots' },
      this.summary,
      h('p', { className: 'hint' }, (this.intro = h('span', {}, t('snapshot_intro')))),
      h('div', { className: 'toolbar' }, h('span', { className: 'control' }, this.labelText, this.label), this.keepButton, this.status),
      this.list,
    );
    session.workspace.onChange(() => this.refresh());
    this.refresh();
  }

  relabel() {
    this.label.placeholder = t('snapshot_placeholder');
    this.labelText.textContent = t('snapshot_label');
    this.keepButton.textContent = t('keep_snapshot');
    this.summary.textContent = t('snapshots');
    this.intro.textContent = t('snapshot_intro');
    this.refresh();
  }

  async keep() {
    const name = this.shownName();
    if (!name) return;
    const names = await takeSnapshot(this.session, name, { label: this.label.value.trim() });
    this.status.textContent = t('snapshot_kept', { names: names.join(', ') });
  }

  async refresh() {
    const snapshots = (await listSnapshots(this.session.workspace)).filter((r) => r.format === this.format);
    clear(
      this.list,
      snapshots.length === 0
        ? h('li', { className: 'hint' }, t('no_snapshots'))
        : snapshots.map((r) =>
            h(
              'li',
              {},
              h('span', { className: 'file-name' }, r.name),
              ' ',
              h('button', { type: 'button', 'aria-label': `${t('remove')} ${r.name}`, onclick: () => this.session.workspace.remove(r.name) }, t('remove')),
            ),
          ),
    );
  }
}
