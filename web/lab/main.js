// The CT lab page: the guided lab, every tool as a form, the workspace,
// pictures and plots, in one offline file. window.ctLab scripts it:
//   ctLab.run(tool, answers) -> {exit, stdout, stderr, files, written, events}
//   ctLab.check(tool, answers) -> {events} (the tool's --check-answers)
//   ctLab.files({bytes}) -> [{name, size, made, bytes?}] (as every tab of the browser has them)
//   ctLab.remove(name), ctLab.restore(name): to the bin and back; ctLab.bin() lists it
//   ctLab.plotSvg, tableCsv, regionStats, snapshot, report: see lab_api.js
//   ctLab.lessons() -> [{id, title: {en, ja}}]
//   ctLab.openLesson(idOrJsonText) -> {ok, problems}
//   ctLab.openCourse(bytes of a course ZIP) -> {ok, problems, lessons}
//   ctLab.runLesson() -> {ok, seconds, failed (the step), problem}
//   ctLab.knobs() -> [{name, value, min, max, label}]
//   ctLab.setKnob(name, value) -> {ok, steps, seconds, firstResultSeconds} once its dependents ran
//   ctLab.savePage() -> this page with the open lesson inside, as text
//   ctLab.setLanguage('en' | 'ja')

import registry from 'virtual:tools-json';
import builtInLessons from 'virtual:lessons';
import examples from 'virtual:examples';
import { validate as validateLesson } from 'virtual:lesson-validator';
import { validate as validateCourse } from 'virtual:course-validator';
import { download, h } from './views/dom.js';
import { GuidedView } from './views/guided_view.js';
import { currentLanguage, onLanguage, setLanguage, t } from './core/i18n.js';
import { lessonText } from './core/lesson.js';
import { labApi } from './views/lab_api.js';
import { lessonIndex } from './views/lesson_index.js';
import { PageNotices } from './views/page_notices.js';
import { PictureView } from './views/picture_view.js';
import { PlotView } from './views/plot_view.js';
import { Session } from './run/session.js';
import { goTo, keepClearOfStickyBars } from './views/sticky_bars.js';
import { ToolsView } from './views/tools_view.js';
import { WorkspaceView } from './views/workspace_view.js';

// A page saved with a lesson holds it in a data element; the page as it was
// loaded, without that element and before the lab builds itself, is what
// "Save this lab as one page" copies.
const EMBEDDED = 'ct-lesson';
const embedded = document.getElementById(EMBEDDED);
if (embedded) embedded.remove();
const pristine = '<!DOCTYPE html>\n' + document.documentElement.outerHTML;

function pageWithLesson(lesson) {
  const json = JSON.stringify(lesson).replace(/</g, '\\u003c');
  return pristine.replace('<body>', () => `<body>\n<script type="application/json" id="${EMBEDDED}">${json}</` + 'script>');
}

const session = new Session(registry);
let keepClear = null; // set once the tab list exists
const TABS = ['guided', 'tools', 'workspace', 'picture', 'plot'];

const app = {
  show(tab) {
    for (const name of TABS) {
      const selected = name === tab;
      document.getElementById(`tab-${name}`).setAttribute('aria-selected', String(selected));
      document.getElementById(`tab-${name}`).tabIndex = selected ? 0 : -1;
      document.getElementById(`view-${name}`).hidden = !selected;
    }
    document.body.dataset.view = tab;
    if (keepClear) keepClear();
  },
  // hu: {window: preset name or [centre, width], waterMu} to show it in HU.
  async openPicture(name, window, hu = null) {
    app.show('picture');
    await pictures.open(name, window);
    pictures.setHounsfield(hu ? hu.window : null, hu ? hu.waterMu : undefined);
  },
  async openPlot(name, log) {
    app.show('plot');
    await plots.open(name, log);
  },
  openRun(tool, answers) {
    tools.show(tool, answers);
    app.show('tools');
  },
  savePage() {
    const text = pageWithLesson(guided.lesson);
    download(`ct-lab-${guided.lesson.id}.html`, new TextEncoder().encode(text), 'text/html');
    return text;
  },
};

const guided = new GuidedView(
  session,
  { lessons: builtInLessons, examples, registry, validateLesson, validateCourse, check: (tool, lines) => session.check(tool, lines) },
  app,
);
const tools = new ToolsView(session);
const workspace = new WorkspaceView(session, app);
const pictures = new PictureView(session);
const plots = new PlotView(session);
const looking = labApi(session, registry, { guided, pictures, plots, app });

const tabButtons = TABS.map((name) =>
  h('button', { type: 'button', role: 'tab', id: `tab-${name}`, 'aria-controls': `view-${name}`, onclick: () => app.show(name) }, t(`tab_${name}`)),
);
const tabList = h('nav', { role: 'tablist', className: 'tabs', 'aria-label': t('views') }, tabButtons);
tabList.addEventListener('keydown', (event) => {
  const at = TABS.indexOf(document.body.dataset.view);
  const moves = { ArrowRight: at + 1, ArrowLeft: at - 1, Home: 0, End: TABS.length - 1 };
  if (!(event.key in moves)) return;
  event.preventDefault();
  const next = TABS[(moves[event.key] + TABS.length) % TABS.length];
  app.show(next);
  document.getElementById(`tab-${next}`).focus();
});
const languageSelect = h(
  'select',
  { id: 'language', onchange: () => setLanguage(languageSelect.value) },
  h('option', { value: 'en' }, 'English'),
  h('option', { value: 'ja', lang: 'ja' }, '日本語'),
);
languageSelect.value = currentLanguage();
document.documentElement.lang = currentLanguage();
document.title = t('title');
const languageLabel = h('label', { for: 'language' }, t('language'));
const notices = new PageNotices(session.workspace);
const mainElement = h('main', { id: 'main', tabindex: '-1' }, notices.notes, guided.element, tools.element, workspace.element, pictures.element, plots.element);
const inGuidedLab = (target) => {
  app.show('guided');
  goTo(target);
};
// The index of the open lesson's sections, made again for each lesson.
let sections = h('nav', { id: 'lab-sections' });
app.lessonOpened = () => {
  sections.remove();
  sections = lessonIndex(guided.element, inGuidedLab);
  if (keepClear) keepClear(); // the lesson's own sticky toolbar
};
// Skip links: the first stops of Tab, seen when focused.
const skipLink = (target, key, go) =>
  h(
    'a',
    {
      href: `#${target().id}`,
      className: 'skip-link',
      onclick: (event) => {
        event.preventDefault();
        go(target());
      },
    },
    t(key),
  );
const skipContent = skipLink(() => mainElement, 'skip_to_content', goTo);
const skipSections = skipLink(() => sections, 'skip_to_sections', inGuidedLab);
const title = h('h1', {}, t('title'));
const subtitle = h('p', { className: 'subtitle' }, t('subtitle'));
document.body.append(
  h('div', { className: 'skip-links' }, skipContent, skipSections),
  notices.busy,
  h('header', {}, h('div', { className: 'title' }, title, subtitle), h('div', { className: 'language' }, looking.button, languageLabel, languageSelect)),
  tabList,
  mainElement,
);
onLanguage(() => {
  title.textContent = t('title');
  subtitle.textContent = t('subtitle');
  languageLabel.textContent = t('language');
  tabList.setAttribute('aria-label', t('views'));
  TABS.forEach((name, i) => (tabButtons[i].textContent = t(`tab_${name}`)));
  document.title = t('title');
  skipContent.textContent = t('skip_to_content');
  skipSections.textContent = t('skip_to_sections');
  languageSelect.value = currentLanguage();
});

keepClear = keepClearOfStickyBars(tabList);
app.show('guided');
// An embedded lesson that does not open shows why, over the lesson open last.
const started = session.workspace.ready.then(async () => {
  await guided.start();
  if (embedded) await guided.openText(embedded.textContent, { keep: false });
});
notices.checkInterrupted();
// Asks the browser to keep the learner's files even when the disk runs short.
if (navigator.storage && navigator.storage.persist)
  navigator.storage.persist().then(
    () => workspace.showStorage(),
    () => {},
  );

window.ctLab = {
  // answers: the answer lines (an array) or the whole standard input (a string).
  async run(tool, answers = [], options = {}) {
    const outcome = await session.run(tool, answers, { stderrIsTerminal: false, ...options });
    return {
      exit: outcome.exit,
      stdout: outcome.stdout,
      stderr: outcome.stderr,
      files: outcome.files,
      written: outcome.written,
      events: outcome.events,
    };
  },
  check: (tool, answers = []) => session.check(tool, answers),
  async files({ bytes = false } = {}) {
    return (await session.workspace.all()).map((r) => ({
      name: r.name,
      size: r.bytes.length,
      made: r.made,
      shape: r.shape,
      ...(bytes ? { bytes: r.bytes } : {}),
    }));
  },
  cancel: () => session.cancel(),
  clear: () => session.workspace.clear(),
  remove: (name) => session.workspace.remove(name),
  restore: (name) => session.workspace.restore(name),
  async bin() {
    return (await session.workspace.bin()).map((r) => ({ name: r.name, size: r.bytes.length, binned: r.binned }));
  },
  emptyBin: () => session.workspace.emptyBin(),
  show: (view) => app.show(view),
  setLanguage,
  programs: () => session.programs.map((p) => p.name),
  guided,
  lessons: () => [...guided.lessons.values()].map((l) => ({ id: l.id, title: { en: l.title.en, ja: l.title.ja } })),
  openLesson: (idOrText) => guided.openLesson(idOrText),
  openCourse: (bytes) => guided.openCourse(Uint8Array.from(bytes)),
  async runLesson() {
    const outcome = await guided.runAll();
    return { ok: outcome.ok, seconds: outcome.seconds, failed: outcome.failed, problem: outcome.problem };
  },
  knobs: () =>
    (guided.lesson.knobs || []).map((k) => ({
      name: k.name,
      value: guided.values[k.name],
      min: k.min,
      max: k.max,
      label: lessonText(k.label, currentLanguage()),
    })),
  setKnob: (name, value) => guided.setKnob(name, value),
  savePage: () => pageWithLesson(guided.lesson),
  ready: started.then(() => true),
  ...looking.api,
};
