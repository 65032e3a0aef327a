"""The fan-beam tools' functions against the console tools, bit for bit:
the sinograms and their geometry files, the direct and rebinned images; and
the refusals."""

import numpy as np
import pytest

import cttools
from test_cttools import EXAMPLES, run_tool, same_raw, same_text

head = cttools.oval_stack(EXAMPLES / "n3-2.txt", width=48, height=48)
# A 15 cm field seen from 30 cm: the fan needs 14.5 degrees on either side.
scan = dict(width=48, height=48, pixel_length=0.3125, source_distance=30.0, detector_distance=45.0, bins=80,
            angular_spacing=0.4, spacing=0.32, offset=0.25, views=60)


@pytest.mark.parametrize("detector, scan_kind", [(1, 1), (2, 2)])
def test_fan_chain_is_the_tools(tmp_path, detector, scan_kind):
    cttools.write_raw(tmp_path / "head.img", head)
    run_tool("fan_raysum", ["head.img", 1, 11, 48, 48, 0.3125, "f.prj", "g.txt", 30.0, 45.0, detector, 80, 0.4, 0.32,
                            0.25, 60, scan_kind, 360], tmp_path)
    got = cttools.fan_raysum(head, detector=detector, scan=scan_kind, **scan)
    same_raw(tmp_path / "f.prj", got.sinogram)
    same_text(tmp_path / "g.txt", got.geometry)
    fan = got.sinogram.astype(np.float32)

    run_tool("fan_reconstruct", ["f.prj", "g.txt", 80, 60, "r.img", 48, 48, 0.3125, 2, 1], tmp_path)
    same_raw(tmp_path / "r.img", cttools.fan_reconstruct(fan, got.geometry, width=48, height=48, pixel_length=0.3125,
                                                         window=2))
    run_tool("fan_rebin", ["f.prj", "g.txt", 80, 60, "p.prj", 48, 40, 0.3125, 1], tmp_path)
    same_raw(tmp_path / "p.prj", cttools.fan_rebin(fan, tmp_path / "g.txt", parallel_bins=48, angles=40,
                                                   pixel_length=0.3125, interpolation=1))


def test_exact_ellipse_integrals_are_the_tools(tmp_path):
    run_tool("fan_raysum", [EXAMPLES / "n3-2.txt", 2, 11, 48, 48, 0.3125, "e.prj", "g.txt", 30.0, 45.0, 1, 80, 0.4,
                            0.32, 0.25, 60, 1, 360], tmp_path)
    exact = cttools.fan_raysum(EXAMPLES / "n3-2.txt", input_kind=2, ellipse_count=11, **scan).sinogram
    same_raw(tmp_path / "e.prj", exact)
    # The pixels' sinogram differs from the exact one by the drawing's sampling
    # only: the same mass, and a small difference along the edges.
    pixels = cttools.fan_raysum(head, **scan).sinogram
    assert abs(pixels.sum() / exact.sum() - 1) < 1e-3
    assert np.abs(pixels - exact).mean() < 0.03 * exact.mean()


@pytest.mark.parametrize("call", [
    lambda: cttools.fan_raysum(head, **dict(scan, source_distance=7.0)),  # inside the object's circle
    lambda: cttools.fan_raysum(head, **dict(scan, bins=40)),  # too small a detector
    lambda: cttools.fan_raysum(head, **dict(scan, views=0)),
    lambda: cttools.fan_reconstruct(np.zeros((60, 81)), cttools.fan_raysum(head, **scan).geometry, width=48,
                                    height=48, pixel_length=0.3125),
    lambda: cttools.fan_reconstruct(np.zeros((60, 80)), "detector = curved\nbins = 80\n", width=48, height=48,
                                    pixel_length=0.3125),
])
def test_refusals(call):
    with pytest.raises(ValueError):
        call()
