// The lab report: one self-contained HTML file of the session, to hand in
// or print to PDF (A4) from the browser. A cover (the learner's name and
// course, the lesson and its knob values, the date), the learner's answers
// with their self-checks and conclusions, the figures numbered with their
// captions (pictures as PNG data, plots as SVG, as the page shows them), the
// region statistics measured, and in an appendix every run with its answers
// and the files it wrote; the suite's version. It links nothing outside itself.

import { plotSvg } from './svg_export.js';
import { valueText } from '../core/plot_axes.js';

const escape = (text) => String(text ?? '').replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' })[c]);

// What the session did, kept as it happens: the runs, the measurements, and
// sections other views add (a lesson's questions and answers). The runs and
// measurements are kept for this tab (a reload keeps them, as the workspace
// keeps the files; the next learner's browser session starts empty), the
// latest ones when there are very many.
const KEPT = { key: 'ct-lab-report-log', runs: 400, measurements: 200 };

function recalled() {
  try {
    const kept = JSON.parse(sessionStorage.getItem(KEPT.key) || 'null');
    return kept && Array.isArray(kept.runs) && Array.isArray(kept.measurements) ? kept : { runs: [], measurements: [] };
  } catch {
    return { runs: [], measurements: [] }; // no storage (a page test in node), or a damaged entry
  }
}

export const reportLog = {
  ...recalled(),
  sources: [],
  keep() {
    this.runs = this.runs.slice(-KEPT.runs);
    this.measurements = this.measurements.slice(-KEPT.measurements);
    try {
      sessionStorage.setItem(KEPT.key, JSON.stringify({ runs: this.runs, measurements: this.measurements }));
    } catch {
      // Storage full or refused: the report still has this page's records.
    }
  },
  run(entry) {
    this.runs.push(entry);
    this.keep();
  },
  measure(results) {
    const last = this.measurements[this.measurements.length - 1];
    const same = last && JSON.stringify(last.results) === JSON.stringify(results);
    if (!same) this.measurements.push({ at: new Date().toISOString(), results });
    this.keep();
  },
  // source() -> {title, items: [{question, answer}]} | {title, html} | null
  addSection(source) {
    this.sources.push(source);
  },
};

// A picture figure of the page as an <img> of PNG data: at most 1024 pixels
// wide, so that a huge picture does not make a huge report.
function pictureImage(canvas) {
  let source = canvas;
  if (canvas.width > 1024) {
    source = document.createElement('canvas');
    source.width = 1024;
    source.height = Math.max(1, Math.round((canvas.height * 1024) / canvas.width));
    source.getContext('2d').drawImage(canvas, 0, 0, source.width, source.height);
  }
  return `<img src="${source.toDataURL('image/png')}" width="${Math.min(canvas.width, 1024)}" alt="${escape(canvas.getAttribute('aria-label') || '')}">`;
}

// A figure's caption and its note, apart (the page shows the note as a
// paragraph of its own inside the caption).
function captionParts(figure) {
  const caption = figure && figure.querySelector('figcaption');
  if (!caption) return { caption: '', note: '' };
  const note = caption.querySelector('.note');
  const said = [...caption.childNodes]
    .filter((n) => n !== note)
    .map((n) => n.textContent)
    .join('');
  return { caption: said.trim(), note: note ? note.textContent.trim() : '' };
}

// A figure's caption, numbered: "Figure 3. caption", then its note.
function figureCaption(figure, number, texts) {
  const { caption, note } = captionParts(figure);
  return `<figcaption><strong>${escape(texts('report_figure', { n: number }))}</strong> ${escape(caption)}${note ? `<span class="note">${escape(note)}</span>` : ''}</figcaption>`;
}

// The pictures and plots of a view in the page's order, each as the report's
// figure (without its number yet).
function viewFigures(root) {
  const out = [];
  for (const element of root.querySelectorAll('figure.picture-figure, .plot')) {
    if (element.matches('figure.picture-figure')) {
      // One picture, or several side by side in one window.
      const canvases = [...element.querySelectorAll('canvas.picture')].filter((c) => c.width);
      if (!canvases.length) continue;
      const ticks = [...element.querySelectorAll('.grey-ticks span')].map((s) => s.textContent);
      const quantity = element.querySelector('.grey-quantity');
      out.push({
        kind: 'picture',
        figure: element,
        body: `${canvases.map(pictureImage).join('')}
<div class="bar"></div><div class="ticks">${ticks.map((v) => `<span>${escape(v)}</span>`).join('')}</div>
${quantity ? `<div class="quantity">${escape(quantity.textContent)}</div>` : ''}`,
      });
    } else if (element.plot) {
      out.push({ kind: 'plot', figure: element.closest('figure'), body: plotSvg(element.plot) });
    }
  }
  return out;
}

// What the learner typed for the report (name, course, conclusions).
function handIn(root, key) {
  const field = root.querySelector(`[data-hand-in="${key}"]`);
  return field ? field.value.trim() : '';
}

// The lesson open in the page, as the learner left it: its title, its knobs'
// values, its questions with the learner's answers and their verdicts.
function lessonParts(root) {
  const title = root.querySelector('.lesson-title');
  const knobs = [...root.querySelectorAll('[data-knob-row]')].map((row) => {
    const label = row.querySelector('label');
    const field = row.querySelector('input:not([type="range"]), select');
    const unit = row.querySelector('.unit');
    return `<tr><th>${escape(label ? label.textContent : row.dataset.knobRow)}</th><td>${escape(field ? field.value : '')} ${escape(unit ? unit.textContent : '')}</td></tr>`;
  });
  const questions = [...root.querySelectorAll('li.lesson-question')].map((item) => {
    const question = item.querySelector('p');
    const input = item.querySelector('input, textarea');
    const verdict = item.querySelector('.verdict');
    return `<li><p>${escape(question ? question.textContent : '')}</p>${input ? `<p class="answer"><strong>${escape(input.value || '—')}</strong> ${escape(verdict ? verdict.textContent : '')}</p>` : ''}</li>`;
  });
  return {
    title: title ? title.textContent : '',
    knobs,
    questions,
    conclusions: handIn(root, 'conclusions'),
    name: handIn(root, 'name'),
    course: handIn(root, 'course'),
  };
}

function answersText(program, answers, taken = []) {
  if (taken.length) {
    return taken
      .map(
        (e) =>
          `${e.number}. ${e.keyword} ${e.value === null || e.value === undefined ? '' : e.value}${e.default ? ' ↵' : ''}${e.warning ? ` ⚠ ${e.warning.text}` : ''}`,
      )
      .join('; ');
  }
  return answers
    .map((a, i) => {
      const q = program && program.questions[i];
      return `${i + 1}. ${q ? q.keyword : ''} ${a === '' ? `↵ (${q ? q.default : ''})` : a}`;
    })
    .join('; ');
}

// The HTML text of the report. texts(key, values) gives the page's words;
// views: [{title, element}] whose figures the report shows, the first the
// guided lab (its lesson, the learner's answers and name).
export function reportHtml({ registry, byName, texts, language, views, snapshots = [], now = new Date() }) {
  const runs = reportLog.runs;
  const section = (title, body, className = '') =>
    body ? `<section${className ? ` class="${className}"` : ''}><h2>${escape(title)}</h2>\n${body}\n</section>` : '';
  const date = now.toISOString().replace('T', ' ').slice(0, 16) + ' UTC';
  const lesson = lessonParts(views[0].element);

  const cover = `<table class="cover"><tbody>
${[
  ['hand_in_name', lesson.name || '—'],
  ['hand_in_course', lesson.course || '—'],
  ['report_cover_lesson', lesson.title || '—'],
  ['report_cover_date', date],
]
  .map(([key, value]) => `<tr><th>${escape(texts(key))}</th><td>${escape(value)}</td></tr>`)
  .join('\n')}
</tbody></table>
${lesson.knobs.length ? `<table class="knobs"><tbody>${lesson.knobs.join('')}</tbody></table>` : ''}
<p>${escape(texts('report_made', { date, suite: registry.suite || 'ct_teaching_tools', version: registry.version || '?' }))}</p>`;

  const added = reportLog.sources
    .map((source) => source())
    .filter(Boolean)
    .map((s) =>
      section(s.title, s.html || `<dl>${(s.items || []).map((i) => `<dt>${escape(i.question)}</dt><dd>${escape(i.answer || '—')}</dd>`).join('')}</dl>`),
    )
    .join('\n');
  const answers = lesson.questions.length ? `<ol>${lesson.questions.join('')}</ol>` : '';
  const conclusions = lesson.conclusions ? `<p class="conclusions">${escape(lesson.conclusions)}</p>` : '';

  let number = 0;
  const figures = views
    .map((v) => {
      const found = viewFigures(v.element);
      if (!found.length) return '';
      const body = found.map((f) => `<figure class="${f.kind}">${f.body}\n${figureCaption(f.figure, ++number, texts)}</figure>`).join('\n');
      return section(`${texts('report_figures')}: ${v.title}`, `<div class="figures">${body}</div>`);
    })
    .join('\n');

  const measured = reportLog.measurements
    .flatMap((m) =>
      m.results.map(
        (s) => `<tr><td>${escape(s.name)}</td>
<td>${s.region.row}, ${s.region.column}, ${s.region.rows} × ${s.region.columns}</td><td>${s.count}</td>
${['mean', 'sd', 'min', 'max'].map((k) => `<td>${s.count ? escape(valueText(s[k])) : '–'}</td>`).join('')}</tr>`,
      ),
    )
    .join('\n');
  const statsTable = measured
    ? `<table><thead><tr>${['stat_picture', 'report_region', 'stat_count', 'stat_mean', 'stat_sd', 'stat_min', 'stat_max'].map((k) => `<th>${escape(texts(k))}</th>`).join('')}</tr></thead><tbody>${measured}</tbody></table>`
    : '';

  const runRows = runs
    .map(
      (r) => `<tr><td>${escape(r.at.replace('T', ' ').slice(11, 19))}</td><td>${escape(r.tool)}</td>
<td>${escape(answersText(byName[r.tool], r.answers, r.taken))}</td><td>${r.exit}${r.cause && r.cause.message ? `<br>${escape(r.cause.message)}` : ''}</td><td>${escape((r.written || []).join(', '))}</td></tr>`,
    )
    .join('\n');
  const runTable = runs.length
    ? `<table class="runs"><thead><tr>${['report_time', 'program', 'report_answers', 'report_exit', 'report_files'].map((k) => `<th>${escape(texts(k))}</th>`).join('')}</tr></thead><tbody>${runRows}</tbody></table>`
    : `<p>${escape(texts('report_no_runs'))}</p>`;
  const kept = snapshots.length ? `<ul>${snapshots.map((s) => `<li>${escape(s)}</li>`).join('')}</ul>` : '';

  return `<!DOCTYPE html>
<html lang="${escape(language)}">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; img-src data:; style-src 'unsafe-inline'">
<title>${escape(texts('report_title'))} ${escape(lesson.name)} ${escape(date)}</title>
<style>
body { font-family: system-ui, "Noto Sans", "Noto Sans CJK JP", "IPAGothic", sans-serif; margin: 1.5em auto; max-width: 60em; padding: 0 1em; color: #1b1f24; line-height: 1.4; }
table { border-collapse: collapse; width: 100%; margin: 0.5em 0; font-size: 0.92em; }
th, td { border: 1px solid #ccd; padding: 0.25em 0.45em; text-align: left; vertical-align: top; }
table.cover th { width: 10em; }
.figures { display: flex; flex-wrap: wrap; gap: 1em; align-items: flex-start; }
figure { margin: 0; break-inside: avoid; }
figure.picture { width: 22em; max-width: 100%; }
figure.picture img { width: 100%; image-rendering: pixelated; border: 1px solid #ccd; }
figure.plot { width: 100%; }
figure.plot svg { width: 100%; height: auto; }
.bar { height: 10px; background: linear-gradient(to right, #000, #fff); border: 1px solid #ccd; }
.ticks { display: flex; justify-content: space-between; font-size: 0.8em; }
.quantity, figcaption { font-size: 0.9em; }
figcaption .note { display: block; margin-top: 0.3em; color: #444; }
.conclusions { white-space: pre-wrap; border: 1px solid #ccd; padding: 0.5em; min-height: 4em; }
table.runs td:nth-child(3) { font-family: monospace; font-size: 0.85em; overflow-wrap: anywhere; }
@page { size: A4; margin: 14mm 12mm; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 9.5pt; }
  h1 { font-size: 16pt; } h2 { font-size: 12pt; break-after: avoid; }
  .figures { gap: 3mm; }
  figure.picture { width: 58mm; }
  figure.plot { width: 88mm; }
  figcaption, .quantity { font-size: 8pt; }
  section.appendix { break-before: page; }
  table.runs { font-size: 7pt; }
}
</style>
</head>
<body>
<h1>${escape(texts('report_title'))}</h1>
${cover}
${section(texts('report_answers_heading'), answers)}
${section(texts('report_conclusions'), conclusions)}
${added}
${figures}
${section(texts('report_regions'), statsTable)}
${section(texts('snapshots'), kept)}
${section(texts('report_appendix'), runTable, 'appendix')}
</body>
</html>
`;
}
