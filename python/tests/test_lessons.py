"""Lessons and courses run from Python (ctlesson) by the console tools."""
import json
import os
import pathlib
import zipfile

import numpy as np
import pytest

import ctlesson

TOOLS = pathlib.Path(os.environ.get("CT_TOOLS", "build/bin")).resolve()
TEXT = {"en": "t", "ja": "t"}


def own_lesson(steps, knobs=(), seed=(), lesson_id="own"):
    return {"lesson": 1, "id": lesson_id, "title": {"en": "Own lesson", "ja": "自作の授業"}, "seed": list(seed),
            "knobs": list(knobs), "sections": [{"title": TEXT, "steps": steps}]}


SIZE = {"name": "size", "label": TEXT, "kind": "integer", "default": 32, "min": 16, "max": 64}
DISC = {"tool": "oval_draw", "answers": {"output": "disc.img", "width": "{size}", "height": "{size}", "radius_x": 0.5,
                                         "radius_y": 0.5, "angle": 0, "value": 0.2},
        "what": {"en": "a disc of {size} pixels", "ja": "{size} 画素の円板"}}
SMOOTH = {"tool": "box_smooth", "answers": {"input": "disc.img", "output": "disc_box.img", "width": "{size}",
                                            "height": "{size}"}, "what": TEXT}


def test_a_lesson_runs_at_its_knobs_and_tells_what_each_step_did(tmp_path):
    run = ctlesson.run_lesson(own_lesson([DISC, SMOOTH], [SIZE]), tmp_path, {"size": "48"}, tools=TOOLS, lang="ja")
    assert run.values == {"size": 48} and [s.tool for s in run.steps] == ["oval_draw", "box_smooth"]
    assert run.steps[0].what == "48 画素の円板"
    taken = {e["keyword"]: e["value"] for e in run.steps[0].events if e["event"] == "answer"}
    assert taken["width"] == taken["height"] == 48 and taken["value"] == pytest.approx(0.2)
    smooth = run.steps[1]
    assert [(f["name"], f["rows"], f["columns"]) for f in smooth.files("input")] == [("disc.img", 48, 48)]
    assert smooth.written() == ["disc_box.img"] and smooth.exit == 0 and smooth.warnings == []
    disc = np.fromfile(run.path("disc.img"), dtype="<f4").reshape(48, 48)
    assert disc[24, 24] == np.float32(0.2) and disc[0, 0] == 0


def test_the_suites_lessons_run_by_id(tmp_path):
    run = ctlesson.run_lesson("resolution", tmp_path, {"fwhm": 4}, tools=TOOLS, lang="en")
    assert run.title == "Resolution: edge, LSF and MTF"
    assert [f for s in run.steps for f in s.written()] == ["edge.img", "esf.txt", "lsf.txt", "mtf.txt",
                                                           "edge_smooth.img", "mtf_smooth.txt"]
    assert all((tmp_path / name).stat().st_size > 0 for s in run.steps for name in s.written())


@pytest.mark.parametrize("knobs, problem", [
    ({"size": 65}, "size=65 is not a whole number from 16 to 64"),
    ({"size": 20.5}, "size=20.5 is not a whole number"),
    ({"size": "many"}, "size=many is not a number"),
    ({"zoom": 2}, "the lesson has no knob zoom"),
])
def test_knob_values_outside_the_knob_are_refused_before_anything_runs(tmp_path, knobs, problem):
    with pytest.raises(ctlesson.LessonError, match=problem):
        ctlesson.run_lesson(own_lesson([DISC], [SIZE]), tmp_path / "out", knobs, tools=TOOLS)
    assert not (tmp_path / "out").exists()


def test_lesson_files_are_checked_against_the_schema(tmp_path):
    lesson = own_lesson([dict(DISC, captoin=TEXT)], [SIZE])
    (tmp_path / "bad.json").write_text(json.dumps(lesson), encoding="utf-8")
    with pytest.raises(ctlesson.LessonError, match="captoin"):
        ctlesson.run_lesson(tmp_path / "bad.json", tmp_path / "out", tools=TOOLS)
    with pytest.raises(ctlesson.LessonError, match="no question zoom"):
        ctlesson.run_lesson(own_lesson([dict(DISC, answers={"zoom": 2})]), tmp_path / "out", tools=TOOLS)


def test_a_failing_step_raises_with_the_tools_message_and_the_steps_before(tmp_path):
    missing = dict(SMOOTH, answers=dict(SMOOTH["answers"], input="nothing.img"))
    with pytest.raises(ctlesson.StepFailed) as failed:
        ctlesson.run_lesson(own_lesson([DISC, missing, SMOOTH], [SIZE]), tmp_path, tools=TOOLS, lang="en")
    assert failed.value.step.number == 2 and failed.value.step.exit == 1
    assert "nothing.img" in failed.value.step.failure and "nothing.img" in str(failed.value)
    assert [s.tool for s in failed.value.run.steps] == ["oval_draw", "box_smooth"]
    assert not (tmp_path / "disc_box.img").exists()


def test_the_tools_warnings_become_python_warnings(tmp_path):
    wrong = dict(DISC, answers=dict(DISC["answers"], value="much"))
    with pytest.warns(UserWarning, match=r"step 1 \(oval_draw\): .*much"):
        run = ctlesson.run_lesson(own_lesson([wrong], [SIZE]), tmp_path, tools=TOOLS, lang="en")
    assert len(run.steps[0].warnings) == 1


def course_zip(path, files):
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in files.items():
            archive.writestr(name, data if isinstance(data, bytes) else json.dumps(data))


def test_a_course_runs_each_lesson_on_its_own_files(tmp_path):
    edge = np.arange(16 * 16, dtype="<f4").reshape(16, 16) / 256
    first = own_lesson([dict(SMOOTH, answers=dict(SMOOTH["answers"], input="given.img", width=16, height=16))],
                       seed=["given.img"], lesson_id="first")
    second = own_lesson([DISC], [SIZE], lesson_id="second")
    course = {"course": 1, "id": "week", "title": TEXT, "lessons": ["first.json", "second.json"],
              "files": [{"name": "given.img", "format": "raw", "rows": 16, "columns": 16}]}
    course_zip(tmp_path / "week.zip", {"course.json": course, "first.json": first, "second.json": second,
                                       "given.img": edge.tobytes()})
    runs = ctlesson.run_course(tmp_path / "week.zip", tmp_path / "out", tools=TOOLS, lang="en")
    assert list(runs) == ["first", "second"]
    assert runs["first"].steps[0].files("input")[0]["bytes"] == 16 * 16 * 4
    assert (tmp_path / "out" / "first" / "disc_box.img").stat().st_size == 16 * 16 * 4
    assert (tmp_path / "out" / "second" / "disc.img").stat().st_size == 32 * 32 * 4

    course_zip(tmp_path / "bad.zip", {"course.json": course, "first.json": first, "second.json": second,
                                      "given.img": edge.tobytes()[:-4], "../escape.img": b""})
    with pytest.raises(ctlesson.LessonError) as refused:
        ctlesson.run_course(tmp_path / "bad.zip", tmp_path / "bad", tools=TOOLS)
    assert "names a folder" in str(refused.value)
    assert not (tmp_path / "bad").exists()


@pytest.mark.parametrize("disc_mu, hounsfield", [(0.19, 0.0), (0.2, 1000 * (0.2 - 0.19) / 0.19)])
def test_a_real_ct_slice_reads_the_suites_own_disc_in_hounsfield_units(tmp_path, disc_mu, hounsfield):
    # The reconstruction of a simulated disc, through raw_to_dicom and back,
    # reads 1000·(μ − μw)/μw in its centre within 1 HU; the region the knobs
    # cut is the slice's own pixels.
    run = ctlesson.run_lesson("real-ct-slice", tmp_path, {"disc_mu": disc_mu, "column": 40, "row": 100},
                              tools=TOOLS, lang="en")
    disc = np.fromfile(run.path("disc_hu.img"), dtype="<f4").reshape(128, 128)
    assert abs(disc[56:72, 56:72].mean() - hounsfield) <= 1
    assert abs(disc[64, 3:10] + 1000).max() <= 5  # air between the disc and the edge of the field
    ct = np.fromfile(run.path("ct.img"), dtype="<f4").reshape(128, 128)
    region = np.fromfile(run.path("region.img"), dtype="<f4").reshape(16, 32)
    assert np.array_equal(region, ct[100:116, 40:72])
    assert -100 <= ct[112:128, 44:76].mean() <= -85  # the fat the first question asks about


def npw_of_trials(run):
    rows = run.path("trials_observer.txt").read_text(encoding="cp932").splitlines()[1:]
    return float(rows[0].split("\t")[1])


def test_can_you_see_it_holds_its_self_checks_at_every_knobs_ends(tmp_path):
    # At its own knobs (30 dB, 0.02) the first self-check's range holds the
    # diameter where NPWE reaches d' = 3. The trials' part at each of its
    # knobs' ends and defaults (the others at theirs): every step succeeds,
    # and halving the photons (doubling them from the least) takes the
    # trials' NPW d' to the ratio the dose self-check expects (1/sqrt(2) in
    # theory).
    lesson = ctlesson.read_lesson(ctlesson.lesson_file("can-you-see-it"))
    first = lesson["questions"][0]["expect"]
    dose = next(q for q in lesson["questions"] if "halve the photons" in q["text"]["en"])["expect"]
    run = ctlesson.run_lesson(lesson, tmp_path / "whole", {"level": 30, "contrast": 0.02}, tools=TOOLS, lang="en")
    npwe = run.path("dprime.txt").read_text(encoding="cp932").splitlines()[2].split("\t")
    assert npwe[0] == "NPWE" and first["min"] <= float(npwe[2]) <= first["max"]

    knobs = {k["name"]: k for k in lesson["knobs"]}
    lesson["sections"] = lesson["sections"][-1:]
    settings = [{}] + [{name: knobs[name][end]} for name in ("photons", "diameter", "lesion") for end in ("min", "max")]
    for n, setting in enumerate(settings):
        photons = setting.get("photons", knobs["photons"]["default"])
        pair = (photons, photons // 2) if photons // 2 >= knobs["photons"]["min"] else (2 * photons, photons)
        d = [npw_of_trials(ctlesson.run_lesson(lesson, tmp_path / f"{n}_{p}", dict(setting, photons=p), tools=TOOLS,
                                               lang="en")) for p in pair]
        assert dose["min"] <= d[1] / d[0] <= dose["max"], (setting, d)
