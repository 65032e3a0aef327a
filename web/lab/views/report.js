// The lab report: one self-contained HTML file of the session, to keep,
// hand in or print to PDF from the browser. It holds the runs with their
// answers, the pictures (as PNG data) and plots (as SVG) as the page shows
// them, the region statistics measured, what a lesson adds (the learner's
// answers to its questions, its knob values), the suite's version and the
// date. It links nothing outside itself.

import { plotSvg } from './svg_export.js';
import { valueText } from '../core/plot_axes.js';

const escape = (text) => String(text ?? '').replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' })[c]);

// What the session did, kept as it happens: the runs, the measurements, and
// sections other views add (a lesson's questions and answers).
export const reportLog = {
  runs: [],
  measurements: [],
  sources: [],
  run(entry) {
    this.runs.push(entry);
  },
  measure(results) {
    const last = this.measurements[this.measurements.length - 1];
    const same = last && JSON.stringify(last.results) === JSON.stringify(results);
    if (!same) this.measurements.push({ at: new Date().toISOString(), results });
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

function pictureFigures(root) {
  const out = [];
  for (const figure of root.querySelectorAll('figure.picture-figure')) {
    // One picture, or several side by side in one window.
    const canvases = [...figure.querySelectorAll('canvas.picture')].filter((c) => c.width);
    if (!canvases.length) continue;
    const ticks = [...figure.querySelectorAll('.grey-ticks span')].map((s) => s.textContent);
    const quantity = figure.querySelector('.grey-quantity');
    const caption = figure.querySelector('figcaption');
    out.push(`<figure class="picture">${canvases.map(pictureImage).join('')}
<div class="bar"></div><div class="ticks">${ticks.map((v) => `<span>${escape(v)}</span>`).join('')}</div>
${quantity ? `<div class="quantity">${escape(quantity.textContent)}</div>` : ''}
<figcaption>${escape(caption ? caption.textContent : '')}</figcaption></figure>`);
  }
  return out;
}

function plotFigures(root) {
  const out = [];
  for (const box of root.querySelectorAll('.plot')) {
    if (!box.plot) continue;
    const figure = box.closest('figure');
    const caption = figure && figure.querySelector('figcaption');
    out.push(`<figure class="plot">${plotSvg(box.plot)}${caption ? `<figcaption>${escape(caption.textContent)}</figcaption>` : ''}</figure>`);
  }
  return out;
}

// The lesson open in the page, as the learner left it: its title, its knobs'
// values and its questions with the learner's answers and their verdicts.
function lessonSection(root, texts) {
  const title = root.querySelector('.lesson-title');
  const knobs = [...root.querySelectorAll('[data-knob-row]')].map((row) => {
    const label = row.querySelector('label');
    const field = row.querySelector('input:not([type="range"]), select');
    const unit = row.querySelector('.unit');
    return `<tr><th>${escape(label ? label.textContent : row.dataset.knobRow)}</th><td>${escape(field ? field.value : '')} ${escape(unit ? unit.textContent : '')}</td></tr>`;
  });
  const questions = [...root.querySelectorAll('li.lesson-question')].map((item) => {
    const question = item.querySelector('p');
    const input = item.querySelector('input');
    const verdict = item.querySelector('.verdict');
    return `<li><p>${escape(question ? question.textContent : '')}</p>${input ? `<p><strong>${escape(input.value || '—')}</strong> ${escape(verdict ? verdict.textContent : '')}</p>` : ''}</li>`;
  });
  if (!knobs.length && !questions.length) return '';
  return `<section><h2>${escape(title && title.textContent ? title.textContent : texts('report_lesson'))}</h2>
${knobs.length ? `<table><tbody>${knobs.join('')}</tbody></table>` : ''}
${questions.length ? `<ol>${questions.join('')}</ol>` : ''}</section>`;
}

function answersText(program, answers, taken = []) {
  if (taken.length) {
    return taken
      .map(
        (e) =>
          `${e.number}. ${e.keyword} ${e.value === null || e.value === undefined ? '' : e.value}${e.default ? ' ↵' : ''}${e.warning ? ` ⚠ ${e.warning.text}` : ''}`,
      )
      .join('\n');
  }
  return answers
    .map((a, i) => {
      const q = program && program.questions[i];
      return `${i + 1}. ${q ? q.keyword : ''} ${a === '' ? `↵ (${q ? q.default : ''})` : a}`;
    })
    .join('\n');
}

// The HTML text of the report. texts(key, values) gives the page's words;
// views: [{title, element}] whose figures the report shows.
export function reportHtml({ registry, byName, texts, language, views, snapshots = [], now = new Date() }) {
  const runs = reportLog.runs;
  const section = (title, body) => (body ? `<section><h2>${escape(title)}</h2>\n${body}\n</section>` : '');
  const runRows = runs
    .map(
      (r) => `<tr><td>${escape(r.at.replace('T', ' ').slice(0, 19))}</td><td>${escape(r.tool)}</td>
<td><pre>${escape(answersText(byName[r.tool], r.answers, r.taken))}</pre></td><td>${r.exit}${r.cause && r.cause.message ? `<br>${escape(r.cause.message)}` : ''}</td><td>${escape((r.written || []).join(', '))}</td></tr>`,
    )
    .join('\n');
  const runTable = runs.length
    ? `<table><thead><tr>${['report_time', 'program', 'report_answers', 'report_exit', 'report_files'].map((k) => `<th>${escape(texts(k))}</th>`).join('')}</tr></thead><tbody>${runRows}</tbody></table>`
    : `<p>${escape(texts('report_no_runs'))}</p>`;
  const lesson =
    views.map((v) => lessonSection(v.element, texts)).join('\n') +
    reportLog.sources
      .map((source) => source())
      .filter(Boolean)
      .map((s) =>
        section(s.title, s.html || `<dl>${(s.items || []).map((i) => `<dt>${escape(i.question)}</dt><dd>${escape(i.answer || '—')}</dd>`).join('')}</dl>`),
      )
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
  const figures = views
    .map((v) => {
      const pictures = pictureFigures(v.element),
        plots = plotFigures(v.element);
      return pictures.length || plots.length ? section(v.title, `<div class="figures">${[...pictures, ...plots].join('\n')}</div>`) : '';
    })
    .join('\n');
  const kept = snapshots.length ? `<ul>${snapshots.map((s) => `<li>${escape(s)}</li>`).join('')}</ul>` : '';
  const date = now.toISOString().replace('T', ' ').slice(0, 16) + ' UTC';
  return `<!DOCTYPE html>
<html lang="${escape(language)}">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; img-src data:; style-src 'unsafe-inline'">
<title>${escape(texts('report_title'))} ${escape(date)}</title>
<style>
body { font-family: system-ui, "Noto Sans", "Noto Sans CJK JP", sans-serif; margin: 1.5em auto; max-width: 60em; padding: 0 1em; color: #1b1f24; line-height: 1.4; }
table { border-collapse: collapse; width: 100%; margin: 0.5em 0; font-size: 0.92em; }
th, td { border: 1px solid #ccd; padding: 0.25em 0.45em; text-align: left; vertical-align: top; }
pre { margin: 0; white-space: pre-wrap; font-size: 0.9em; }
.figures { display: flex; flex-wrap: wrap; gap: 1em; }
figure { margin: 0; break-inside: avoid; }
figure.picture { width: 22em; max-width: 100%; }
figure.picture img { width: 100%; image-rendering: pixelated; border: 1px solid #ccd; }
figure.plot { width: 100%; }
figure.plot svg { width: 100%; height: auto; }
.bar { height: 10px; background: linear-gradient(to right, #000, #fff); border: 1px solid #ccd; }
.ticks { display: flex; justify-content: space-between; font-size: 0.8em; }
.quantity, figcaption { font-size: 0.9em; }
@media print { section { break-inside: auto; } h2 { break-after: avoid; } }
</style>
</head>
<body>
<h1>${escape(texts('report_title'))}</h1>
<p>${escape(texts('report_made', { date, suite: registry.suite || 'ct_teaching_tools', version: registry.version || '?' }))}</p>
${section(texts('report_runs'), runTable)}
${lesson}
${section(texts('report_regions'), statsTable)}
${figures}
${section(texts('snapshots'), kept)}
</body>
</html>
`;
}
