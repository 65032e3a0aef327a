"""ctlesson: the suite's lessons and courses, checked and run from Python.

    import ctlesson
    run = ctlesson.run_lesson("resolution", "out", knobs={"gain": 0.5})
    for step in run.steps:
        print(step.number, step.tool, step.written(), step.warnings)
    runs = ctlesson.run_course("week3.zip", "week3")   # {lesson id: LessonRun}

A lesson is a lesson file (lessons/*.json) or the id of one the suite ships.
It is checked as scripts/lesson_plan checks it (its size, JSON, its schema
lessons/lesson.schema.json with python3-jsonschema, the knobs' values), its
seed files are put into the folder, and each step is run there by the
console tool itself, its answers filled in at the knobs' values. What a run
did (the answers as the tool took them, the files it read and wrote with
their shapes, its warnings, its failure) comes from the run's own events
(CT_EVENTS), never from its console text. A course (a ZIP of lessons and
their files, lessons/course.schema.json) is checked as the lab checks it,
and each lesson runs in a folder of its own named by its id.

The same code reads lessons for scripts/lesson_plan (and so scripts/demo)
and checks courses for scripts/course_unpack.
"""
import dataclasses
import html
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import unicodedata
import warnings
import zipfile
from decimal import Decimal

HERE = pathlib.Path(__file__).resolve().parent
# The build writes its source folder here in its copy of this file; a copy
# that still holds the mark (a checkout's, an installed one) has none.
BUILT_FROM = '@CT_SOURCE_DIR@'
LESSON_BYTES = 1024 * 1024  # as the lab: a lesson opens at once or not at all
COURSE_ENTRIES, COURSE_FILE_BYTES, COURSE_BYTES, NAME_BYTES = 80, 32 * 1024 * 1024, 64 * 1024 * 1024, 254
# Characters that reorder text or show nothing, which make a name display as another.
INVISIBLE = set('\u061c\u200b\u200c\u200d\u200e\u200f\u202a\u202b\u202c\u202d\u202e'
                '\u2060\u2061\u2062\u2063\u2064\u2066\u2067\u2068\u2069\ufeff')


class LessonError(Exception):
    """A lesson or course that cannot be run: every problem, each saying where."""

    def __init__(self, problems):
        self.problems = [problems] if isinstance(problems, str) else list(problems)
        super().__init__('\n  '.join(self.problems))


class StepFailed(LessonError):
    """A step whose tool ended with a failure; `step` is its StepRun and
    `run` the lesson's run up to it."""

    def __init__(self, step, run):
        self.step, self.run = step, run
        super().__init__('step %d (%s) failed: %s' % (step.number, step.tool, step.failure or 'exit %d' % step.exit))


@dataclasses.dataclass
class StepRun:
    number: int  # 1 … in the lesson's order
    section: int
    tool: str
    what: str  # what the step makes, in the run's language
    answers: str  # the tool's standard input
    exit: int
    events: list  # the run's events, as the tool wrote them
    console: str  # its standard output

    def files(self, role=None):
        """The file events of the run ("input", "output" or both)."""
        return [e for e in self.events if e.get('event') == 'file' and role in (None, e.get('role'))]

    def written(self):
        return [e['name'] for e in self.files('output')]

    @property
    def warnings(self):
        """Every warning of the run: an answer's and the run's own."""
        texts = [e['warning']['text'] for e in self.events if e.get('event') == 'answer' and 'warning' in e]
        return texts + [e['text'] for e in self.events if e.get('event') == 'warning']

    @property
    def failure(self):
        """The failure's message, or None."""
        end = next((e for e in self.events if e.get('event') == 'end'), {})
        return end.get('cause', {}).get('message')


@dataclasses.dataclass
class LessonRun:
    id: str
    title: str
    folder: pathlib.Path
    values: dict  # every knob's value
    steps: list  # StepRun, one a step that ran

    def path(self, name):
        return self.folder / name


# Texts and knob values, as the lab writes them.

def number_text(value):
    """A number as the lab writes it (JavaScript's String(number))."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        return str(value)
    if isinstance(value, int):
        return str(value)
    if value.is_integer() and abs(value) < 1e21:
        return str(int(value))
    text = repr(value)
    if 'e' in text and 1e-7 <= abs(value) < 1e21:
        text = format(Decimal(text), 'f')
    return text


def grouped_text(value):
    """A number with a comma between groups of three digits of its whole part."""
    text = number_text(value)
    found = re.match(r'^(-?)(\d+)(.*)$', text)
    if not found or 'e' in found.group(3).lower():
        return text
    sign, whole, rest = found.groups()
    return sign + re.sub(r'\B(?=(\d{3})+$)', ',', whole) + rest


def fill(template, values):
    """The template with every {knob} replaced by the knob's value, and every
    {knob:grouped} by the value with its thousands grouped."""
    def replace(match):
        name = match.group(1)
        if name not in values:
            return match.group(0)
        return grouped_text(values[name]) if match.group(2) else number_text(values[name])
    return re.sub(r'\{([a-z][a-z0-9_]*)(:grouped)?\}', replace, number_text(template))


def condition_holds(when, values):
    """Whether every knob the condition names lies within its min and max."""
    return all(range_.get('min', float('-inf')) <= values[name] <= range_.get('max', float('inf'))
               for name, range_ in when.items())


def view_texts(view, values):
    """A view's caption and note at the knobs' values: those of its first
    variant whose condition holds, or else its own."""
    for variant in view.get('variants', []):
        if condition_holds(variant['when'], values):
            return variant['caption'], variant.get('note')
    return view['caption'], view.get('note')


def text_in(texts, lang, values, escape=False):
    """A text of the lesson in the language (English where it has no other), filled in."""
    if not texts:
        return ''
    text = fill(texts.get(lang) or texts['en'], values)
    return html.escape(text, quote=False) if escape else text


def knob_value(lesson, name, value):
    """A knob's value as the lab's knob field takes it: a number of the
    knob's kind within its range, or one of its choices."""
    knob = next((k for k in lesson.get('knobs', []) if k['name'] == name), None)
    if knob is None:
        raise LessonError('the lesson has no knob %s' % name)
    try:
        number = float(value)
    except (TypeError, ValueError):
        raise LessonError('the knob %s=%s is not a number' % (name, value)) from None
    if knob['kind'] == 'choice':
        if number not in [c['value'] for c in knob['choices']]:
            raise LessonError('the knob %s=%s is none of its choices' % (name, value))
    elif not knob['min'] <= number <= knob['max'] or (knob['kind'] == 'integer' and not number.is_integer()):
        raise LessonError('the knob %s=%s is not %s from %s to %s'
                          % (name, value, 'a whole number' if knob['kind'] == 'integer' else 'a number',
                             knob['min'], knob['max']))
    return int(number) if number.is_integer() else number


def knob_values(lesson, knobs=None):
    """Every knob's default, or the value knobs gives it."""
    values = {k['name']: k['default'] for k in lesson.get('knobs', [])}
    for name, value in (knobs or {}).items():
        values[name] = knob_value(lesson, name, value)
    return values


def standard_input(keywords, step, number, values):
    """The step's answers, one line per question in the tool's order
    (`keywords`), up to the last one the step answers."""
    answers = step.get('answers', {})
    unknown = sorted(set(answers) - set(keywords))
    if unknown:
        raise LessonError('step %d (%s): no question %s' % (number, step['tool'], ', '.join(unknown)))
    lines = [fill(answers[k], values) if k in answers else '' for k in keywords]
    while lines and lines[-1] == '':
        lines.pop()
    return ''.join(line + '\n' for line in lines)


def steps_of(lesson):
    """(number, section number, step), in the lesson's order."""
    number = 0
    for s, section in enumerate(lesson['sections'], 1):
        for step in section['steps']:
            number += 1
            yield number, s, step


# Where the suite keeps its lessons, examples and tools: a checkout (this
# file in python/), a build (its copy in build/python/, which names its
# source) or an installation (lib/python3/dist-packages under the prefix).

def _places():
    roots = [pathlib.Path(BUILT_FROM)] if not BUILT_FROM.startswith('@') else []
    roots.append(HERE.parent)
    places = [{'lessons': r / 'lessons', 'examples': r / 'examples'} for r in roots]
    prefix = HERE.parents[2] if len(HERE.parents) > 2 else HERE
    places.append({'lessons': prefix / 'share' / 'ct-teaching-tools' / 'lessons',
                   'examples': prefix / 'share' / 'doc' / 'ct-teaching-tools' / 'examples'})
    places.append({'lessons': HERE / 'lessons', 'examples': HERE / 'examples'})  # scripts/ installed beside the lessons
    return places


def suite_folder(kind):
    """The suite's folder of lessons or examples, or None."""
    return next((p[kind] for p in _places() if p[kind].is_dir()), None)


def lesson_file(lesson):
    """The path of a lesson file, or of the suite's own lesson of that id."""
    path = pathlib.Path(lesson)
    if path.suffix == '.json' or os.sep in str(lesson) or path.exists():
        return path
    folder = suite_folder('lessons')
    if folder is None or not (folder / (str(lesson) + '.json')).is_file():
        raise LessonError('%s is neither a lesson file nor a lesson of the suite' % lesson)
    return folder / (str(lesson) + '.json')


def tools_folder(tools=None):
    """The folder of the console tools: the one given, $CT_TOOLS, the build's
    or the installation's bin beside this module, or the one on the PATH."""
    candidates = [tools, os.environ.get('CT_TOOLS'), HERE.parent / 'bin']
    if len(HERE.parents) > 2:
        candidates.append(HERE.parents[2] / 'bin')
    for folder in candidates:
        if folder and (pathlib.Path(folder) / 'raysum').is_file():
            return pathlib.Path(folder).resolve()
    found = shutil.which('raysum')
    if found:
        return pathlib.Path(found).resolve().parent
    raise LessonError('the console tools are in none of %s nor on the PATH: give tools=FOLDER'
                      % ', '.join(str(c) for c in candidates if c))


# Checks.

def schema_problems(document, schema_name):
    """The document's problems against the suite's schema, 'where: what', or
    None when the schema cannot be checked here (a warning says so)."""
    try:
        import jsonschema
    except ImportError:
        warnings.warn('python3-jsonschema is not installed: %s is not checked' % schema_name)
        return None
    places = [p['lessons'] / schema_name for p in _places()]
    place = next((p for p in places if p.is_file()), None)
    if place is None:
        warnings.warn('the schema %s is in none of %s: not checked' % (schema_name, ', '.join(map(str, places))))
        return None
    schema = json.loads(place.read_text(encoding='utf-8'))
    validator = jsonschema.validators.validator_for(schema)(schema)
    problems = []
    for error in sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.absolute_path))):
        where = '/'.join(str(part) for part in error.absolute_path) or 'the document'
        problems.append('%s: %s' % (where, error.message))
    return problems


def read_lesson(path):
    """The lesson of a file, checked: within the lab's size, JSON, format 1
    and its schema. LessonError says every problem."""
    path = pathlib.Path(path)
    if path.stat().st_size > LESSON_BYTES:
        raise LessonError('%s has more than %d bytes, more than any lesson needs' % (path, LESSON_BYTES))
    try:
        lesson = json.loads(path.read_text(encoding='utf-8'))
    except (ValueError, RecursionError) as error:
        raise LessonError('%s is not JSON: %s' % (path, error)) from None
    if not isinstance(lesson, dict) or lesson.get('lesson') != 1:
        raise LessonError('%s is not a lesson of format 1' % path)
    problems = schema_problems(lesson, 'lesson.schema.json')
    if problems:
        raise LessonError(['%s does not follow the lesson schema:' % path] + problems)
    return lesson


def name_problem(name):
    """What makes a file name unfit for the workspace, or None."""
    if not name.strip():
        return 'is empty'
    if '/' in name or '\\' in name or name in ('.', '..'):
        return 'names a folder'
    if any(unicodedata.category(c) == 'Cc' for c in name):
        return 'holds a control character'
    if any(c in INVISIBLE for c in name):
        return 'holds a bidirectional or zero-width character'
    if len(name.encode('utf-8')) > NAME_BYTES:
        return 'has more than %d bytes' % NAME_BYTES
    if name != name.rstrip():
        return 'ends in a blank'
    return None


def course_problems(archive):
    """Every problem of a course (an open ZipFile), and, when it has none,
    its manifest and its lessons as (id, file name) in order."""
    entries = archive.infolist()
    if len(entries) > COURSE_ENTRIES:
        return ['the course holds more than %d files' % COURSE_ENTRIES], None
    problems = []
    for entry in entries:
        problem = name_problem(entry.filename)
        if problem:
            problems.append('the course\'s file name %s %s' % (json.dumps(entry.filename), problem))
        if entry.file_size > COURSE_FILE_BYTES:
            problems.append('the course\'s file %s has more than %d bytes' % (entry.filename, COURSE_FILE_BYTES))
    if sum(entry.file_size for entry in entries) > COURSE_BYTES:
        problems.append('the course\'s files have more than %d bytes in all' % COURSE_BYTES)
    if problems:
        return problems, None
    names = {entry.filename for entry in entries}
    if 'course.json' not in names:
        return ['the course has no course.json at its top'], None
    try:
        course = json.loads(archive.read('course.json').decode('utf-8'))
    except (ValueError, RecursionError) as error:
        return ['course.json is not JSON: %s' % error], None
    with warnings.catch_warnings(record=True) as said:
        warnings.simplefilter('always')
        schema = schema_problems(course, 'course.schema.json')
    if schema is None:  # a course is never opened unchecked
        return ['%s: the course cannot be checked' % said[0].message], None
    problems += ['course.json: %s' % p.replace('the document', 'the course', 1) for p in schema]
    if problems:
        return problems, None
    listed = ['course.json'] + course['lessons'] + [f['name'] for f in course.get('files', [])]
    problems += ['the course holds %s, which course.json does not list' % n for n in sorted(names - set(listed))]
    problems += ['course.json lists %s, which the course does not hold' % n for n in listed if n not in names]
    for f in course.get('files', []):
        if 'rows' in f and f['name'] in names:
            size = archive.getinfo(f['name']).file_size
            if size != f['rows'] * f['columns'] * 4:
                problems.append('%s: %d x %d samples take %d bytes, but the file has %d'
                                % (f['name'], f['rows'], f['columns'], f['rows'] * f['columns'] * 4, size))
    ids = []
    for name in course['lessons']:
        if name not in names:
            continue
        try:
            ids.append((json.loads(archive.read(name).decode('utf-8')).get('id'), name))
        except (ValueError, AttributeError, RecursionError) as error:
            problems.append('%s is not a lesson: %s' % (name, error))
    seen = set()
    for lesson_id, name in ids:
        if lesson_id in seen:
            problems.append('two lessons of the course have the id "%s"' % lesson_id)
        seen.add(lesson_id)
    return problems, (course, ids)


def unpack_course(path, folder):
    """Checks the course and unpacks its files into the folder; returns its
    lessons as (id, path) in order. Nothing is written when it has a problem."""
    try:
        archive = zipfile.ZipFile(path)
    except (OSError, zipfile.BadZipFile) as error:
        raise LessonError('%s is not a ZIP archive a course can be: %s' % (path, error)) from None
    with archive:
        problems, sound = course_problems(archive)
        if problems:
            raise LessonError(['%s:' % path] + problems)
        contents = {}
        for entry in archive.infolist():
            data = archive.read(entry)
            if len(data) != entry.file_size:  # the directory lied about the size
                raise LessonError('%s: %s is not the size the archive says' % (path, entry.filename))
            contents[entry.filename] = data
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in contents.items():
        (folder / name).write_bytes(data)
    return [(lesson_id, folder / name) for lesson_id, name in sound[1]]


# Running.

def _language(lang):
    lang = lang or ('ja' if os.environ.get('CT_LANG') == 'ja' else 'en')
    if lang not in ('en', 'ja'):
        raise ValueError('lang is "en" or "ja", not %r' % (lang,))
    return lang


def _run_tool(program, answers, folder, lang, check=False):
    """Runs one tool on its answers in the folder; its events and console."""
    with tempfile.TemporaryDirectory() as scratch:
        events_file = os.path.join(scratch, 'events.jsonl')
        env = dict(os.environ, CT_LANG=lang, CT_ENCODING='utf-8', CT_EVENTS=events_file)
        command = [str(program)] + (['--check-answers'] if check else [])
        done = subprocess.run(command, input=answers.encode('utf-8'), cwd=folder, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        text = done.stdout.decode('utf-8', errors='replace')
        lines = text if check else (open(events_file, encoding='utf-8').read() if os.path.exists(events_file) else '')
    events = [json.loads(line) for line in lines.splitlines() if line.startswith('{')]
    if not check and not events:
        raise LessonError('%s wrote no events (exit %d): %s'
                          % (program.name, done.returncode, done.stderr.decode('utf-8', errors='replace').strip()))
    return done.returncode, events, text


def run_lesson(lesson, folder, knobs=None, tools=None, lang=None, seeds=None, last_step=None):
    """Runs every step of the lesson in the folder (made when missing) and
    returns its LessonRun.

    lesson: a lesson file, or the id of one of the suite's lessons.
    knobs: {name: value}, each checked against its knob; the others take
    their defaults. tools: the folder of the console tools (see
    tools_folder). lang: "en" or "ja" (the texts of the run and its
    events; CT_LANG's by default). seeds: the folder of the lesson's seed
    files (the suite's examples by default; a course's own folder).
    last_step: the number of the last step to run (all by default).

    The tools' warnings become Python UserWarnings; a step that fails
    raises StepFailed, which holds the steps run so far."""
    lang = _language(lang)
    lesson = read_lesson(lesson_file(lesson)) if not isinstance(lesson, dict) else lesson
    values = knob_values(lesson, knobs)
    bin_dir = tools_folder(tools)
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    seed_dir = pathlib.Path(seeds) if seeds else suite_folder('examples')
    for name in lesson.get('seed', []):
        if name_problem(name) or seed_dir is None or not (seed_dir / name).is_file():
            raise LessonError('the lesson\'s seed file %s is not in %s' % (name, seed_dir))
        shutil.copyfile(seed_dir / name, folder / name)
    run = LessonRun(lesson['id'], text_in(lesson['title'], lang, values), folder, values, [])
    keywords = {}
    for number, section, step in steps_of(lesson):
        if last_step is not None and number > last_step:
            break
        program = bin_dir / step['tool']
        if not program.is_file():
            raise LessonError('step %d: there is no tool %s in %s' % (number, step['tool'], bin_dir))
        if step['tool'] not in keywords:  # the questions in order, as the tool's own dialogue asks them
            _, asked, _ = _run_tool(program, '', folder, lang, check=True)
            keywords[step['tool']] = [e['keyword'] for e in asked if e.get('event') == 'answer']
        answers = standard_input(keywords[step['tool']], step, number, values)
        status, events, console = _run_tool(program, answers, folder, lang)
        done = StepRun(number, section, step['tool'], text_in(step['what'], lang, values), answers, status,
                       events, console)
        run.steps.append(done)
        for text in done.warnings:
            warnings.warn('step %d (%s): %s' % (number, step['tool'], text), UserWarning, stacklevel=2)
        if status != 0:
            raise StepFailed(done, run)
    return run


def run_course(course, folder, tools=None, lang=None):
    """Checks the course (a ZIP file), unpacks it into folder/_course (a
    name no lesson id can have) and runs each of its lessons into folder/ID;
    returns {id: LessonRun} in the course's order."""
    unpacked = pathlib.Path(folder) / '_course'
    lessons = unpack_course(course, unpacked)
    return {lesson_id: run_lesson(path, pathlib.Path(folder) / lesson_id, tools=tools, lang=lang, seeds=unpacked)
            for lesson_id, path in lessons}


def main(argv):
    import argparse
    parser = argparse.ArgumentParser(
        prog='python3 -m ctlesson',
        description='Runs a lesson (a lesson file or the id of one of the suite\'s lessons) or a course (a ZIP) '
                    'into FOLDER, every step by its console tool, and lists the files each step wrote.')
    parser.add_argument('lesson')
    parser.add_argument('folder')
    parser.add_argument('--knob', action='append', default=[], metavar='NAME=VALUE')
    parser.add_argument('--lang', choices=('en', 'ja'))
    parser.add_argument('--tools', metavar='DIR')
    args = parser.parse_args(argv)
    if any('=' not in k for k in args.knob):
        parser.error('--knob takes NAME=VALUE')
    knobs = dict(k.split('=', 1) for k in args.knob)
    try:
        if zipfile.is_zipfile(args.lesson):
            if knobs:
                parser.error('a course runs its lessons at their knobs\' defaults')
            runs = run_course(args.lesson, args.folder, tools=args.tools, lang=args.lang)
        else:
            run = run_lesson(args.lesson, args.folder, knobs, tools=args.tools, lang=args.lang)
            runs = {run.id: run}
    except LessonError as error:
        sys.stderr.write('ctlesson: %s\n' % error)
        return 1
    for run in runs.values():
        print('%s: %s, into %s' % (run.id, run.title, run.folder))
        for step in run.steps:
            print('  %2d %-22s %s' % (step.number, step.tool, ', '.join(step.written())))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
