// The guided lab's sections as a list of links at its top: a keyboard
// reaches any section in a few presses instead of tabbing through every
// step before it, and the eye sees the lab's plan at once.

import { h } from './dom.js';
import { onLanguage, t } from '../core/i18n.js';

// Builds the index before the first section heading of `view` (the guided
// lab's element); go(heading) shows the view and takes the focus there.
export function lessonIndex(view, go) {
  const headings = [...view.querySelectorAll('h2')];
  const links = headings.map((heading, i) => {
    heading.id = heading.id || `lab-section-${i + 1}`;
    heading.tabIndex = -1; // reachable by a link, not a stop of its own for Tab
    return h(
      'a',
      {
        href: `#${heading.id}`,
        onclick: (event) => {
          event.preventDefault();
          go(heading);
        },
      },
      heading.textContent,
    );
  });
  const nav = h(
    'nav',
    { id: 'lab-sections', className: 'lesson-index', tabindex: '-1', 'aria-label': t('sections') },
    h(
      'ul',
      {},
      links.map((link) => h('li', {}, link)),
    ),
  );
  if (headings.length) headings[0].before(nav);
  onLanguage(() => {
    nav.setAttribute('aria-label', t('sections'));
    links.forEach((link, i) => (link.textContent = headings[i].textContent));
  });
  return nav;
}
