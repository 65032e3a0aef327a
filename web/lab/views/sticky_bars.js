// The sticky bars (the tabs, and a view's sticky toolbar below them) must
// never cover what is scrolled or tabbed to: the page's scroll padding is
// their height, and a focused element left under them is brought out.

const GAP = 8; // pixels between the bars and what is brought under them

// Keeps the page clear of `tabList` and the shown view's `.toolbar.sticky`;
// returns the update to call when the shown view changes.
export function keepClearOfStickyBars(tabList) {
  const height = () => {
    const bar = document.querySelector(`#view-${document.body.dataset.view} .toolbar.sticky`);
    return tabList.offsetHeight + (bar ? bar.offsetHeight : 0);
  };
  const update = () => {
    document.documentElement.style.setProperty('--tabs-height', `${tabList.offsetHeight}px`);
    document.documentElement.style.scrollPaddingTop = `${height() + GAP}px`;
  };
  const bars = new ResizeObserver(update);
  for (const bar of [tabList, ...document.querySelectorAll('.toolbar.sticky')]) bars.observe(bar);
  document.addEventListener('focusin', (event) => {
    if (event.target.closest && event.target.closest('.tabs, .toolbar.sticky')) return;
    requestAnimationFrame(() => {
      const covered = height() + GAP - event.target.getBoundingClientRect().top;
      if (covered > 0) window.scrollBy(0, -covered);
    });
  });
  update();
  return update;
}

// Takes the focus to `target` and scrolls it to the top, below the bars.
export function goTo(target) {
  target.focus({ preventScroll: true });
  target.scrollIntoView({ block: 'start' });
}
