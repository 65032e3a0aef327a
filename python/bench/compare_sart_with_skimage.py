#!/usr/bin/env python3
"""Times one SART iteration of cttools.iterative_recon against scikit-image's
iradon_sart on the same sinogram (the head phantom projected by raysum, as
many bins as the image is wide and as many views over half a turn), at
256 x 256 and 512 x 512, in one run, and prints the ratios. One iteration is
the time of two iterations less that of one, so that neither side's set-up
(and cttools' residual table) counts. Not a test: timings depend on the
machine and its load; OMP_NUM_THREADS=1 gives the one-thread figure.

    PYTHONPATH=build/python OMP_NUM_THREADS=1 /usr/bin/python3 python/bench/compare_sart_with_skimage.py
"""

import argparse
import os
import pathlib
import time

import numpy as np
import cttools

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"


def best_time(repeat, work):
    best = float("inf")
    for _ in range(repeat):
        started = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - started)
    return best


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=2, help="runs of each step; the shortest counts")
    parser.add_argument("--sizes", type=int, nargs="+", default=[256, 512])
    parser.add_argument("--no-skimage", action="store_true", help="time cttools alone")
    options = parser.parse_args()
    print(f"{os.cpu_count()} processors, OMP_NUM_THREADS={os.environ.get('OMP_NUM_THREADS', 'unset')}, "
          f"best of {options.repeat}")
    print(f"{'size':>9} {'cttools s/iter':>15} {'skimage s/iter':>15} {'skimage/cttools':>16}")
    for n in options.sizes:
        delta = 0.078125 * 256 / n
        head = cttools.oval_stack(EXAMPLES / "n3-2.txt", width=n, height=n)
        sinogram = cttools.raysum(head, pixel_length=delta, bins=n, angles=n)

        def ours(iterations):
            return lambda: cttools.iterative_recon(sinogram, full_angles=n, width=n, height=n, pixel_length=delta,
                                                   method=2, iterations=iterations, save_every=0)

        one = best_time(options.repeat, ours(2)) - best_time(options.repeat, ours(1))
        theirs = float("nan")
        if not options.no_skimage:
            from skimage.transform import iradon_sart
            # scikit-image wants (bins, angles) in degrees, values per pixel.
            radon_image = (sinogram / delta).T
            angles = np.arange(n) * 180.0 / n

            def sart(iterations):
                def run():
                    image = None
                    for _ in range(iterations):
                        image = iradon_sart(radon_image, theta=angles, image=image)
                return run

            theirs = best_time(options.repeat, sart(2)) - best_time(options.repeat, sart(1))
        print(f"{n:>4} x {n:<3} {one:>15.3f} {theirs:>15.3f} {theirs / one:>16.1f}")


if __name__ == "__main__":
    main()
