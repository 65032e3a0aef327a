"""The iterative tools' functions against the console tools, bit for bit:
the images, the saved iterations, the residual table; and the refusals."""

import numpy as np
import pytest

import cttools
from test_cttools import c_format, run_tool, same_raw, same_text

rng = np.random.default_rng(41)
phantom = np.zeros((24, 24))
phantom[6:18, 8:16] = 0.2
phantom[10:13, 10:13] = 0.35
full = cttools.raysum(phantom, pixel_length=0.25, bins=32, angles=36).astype(np.float32)


def table_text(rows):
    header = "iteration\tresidual\trmse\n" if rows.shape[1] == 3 else "iteration\tresidual\n"
    return header + "".join("%d" % r[0] + "".join("\t" + c_format("%e", v) for v in r[1:]) + "\n" for r in rows)


@pytest.mark.parametrize("method, start, tv", [(2, 0, 0.0), (3, 1, 0.2), (4, 0, 0.0), (6, 1, 0.1)])
def test_iterative_recon_is_the_tool(tmp_path, method, start, tv):
    sparse = cttools.view_subset(full, first_view=1, view_step=4, views=9)
    np.testing.assert_array_equal(sparse, full[1::4][:9])
    cttools.write_raw(tmp_path / "s.prj", sparse)
    cttools.write_raw(tmp_path / "ref.img", phantom)
    answers = ["s.prj", 32, 9, 36, 1, 4, "x.img", 24, 24, 0.25, method, 5, 0.8, 3, 1, tv, 5000, start, 2, "t.txt",
               "ref.img"]
    run_tool("iterative_recon", answers, tmp_path)
    got = cttools.iterative_recon(sparse, phantom, full_angles=36, first_view=1, view_step=4, width=24, height=24,
                                  pixel_length=0.25, method=method, iterations=5, relaxation=0.8, subsets=3,
                                  tv_weight=tv, incident=5000, start=start, save_every=2)
    same_raw(tmp_path / "x.img", got.image)
    assert sorted(got.saved) == [2, 4]
    for iteration, image in got.saved.items():
        same_raw(tmp_path / f"x_{iteration:04d}.img", image)
    same_text(tmp_path / "t.txt", table_text(got.table))
    assert got.table.shape == (6, 3) and got.table[-1, 2] < got.table[0, 2]


def test_view_subset_is_the_tool(tmp_path):
    cttools.write_raw(tmp_path / "in.prj", full)
    run_tool("view_subset", ["in.prj", 32, 36, "out.prj", 10, 1, 12], tmp_path)
    same_raw(tmp_path / "out.prj", cttools.view_subset(full, first_view=10, view_step=1, views=12))


def test_step_zero_spreads_the_views_evenly():
    # 36 views over the half turn, 9 of them: every 4th, as step 4 takes them.
    np.testing.assert_array_equal(cttools.view_subset(full, view_step=0, views=9), full[::4])
    sparse = full[::4]
    even = cttools.iterative_recon(sparse, full_angles=36, view_step=0, width=24, height=24, iterations=3)
    given = cttools.iterative_recon(sparse, full_angles=36, view_step=4, width=24, height=24, iterations=3)
    np.testing.assert_array_equal(even.image, given.image)


@pytest.mark.parametrize("call", [
    lambda: cttools.view_subset(full, view_step=0, views=7),  # 36 views are no multiple of 7
    lambda: cttools.iterative_recon(full, full_angles=36, width=24, height=24, iterations=0),
    lambda: cttools.iterative_recon(full, full_angles=36, width=24, height=24, method=3, subsets=37),
    lambda: cttools.iterative_recon(full, full_angles=36, width=24, height=24, relaxation=0.0),
    lambda: cttools.iterative_recon(full, np.zeros((5, 5)), full_angles=36, width=24, height=24),
    lambda: cttools.iterative_recon(full, full_angles=30, width=24, height=24),
    lambda: cttools.view_subset(full, first_view=30, view_step=2, views=5),
])
def test_refusals(call):
    with pytest.raises(ValueError):
        call()
