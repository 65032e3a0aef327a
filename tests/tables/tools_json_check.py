#!/usr/bin/env python3
"""tools.json against what it describes (the standard library, and Debian's
python3-jsonschema for its schema).

  tools_json_check.py help   TOOLS_JSON BIN_DIR       every program's --help
  tools_json_check.py demo   TOOLS_JSON SOURCE_DIR    the demo's steps (the lesson ct-chain) and answer files
  tools_json_check.py python TOOLS_JSON MODULE_DIR    the functions of the module cttools
  tools_json_check.py schema TOOLS_JSON SCHEMA        its JSON Schema (tools/suite/tools.schema.json)

Prints one line per disagreement and exits 1 if there is any; 77 (skipped)
for `python` when the module is not built.
"""

import glob
import inspect
import json
import os
import re
import subprocess
import sys

problems = []


def problem(program, what):
    problems.append(f"{program}: {what}")


HELP_KINDS = {"整数": ("integer", None), "実数": ("real", None),
              "読むファイル": ("name", "read"), "書くファイル": ("name", "written"), "文字列": ("name", None)}
QUESTION_ROW = re.compile(r"^  (.+?)  +(" + "|".join(HELP_KINDS) + r")  +(\S+) +\[(.*)\]$")


def check_help(programs, bin_dir):
    built = {os.path.basename(p) for p in glob.glob(os.path.join(bin_dir, "*")) if os.access(p, os.X_OK)}
    for name in sorted(built ^ {p["name"] for p in programs}):
        problem(name, "built but not in tools.json" if name in built else "in tools.json but not built")
    for p in programs:
        name = p["name"]
        env = dict(os.environ, CT_ENCODING="utf-8")
        env.pop("CT_LANG", None)
        run = subprocess.run([os.path.join(bin_dir, name), "--help"], capture_output=True, env=env, timeout=60)
        if run.returncode != 0:
            problem(name, f"--help exits with {run.returncode}")
            continue
        paragraphs = run.stdout.decode("utf-8").split("\n\n")
        if paragraphs[0] != f"{name}：{p['title']['ja']}":
            problem(name, f"title {paragraphs[0]!r}")
        if paragraphs[1] != p["summary"]["ja"]:
            problem(name, "summary differs")
        rows = [QUESTION_ROW.match(line) for line in paragraphs[2].split("\n")[1:]]
        if len(rows) != len(p["questions"]):
            problem(name, f"--help shows {len(rows)} questions, tools.json {len(p['questions'])}")
        for row, q in zip(rows, p["questions"]):
            if row is None:
                problem(name, f"question {q['number']}: unreadable row in --help")
                continue
            label, kind, keyword, shown = row.groups()
            if label != q["label"]["ja"].rstrip(" "):
                problem(name, f"question {q['number']}: label {label!r} against {q['label']['ja']!r}")
            if HELP_KINDS[kind] != (q["kind"], q["file"]):
                problem(name, f"question {q['number']}: {kind} against {q['kind']}/{q['file']}")
            if keyword != q["keyword"]:
                problem(name, f"question {q['number']}: keyword {keyword} against {q['keyword']}")
            if shown != q["default_text"]:
                problem(name, f"question {q['number']}: default [{shown}] against [{q['default_text']}]")
            # The value is the one the brackets show (%d, %f or the name).
            value = q["default"]
            as_shown = value if q["kind"] == "name" else ("%d" % value if q["kind"] == "integer" else "%f" % value)
            if as_shown != q["default_text"] or (q["kind"] == "integer") != isinstance(value, int):
                problem(name, f"question {q['number']}: default {value!r} is not [{q['default_text']}]")
        files = paragraphs[3]
        for f in p["files"]:
            if "question" in f:
                q = p["questions"][f["question"] - 1]
                if q["file"] != f["use"] or f"{q['default_text']}  （質問{f['question']:2d}）" not in files:
                    problem(name, f"file of question {f['question']} not in --help as {f['use']}")
            elif (f.get("name") or f["names"][0]) not in files:
                problem(name, f"fixed file {f.get('name') or f['pattern']} not in --help")


def demo_steps(source_dir):
    """(answer file, tool) of every step of the chain the demo runs: the lesson ct-chain."""
    with open(os.path.join(source_dir, "lessons", "ct-chain.json"), encoding="utf-8") as lesson:
        chain = json.load(lesson)
    return [(step["answer_file"], step["tool"]) for section in chain["sections"] for step in section["steps"]]


def check_demo(programs, source_dir):
    steps = demo_steps(source_dir)
    by_name = {p["name"]: p for p in programs}
    answers_dir = os.path.join(source_dir, "examples", "answers")
    used = set()
    for answers, tool in steps:
        used.add(answers)
        if tool not in by_name:
            problem(tool, f"a demo step runs it with {answers}, but tools.json does not list it")
            continue
        path = os.path.join(answers_dir, answers)
        if not os.path.isfile(path):
            problem(tool, f"the demo's {answers} does not exist")
            continue
        with open(path, "rb") as f:
            lines = f.read().split(b"\n")
        if lines and lines[-1] == b"":
            lines.pop()
        if len(lines) > len(by_name[tool]["questions"]):
            problem(tool, f"{answers} holds {len(lines)} answers for {len(by_name[tool]['questions'])} questions")
    for p in programs:
        demo = p["demo_answers"]
        if demo is not None and (os.path.basename(demo), p["name"]) not in steps:
            problem(p["name"], f"no demo step runs it with {demo}")
    for unused in sorted(set(os.listdir(answers_dir)) - used):
        problem(unused, "an answer file that no demo step uses")


def keyword_parameters(function):
    """The keyword-only parameters: from inspect.signature, or from the
    docstring's first line where Python refuses the signature."""
    try:
        parameters = inspect.signature(function).parameters.values()
        return [(q.name, q.default) for q in parameters if q.kind == q.KEYWORD_ONLY]
    except ValueError:
        text = (function.__doc__ or "").split("\n", 1)[0]
        inside = text[text.index("(") + 1:text.rindex(")")]
        after_star = inside.split("*", 1)[1] if "*" in inside else ""
        pairs = [item.strip().split("=", 1) for item in after_star.split(",") if item.strip()]
        return [(k, eval(v, {})) for k, v in pairs]  # defaults are literals


def check_python(programs, module_dir):
    if not glob.glob(os.path.join(module_dir, "cttools*")):
        print(f"tools_json_check: no module cttools in {module_dir}: skipped")
        sys.exit(77)
    sys.path.insert(0, module_dir)
    import cttools

    for p in programs:
        name = p["name"]
        function = getattr(cttools, name, None)
        if function is None:
            problem(name, "no function of that name in cttools")
            continue
        questions = {q["keyword"]: q for q in p["questions"] if q["file"] is None}
        keywords = keyword_parameters(function)
        # Sizes that the input array's shape gives are not keywords.
        from_shapes = {e for f in p["files"] if f["use"] == "read" for e in f.get("shape", [])}
        taken = [k for k, _ in keywords if k in questions]
        if taken != [k for k in questions if k in taken]:
            problem(name, f"keywords {taken} out of the questions' order")
        for keyword, default in keywords:
            q = questions.get(keyword)
            if q is None:
                # Options of the module beyond the questions default to None.
                if default is not None:
                    problem(name, f"keyword {keyword} is no question of the tool")
            elif default != q["default"] or type(default) is not type(q["default"]):
                problem(name, f"keyword {keyword}={default!r}, the tool's default {q['default']!r}")
        for keyword in questions:
            if keyword not in taken and keyword not in from_shapes:
                problem(name, f"question {keyword} is neither a keyword nor the shape of an input")


def check_schema(tools_json, schema_path):
    import jsonschema  # Debian's python3-jsonschema: scripts/setup installs it
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.validators.validator_for(schema)(schema)
    validator.check_schema(schema)
    for error in validator.iter_errors(tools_json):
        problem("/".join(map(str, error.absolute_path)) or "tools.json", error.message)
    # What the schema cannot say: every file entry names a question of its program that asks a name.
    for p in tools_json["programs"]:
        kinds = {q["number"]: q["kind"] for q in p["questions"]}
        for f in p["files"]:
            if "question" in f and kinds.get(f["question"]) != "name":
                problem(p["name"], f"a file names question {f['question']}, which asks no file name")


def main():
    what, tools_json, where = sys.argv[1:4]
    with open(tools_json, encoding="utf-8") as f:
        registry = json.load(f)
    programs = registry["programs"]
    if what == "schema":
        check_schema(registry, where)
    else:
        {"help": check_help, "demo": check_demo, "python": check_python}[what](programs, where)
    for line in problems:
        print(f"tools_json_check {what}: {line}")
    if not problems:
        print(f"tools_json_check {what}: {len(programs)} programs agree")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
