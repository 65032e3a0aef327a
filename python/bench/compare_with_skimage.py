#!/usr/bin/env python3
"""Times cttools.raysum + cttools.reconstruct against scikit-image's radon +
iradon on the head phantom at 256 x 256 and 512 x 512, in one run, and prints
the ratios. Both sides project over as many detector bins as the image is
wide and as many angles over half a turn, and reconstruct with the plain ramp
filter. Not a test: timings depend on the machine and its load.

    scripts/setup python3-skimage
    PYTHONPATH=build/python /usr/bin/python3 python/bench/compare_with_skimage.py [--repeat N]
"""

import argparse
import os
import pathlib
import time

import numpy as np
import cttools
from skimage.transform import iradon, radon

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"


def best_time(repeat, work):
    """The shortest of `repeat` runs (seconds) and the last result."""
    best, result = float("inf"), None
    for _ in range(repeat):
        started = time.perf_counter()
        result = work()
        best = min(best, time.perf_counter() - started)
    return best, result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=2, help="runs of each step; the shortest counts")
    repeat = parser.parse_args().repeat
    print(f"{os.cpu_count()} processors, OMP_NUM_THREADS={os.environ.get('OMP_NUM_THREADS', 'unset')}, "
          f"best of {repeat}")
    print(f"{'size':>9} {'step':<12} {'cttools s':>10} {'skimage s':>10} {'skimage/cttools':>16}")
    for side in (256, 512):
        phantom = cttools.oval_stack(EXAMPLES / "n3-2.txt", width=side, height=side)
        pixel_length = 20.0 / side  # a 20 cm field, as the 256 x 256 default of 0.078125 cm
        theta = np.linspace(0.0, 180.0, side, endpoint=False)

        ours_project, sinogram = best_time(
            repeat, lambda: cttools.raysum(phantom, pixel_length=pixel_length, bins=side, angles=side))
        ours_recon, _ = best_time(
            repeat, lambda: cttools.reconstruct(sinogram, width=side, height=side, pixel_length=pixel_length))
        # scikit-image takes columns as angles and pixels as the unit of length.
        theirs_project, their_sinogram = best_time(repeat, lambda: radon(phantom, theta=theta, circle=True))
        theirs_recon, _ = best_time(
            repeat, lambda: iradon(their_sinogram, theta=theta, filter_name="ramp", circle=True))

        for step, ours, theirs in (("project", ours_project, theirs_project),
                                   ("reconstruct", ours_recon, theirs_recon),
                                   ("both", ours_project + ours_recon, theirs_project + theirs_recon)):
            print(f"{side:>4}x{side:<4} {step:<12} {ours:>10.3f} {theirs:>10.3f} {theirs / ours:>16.2f}")


if __name__ == "__main__":
    main()
