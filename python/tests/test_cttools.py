"""Every function of cttools against its console tool: the same input as a
raw file and as an array, the tool's files against the function's result,
bit for bit (raw files as float32 bytes, tables as the tool prints them);
then the refusals."""

import inspect
import math
import os
import pathlib
import subprocess
import threading

import numpy as np
import pytest

import cttools

TOOLS = pathlib.Path(os.environ.get("CT_TOOLS", "build/bin")).resolve()
EXAMPLES = pathlib.Path(os.environ.get("CT_EXAMPLES", "examples"))
rng = np.random.default_rng(14)


def run_tool(tool, answers, folder):
    """Runs the console tool in the folder with the answers, one per line."""
    text = "".join(f"{a}\n" for a in answers)
    done = subprocess.run([TOOLS / tool], input=text.encode(), cwd=folder, capture_output=True, timeout=300)
    assert done.returncode == 0, done.stderr.decode("cp932", "replace")
    return done.stdout.decode("cp932")


def c_format(form, value):
    """A number as C's printf prints it (glibc writes nan with its sign)."""
    if math.isnan(value):
        return "-nan" if np.signbit(value) else "nan"
    return form % value


def column_text(values, form):
    return "".join(c_format(form, v) + "\n" for v in values)


def grid_text(sweep, axis):
    frequencies = sweep.x_frequencies if axis == "x" else sweep.y_frequencies
    rows = sweep.x if axis == "x" else sweep.y
    lines = ["周波数" + "".join("\t" + c_format("%f", f) for f in frequencies)]
    for label, row in zip(sweep.labels, rows):
        lines.append(label + "".join("\t" + c_format("%e", v) for v in row))
    return "".join(line + "\n" for line in lines)


def same_raw(path, array):
    assert path.read_bytes() == np.asarray(array, "<f4").tobytes(), path.name


def same_text(path, text):
    assert path.read_bytes() == text.encode("cp932"), path.name


image = rng.uniform(0.0, 0.2, (9, 13))               # odd sides
sinogram = rng.uniform(0.0, 3.0, (11, 15))           # 11 angles of 15 bins
counts = np.round(rng.uniform(0.0, 40.0, (11, 15)))  # Poisson means below and above 12, zeros
counts[0, :3] = 0
edge = cttools.step_target(width=33, height=31, gain=3, angle=5.0)
flat = 1.0 + rng.normal(0.0, 0.1, (8, 16))

# tool, its answers (input file "in", output "out"), the call, the results
# and the files they must equal, and whether it draws noise.
CASES = {
    "raysum": (["in", 13, 9, 0.1, "out", 15, 11],
               lambda: cttools.raysum(image, pixel_length=0.1, bins=15, angles=11), image),
    "attenuate": (["in", "out", 15, 11, 1000], lambda: cttools.attenuate(sinogram, incident=1000), sinogram),
    "linearize": (["in", "out", 15, 11, 50], lambda: cttools.linearize(counts, incident=50), counts),
    "quantum_noise": (["in", "out", 15, 11], lambda: cttools.quantum_noise(counts), counts),
    "level_noise": (["in", "out", 13, 9, 10.5], lambda: cttools.level_noise(image + 1, decibels=10.5), image + 1),
    "scaled_noise": (["in", "out", 13, 9, 3.5], lambda: cttools.scaled_noise(image, sd=3.5), image),
    "raysum_quanta": (["in", 13, 9, 0.1, "out", 15, 11, 500],
                      lambda: cttools.raysum_quanta(image, pixel_length=0.1, bins=15, angles=11, incident=500), image),
    "raysum_normal": (["in", 13, 9, 0.1, "out", 15, 11, 500, 7.5],
                      lambda: cttools.raysum_normal(image, pixel_length=0.1, bins=15, angles=11, incident=500, sd=7.5),
                      image),
    "reconstruct": (["in", 15, 11, "out", 13, 9, 0.1],
                    lambda: cttools.reconstruct(sinogram, width=13, height=9, pixel_length=0.1), sinogram),
    "box_smooth": (["in", "out", 13, 9], lambda: cttools.box_smooth(image), image),
    "kernel_smooth": (["in", "out", 13, 9, 1, 3, 5], lambda: cttools.kernel_smooth(image, corner=1, side=3, centre=5),
                      image),
    "bell_smooth": (["in", "out", 13, 9, 3], lambda: cttools.bell_smooth(image, fwhm=3), image),
    "rank_smooth": (["in", "out", 13, 9, 4], lambda: cttools.rank_smooth(image, window_width=4), image),
    "edge_preserve": (["in", "out", 13, 9, 5, 1.5, 0.05],
                      lambda: cttools.edge_preserve(image, window_width=5, spatial_width=1.5, range_width=0.05), image),
    "oval_draw": (["out", 13, 9, 0.1, -0.2, 0.5, 0.7, 30, 2.5],
                  lambda: cttools.oval_draw(width=13, height=9, centre_x=0.1, centre_y=-0.2, radius_x=0.5,
                                            radius_y=0.7, angle=30.0, value=2.5), None),
    "oval_stack": ([str((EXAMPLES / "n3-2.txt").resolve()), 11, "out", 15, 11],
                   lambda: cttools.oval_stack(EXAMPLES / "n3-2.txt", width=15, height=11), None),
    "step_target": (["out", 13, 9, 3, 5.0], lambda: cttools.step_target(width=13, height=9, gain=3, angle=5.0), None),
}
NOISY = {"quantum_noise", "level_noise", "scaled_noise", "raysum_quanta", "raysum_normal"}


@pytest.mark.parametrize("tool", sorted(CASES))
def test_one_output_file(tool, tmp_path, capfd):
    answers, call, given = CASES[tool]
    if given is not None:
        cttools.write_raw(tmp_path / "in", given)
    run_tool(tool, answers, tmp_path)
    same_raw(tmp_path / "out", call())
    if tool in NOISY:  # every call starts where a fresh run starts
        same_raw(tmp_path / "out", call())
    assert capfd.readouterr() == ("", "")  # no dialogue, no progress


def test_ellipses_as_text_or_path_give_the_phantom(tmp_path):
    text = (EXAMPLES / "n3-2.txt").read_text()
    from_text = cttools.oval_stack(text, ellipse_count=4, width=15, height=11)
    np.testing.assert_array_equal(from_text, cttools.oval_stack(str(EXAMPLES / "n3-2.txt"), ellipse_count=4,
                                                                width=15, height=11))


def test_slant_profile_and_transfer_curve(tmp_path, capfd):
    cttools.write_raw(tmp_path / "edge.img", edge)
    printed = run_tool("slant_profile", ["edge.img", "lsf.txt", 33, 31, 21, 0.2], tmp_path)
    result = cttools.slant_profile(edge, points=21, spacing=0.2)
    assert capfd.readouterr() == ("", "")
    assert f"傾斜角度：{result.angle:f} 度" in printed
    same_text(tmp_path / "esf.txt", column_text(result.esf, "%f"))
    same_text(tmp_path / "lsf.txt", column_text(result.lsf, "%f"))

    run_tool("transfer_curve", ["edge.img", "mtf.txt", 33, 31, 16, 0.2], tmp_path)
    same_text(tmp_path / "mtf.txt", column_text(cttools.transfer_curve(edge, points=16, spacing=0.2), "%f"))


def test_noise_spectrum(tmp_path):
    cttools.write_raw(tmp_path / "noise.img", flat)
    run_tool("noise_spectrum", ["noise.img", "x.txt", "y.txt", 16, 8, 2], tmp_path)
    result = cttools.noise_spectrum(flat, bin_width=2)
    same_text(tmp_path / "x.txt", column_text(result.x, "%e"))
    same_text(tmp_path / "y.txt", column_text(result.y, "%e"))
    same_raw(tmp_path / "n4-4_nnps.img", result.spectrum)


SWEEPS = {
    "noise_spectrum_sweep": ([16, 8, 5, 7, 2, 3, 2, 2], "n4-5_{:02d}dB.img",
                             dict(width=16, height=8, start_level=5, level_step=7, levels=2, pattern=3, bin_width=2,
                                  repetitions=2)),
    "recon_noise_sweep": ([16, 16, 10, 5, 2, 1, 2, 1], "n4-6_{:02d}dB.img",
                          dict(width=16, height=16, start_level=10, levels=2, bin_width=2)),
    "recon_noise_diagonal": ([8, 8, 10, 5, 2, 2, 1, 1], "n4-9_{:02d}dB.img",
                             dict(width=8, height=8, start_level=10, levels=2, pattern=2, bin_width=1)),
    "recon_noise_windows": ([16, 8, 15, 1, 2, 1], "n4-7_w{}(u).img",
                            dict(width=16, height=8, level=15, bin_width=2)),
}


@pytest.mark.parametrize("tool", sorted(SWEEPS))
def test_sweep(tool, tmp_path, capfd):
    answers, image_name, keywords = SWEEPS[tool]
    run_tool(tool, ["x.txt", "y.txt"] + answers, tmp_path)
    result = getattr(cttools, tool)(**keywords)
    assert capfd.readouterr() == ("", "")
    same_text(tmp_path / "x.txt", grid_text(result, "x"))
    same_text(tmp_path / "y.txt", grid_text(result, "y"))
    numbers = [int(label.rstrip("dB")) if label.endswith("dB") else int(label[1]) for label in result.labels]
    for number, spectrum in zip(numbers, result.images):
        same_raw(tmp_path / image_name.format(number), spectrum)
    table = cttools.read_table(tmp_path / "x.txt")  # what the tool wrote, read back
    assert table.labels == result.labels
    np.testing.assert_array_equal(table.values, [[float(c_format("%e", v)) for v in row] for row in result.x])


def test_raw_to_png(tmp_path):
    cttools.write_raw(tmp_path / "in.img", image)
    printed = run_tool("raw_to_png", ["in.img", 13, 9, "tool.png", 0, 0], tmp_path)
    window = cttools.raw_to_png(image, tmp_path / "python.png")
    assert (tmp_path / "python.png").read_bytes() == (tmp_path / "tool.png").read_bytes()
    assert f"表示範囲：{window.low:f} から {window.high:f}" in printed


def test_raw_to_png_in_hounsfield_units(tmp_path):
    mu = 0.19 * (1 + (image * 10000 - 1000) / 1000)  # −1000 … 1000 HU, in 1/cm
    cttools.write_raw(tmp_path / "mu.img", mu)
    answers = ["mu.img", 13, 9, "tool.png", 0, 0, 1, 0.19, 0.078125, "lung", 40, 0, 1]
    printed = run_tool("raw_to_png", answers, tmp_path)
    window = cttools.raw_to_png(mu, tmp_path / "python.png", unit=1, window="lung", grey_bar=1)
    assert (tmp_path / "python.png").read_bytes() == (tmp_path / "tool.png").read_bytes()
    assert f"表示範囲：{window.low:f} から {window.high:f}" in printed
    with pytest.raises(TypeError, match="window must be a str"):
        cttools.raw_to_png(mu, tmp_path / "x.png", window=3)
    with pytest.raises(ValueError, match="lungs"):
        cttools.raw_to_png(mu, tmp_path / "x.png", window="lungs")
    assert not (tmp_path / "x.png").exists()


def test_long_calls_let_other_threads_run():
    started, steps = threading.Event(), 0

    def project():
        ones = np.ones((256, 256))
        started.set()
        cttools.raysum(ones, angles=512)  # about half a second

    worker = threading.Thread(target=project)
    worker.start()
    started.wait()
    while worker.is_alive():
        steps += 1
    worker.join()
    assert steps > 20000  # with the GIL held throughout, this thread could hardly have run at all


def test_every_tool_has_its_function():
    tools = {path.name for path in TOOLS.iterdir() if os.access(path, os.X_OK)}
    assert len(tools) == 36 and all(callable(getattr(cttools, tool, None)) for tool in tools), tools


def test_defaults_are_the_tools(tmp_path):
    assert {k: p.default for k, p in inspect.signature(cttools.raysum).parameters.items() if k != "image"} == {
        "pixel_length": 0.078125, "bins": 256, "angles": 256}
    picture = rng.uniform(0, 1, (256, 256))
    cttools.write_raw(tmp_path / "Pict_1.img", picture)
    run_tool("rank_smooth", [], tmp_path)
    same_raw(tmp_path / "n5-4.img", cttools.rank_smooth(picture))


def test_raw_files_and_tables_meet(tmp_path):
    cttools.write_raw(tmp_path / "a.img", image)
    np.testing.assert_array_equal(cttools.read_raw(tmp_path / "a.img", image.shape), image.astype(np.float32))
    (tmp_path / "t.txt").write_text("1.5\nnan\n-2e-3\n")
    np.testing.assert_array_equal(cttools.read_table(tmp_path / "t.txt"), [1.5, np.nan, -2e-3])
    with pytest.warns(UserWarning, match="足りません"):
        short = cttools.read_raw(tmp_path / "a.img", (10, 13))
    assert not short[9].any()
    with pytest.warns(UserWarning, match="有限でない値"):
        cttools.write_raw(tmp_path / "nan.img", [np.nan, 1.0])


def test_warnings_of_the_tools_become_python_warnings():
    with pytest.warns(UserWarning, match="暗から明"), pytest.raises(ValueError, match="エッジの"):
        cttools.slant_profile(edge[:, ::-1], points=21, spacing=0.2)  # bright to dark: no edge found


REFUSALS = [
    (TypeError, lambda: cttools.raysum(np.zeros((3, 3), complex))),
    (TypeError, lambda: cttools.raysum(np.array([["a"]]))),
    (ValueError, lambda: cttools.raysum(np.zeros(5))),
    (TypeError, lambda: cttools.raysum(image, width=3)),
    (TypeError, lambda: cttools.raysum(image, bins=1.5)),
    (TypeError, lambda: cttools.raysum(image, nonsense=1)),
    (TypeError, lambda: cttools.raysum()),
    (ValueError, lambda: cttools.raysum(image, bins=-1)),
    (ValueError, lambda: cttools.raysum(image, angles=2**31)),
    (ValueError, lambda: cttools.rank_smooth(image, window_width=0)),
    (ValueError, lambda: cttools.transfer_curve(edge, points=3)),
    (ValueError, lambda: cttools.slant_profile(np.zeros((5, 5)))),
    (ValueError, lambda: cttools.noise_spectrum(np.zeros((6, 8)))),
    (ValueError, lambda: cttools.noise_spectrum_sweep(bin_width=0)),
    (ValueError, lambda: cttools.recon_noise_sweep(levels=-1)),
    (ValueError, lambda: cttools.oval_stack("0\t0\n", ellipse_count=2)),
    (ValueError, lambda: cttools.oval_stack(str(EXAMPLES / "n3-2.txt"), ellipse_count=-1)),
    (OSError, lambda: cttools.oval_stack("no/such/ellipses.txt")),
    (OSError, lambda: cttools.read_raw("no/such/file.img", (2, 2))),
    (OSError, lambda: cttools.write_raw("no/such/folder/file.img", image)),
    (OSError, lambda: cttools.read_table("no/such/table.txt")),
    (ValueError, lambda: cttools.raw_to_png(np.zeros((0, 3)), "empty.png")),
    (MemoryError, lambda: cttools.reconstruct(sinogram, width=2**30, height=2**30)),
    (MemoryError, lambda: cttools.rank_smooth(image, window_width=100000)),  # windows of the threads
]


@pytest.mark.parametrize("error, call", REFUSALS, ids=[f"refusal{i}" for i in range(len(REFUSALS))])
def test_refusals(error, call, capfd):
    with pytest.raises(error):
        call()
    assert capfd.readouterr() == ("", "")  # nothing printed, no dialogue


def test_other_layouts_and_dtypes_are_converted():
    expected = cttools.box_smooth(image)
    np.testing.assert_array_equal(cttools.box_smooth(np.asfortranarray(image)), expected)
    np.testing.assert_array_equal(cttools.box_smooth(image.astype(np.float32)), expected)
    np.testing.assert_array_equal(cttools.box_smooth(image.tolist()), expected)
    whole = np.arange(12).reshape(3, 4)
    np.testing.assert_array_equal(cttools.box_smooth(whole), cttools.box_smooth(whole.astype(float)))


def test_every_function_has_a_valid_signature_and_the_module_the_projects_version(tmp_path):
    functions = {name: getattr(cttools, name) for name in dir(cttools)
                 if callable(getattr(cttools, name)) and not isinstance(getattr(cttools, name), type)
                 and not name.startswith("_")}
    signatures = {name: inspect.signature(f) for name, f in functions.items()}  # raises for an invalid one
    noisy = NOISY | set(SWEEPS)
    assert {name for name, s in signatures.items() if "seed" in s.parameters} == noisy
    assert all(signatures[name].parameters["seed"].default is None for name in noisy)
    assert str(signatures["box_smooth"]) == "(image)"
    version = subprocess.run([TOOLS / "box_smooth", "--version"], capture_output=True, check=True).stdout.decode()
    assert version == f"box_smooth {cttools.__version__}\n"


# The noise of a chosen seed: seed=None is the tool's own, 1 is where the
# tools start, another seed gives other noise, the same seed the same; for
# the sweeps a seed takes the pattern number's place.
NOISE_CALLS = {
    "quantum_noise": lambda **seed: cttools.quantum_noise(counts, **seed),
    "level_noise": lambda **seed: cttools.level_noise(image + 1, decibels=10.5, **seed),
    "scaled_noise": lambda **seed: cttools.scaled_noise(image, sd=3.5, **seed),
    "raysum_quanta": lambda **seed: cttools.raysum_quanta(image, pixel_length=0.1, bins=15, angles=11, incident=500,
                                                          **seed),
    "raysum_normal": lambda **seed: cttools.raysum_normal(image, pixel_length=0.1, bins=15, angles=11, incident=500,
                                                          sd=7.5, **seed),
}


@pytest.mark.parametrize("tool", sorted(NOISE_CALLS))
def test_seeds_of_the_noise_functions(tool):
    call = NOISE_CALLS[tool]
    tools_noise = call()
    np.testing.assert_array_equal(call(seed=None), tools_noise)
    np.testing.assert_array_equal(call(seed=1), tools_noise)
    other = call(seed=12345)
    assert not np.array_equal(other, tools_noise)
    np.testing.assert_array_equal(call(seed=12345), other)
    np.testing.assert_array_equal(call(), tools_noise)  # a chosen seed does not outlive its call


@pytest.mark.parametrize("tool", sorted(SWEEPS))
def test_seeds_of_the_sweeps(tool):
    _, _, keywords = SWEEPS[tool]
    keywords = {k: v for k, v in keywords.items() if k != "pattern"}
    function = getattr(cttools, tool)
    by_pattern = function(pattern=4, **keywords)
    by_seed = function(seed=4, pattern=9, **keywords)
    np.testing.assert_array_equal(by_seed.x, by_pattern.x)
    np.testing.assert_array_equal(by_seed.images, by_pattern.images)
    assert not np.array_equal(function(seed=5, **keywords).x, by_pattern.x)


@pytest.mark.parametrize("seed, error", [(0, ValueError), (-3, ValueError), (2**31 - 1, ValueError),
                                         (1.5, TypeError), ("7", TypeError), (True, TypeError)])
def test_seeds_that_start_no_sequence_are_refused(seed, error):
    with pytest.raises(error, match="seed"):
        cttools.quantum_noise(counts, seed=seed)
    with pytest.raises(TypeError, match="seed"):
        cttools.box_smooth(image, seed=1)


def test_detectability_is_the_tools_tables(tmp_path):
    """The function from arrays gives the numbers the tool writes for the same files."""
    side, pixel = 32, 0.5
    rng = np.random.default_rng(3)
    nnps = (rng.random((side, side)) * 1e-4).astype(np.float32)
    nnps[side // 2, side // 2] = 1.0
    mtf = np.round(np.exp(-0.001 * np.arange(64) ** 2), 6)
    nnps.tofile(tmp_path / "nnps.img")
    (tmp_path / "mtf.txt").write_text("".join(f"{v:f}\n" for v in mtf))
    answers = ["0", "mtf.txt", "0.2", "", "0", "nnps.img", "", "", str(side), str(side), str(pixel), "1", "4",
               "0.02", "1.5", "", "", "", "", "", "", "", "1", "0.5", "8", "d.txt", "dd.txt", "di.txt"]
    subprocess.run([str(TOOLS / "detectability")], input="\n".join(answers) + "\n", cwd=tmp_path,
                   capture_output=True, check=True, text=True, encoding="cp932")
    r = cttools.detectability(mtf, nnps, mtf_kind=0, mtf_spacing=0.2, nps_kind=0, pixel_size=pixel, task_kind=1,
                              diameter=4.0, contrast=0.02, exponent=1.5, diameter_start=1.0, diameter_step=0.5,
                              diameter_count=8)
    lines = (tmp_path / "d.txt").read_text(encoding="cp932").splitlines()[1:]
    assert [line.split("\t")[1] for line in lines] == [f"{v:f}" for v in r.d_prime]
    rows = (tmp_path / "dd.txt").read_text(encoding="cp932").splitlines()[1:]
    assert [row.split("\t")[1:] for row in rows] == [[f"{v:e}" for v in series] for series in r.over_diameters]
    with pytest.raises(ValueError, match="画素長"):
        cttools.detectability(mtf, nnps, pixel_size=0.0)


def test_observer_study_is_the_tools_table(tmp_path):
    """The function from arrays gives the numbers the tool writes for the same trial files."""
    side, pixel, trials = 24, 0.5, 12
    rng = np.random.default_rng(5)
    yy, xx = np.mgrid[0:side, 0:side]
    disc = (((xx - side // 2) ** 2 + (yy - side // 2) ** 2) <= 9).astype(np.float32)
    present = (0.5 * disc + rng.standard_normal((trials, side, side))).astype(np.float32)
    absent = rng.standard_normal((trials, side, side)).astype(np.float32)
    for k in range(trials):
        present[k].tofile(tmp_path / f"present_{k + 1}.img")
        absent[k].tofile(tmp_path / f"absent_{k + 1}.img")
    answers = [str(trials), str(side), str(side), str(pixel), "1", "3", "1.5", "", "300", "4", "o.txt"]
    subprocess.run([str(TOOLS / "observer_study")], input="\n".join(answers) + "\n", cwd=tmp_path,
                   capture_output=True, check=True, text=True, encoding="cp932")
    r = cttools.observer_study(present, absent, trials=trials, pixel_size=pixel, task_kind=1, diameter=3.0, exponent=1.5,
                               resamples=300, pattern=4)
    rows = (tmp_path / "o.txt").read_text(encoding="cp932").splitlines()[1:]
    assert [row.split("\t")[1:] for row in rows] == [
        [f"{r.d_prime[i]:f}", f"{r.lower[i]:f}", f"{r.upper[i]:f}"] for i in range(2)]
    assert r.channel_width == pytest.approx(1.2)
    with pytest.raises(ValueError, match="画素長"):
        cttools.observer_study(present, absent, trials=trials, pixel_size=0.0)
    with pytest.raises(ValueError, match="試行の数"):
        cttools.observer_study(present, absent, trials=1)
    with pytest.raises(ValueError, match="trials"):
        cttools.observer_study(present, absent)


def test_detection_trials_are_the_chain_of_functions_and_the_tools_files(tmp_path):
    """Trial k is oval_draw (+ the lesion) -> raysum_quanta from its seed -> reconstruct, bit for bit;
    the tool writes the same trials, rounded to float32."""
    side, pixel, diameter, photons, first = 32, 0.15625, 12.0, 8000, 5
    r = cttools.detection_trials(trials=2, side=side, pixel_length=pixel, diameter=diameter, incident=photons,
                                 angles=side, first_seed=first)
    assert r.present.shape == r.absent.shape == (2, side, side)
    half_mm = side / 2 * (10 * pixel)
    back = cttools.oval_draw(width=side, height=side, radius_x=0.8, radius_y=0.8, angle=0.0, value=0.2)
    lesion = cttools.oval_draw(width=side, height=side, radius_x=diameter / 2 / half_mm,
                               radius_y=diameter / 2 / half_mm, angle=0.0, value=0.04)
    geometry = dict(pixel_length=pixel, bins=side, angles=side)
    for k in (1, 2):
        for phantom, seed, got in ((back + lesion, first + k - 1, r.present), (back, first + 100000 + k - 1, r.absent)):
            chain = cttools.reconstruct(cttools.raysum_quanta(phantom, incident=photons, seed=seed, **geometry),
                                        width=side, height=side, pixel_length=pixel)
            assert np.array_equal(got[k - 1], chain)
    answers = ["2", str(side), str(pixel), "", str(diameter), "", str(photons), str(side), str(first)]
    subprocess.run([str(TOOLS / "detection_trials")], input="\n".join(answers) + "\n", cwd=tmp_path,
                   capture_output=True, check=True, text=True, encoding="cp932")
    for k in (1, 2):
        assert np.array_equal(np.fromfile(tmp_path / f"present_{k}.img", np.float32), r.present[k - 1].astype(np.float32).ravel())
        assert np.array_equal(np.fromfile(tmp_path / f"absent_{k}.img", np.float32), r.absent[k - 1].astype(np.float32).ravel())
    with pytest.raises(ValueError, match="入射光子数"):
        cttools.detection_trials(trials=2, side=side, incident=0)


@pytest.mark.parametrize("photons, diameter", [(5000, 10.0), (50000, 20.0)])
def test_frequency_domain_npw_lies_within_the_fbp_trials_interval(photons, diameter):
    """detectability's NPW from the trials' NPS falls within observer_study's 95 % interval on 200 + 200 FBP
    trials of 64^2 (the developer's check at a small size: its trial_case, the lesion off the centre of
    rotation); the trials come from fixed seeds, so the outcome is the same on every run."""
    import importlib.machinery
    import importlib.util
    script = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check_detectability"
    loader = importlib.machinery.SourceFileLoader("check_detectability", str(script))
    check = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(check)
    _, frequency, image = check.trial_case(64, 200, photons, diameter, offset=6, crop=32)
    assert image.lower[0] <= frequency <= image.upper[0]
