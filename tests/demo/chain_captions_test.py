#!/usr/bin/env python3
"""The chain lesson's captions hold at every photon count: each caption
that depends on the photons (a view's variants) is checked against what the
tools write at the knob's minimum, default and maximum and on both sides of
every variant's bounds.

Usage: chain_captions_test.py SOURCE_DIR BIN_DIR OUT_DIR

Only the steps up to the last view with variants run (phantom to the noisy
reconstruction, each a fraction of a second at 256 x 256), natively, with
by the lesson runner of Python, ctlesson. What a caption claims is measured:
- n3-2_sd20.prj: NaN samples, where a caption says there are some (at least
  two: "specks") or none.
- n3-2_poisson_fbp.img: whether a soft-tissue detail shows through the noise,
  by Rose's criterion k = contrast / sd * sqrt(detail area in pixels), the sd
  measured over the region the lesson names (40 x 40 at column 108, row 150).
  k of 5 is the usual threshold; a caption saying "shows" needs k >= 4, one
  saying "hidden" k <= 6, so a value near the threshold may take either.
"""
import math
import os
import sys
import warnings

import numpy as np

source_dir, bin_dir, out_dir = map(os.path.abspath, sys.argv[1:4])
sys.path.insert(0, os.path.join(source_dir, 'python'))
import ctlesson  # noqa: E402

lesson = ctlesson.read_lesson(os.path.join(source_dir, 'lessons', 'ct-chain.json'))
steps = [step for section in lesson['sections'] for step in section['steps']]
knob = next(k for k in lesson['knobs'] if k['name'] == 'photons')
last = max(i for i, step in enumerate(steps) if any('variants' in v for v in step.get('views', [])))

# The details, from the phantom: contrast (1/cm) and area in pixels of a
# 256 x 256 image (an ellipse's radii are in half image sizes, 128 pixels).
PIXEL_CM = 0.078125
VENTRICLE = {'contrast': 0.004, 'area': math.pi * (0.11 * 128) * (0.31 * 128)}
TUMOUR = {'contrast': 0.002, 'area': math.pi * (0.046 * 128) ** 2}


def rose_k(detail, sd):
    # The reconstruction's samples are attenuation times the pixel length.
    return detail['contrast'] * PIXEL_CM / sd * math.sqrt(detail['area'])


def shows(detail, sd):
    return rose_k(detail, sd) >= 4


def hidden(detail, sd):
    return rose_k(detail, sd) <= 6


def nan_count(folder):
    return int(np.isnan(np.fromfile(os.path.join(folder, 'n3-2_sd20.prj'), dtype='<f4')).sum())


def region_sd(folder):
    image = np.fromfile(os.path.join(folder, 'n3-2_poisson_fbp.img'), dtype='<f4').reshape(256, 256)
    return float(image[150:190, 108:148].astype(np.float64).std())


# What each caption of a view with variants claims: (file, variant index or
# None for the view's own caption) -> a check of the folder, or a problem.
CLAIMS = {
    ('n3-2_sd20.prj', 0): lambda d: None if nan_count(d) >= 2 else 'says NaN specks, found %d NaN' % nan_count(d),
    ('n3-2_sd20.prj', 1): lambda d: None if nan_count(d) <= 20 else 'says NaN are rare, found %d' % nan_count(d),
    ('n3-2_sd20.prj', None): lambda d: None if nan_count(d) == 0 else 'says no NaN, found %d' % nan_count(d),
    ('n3-2_poisson_fbp.img', 0): lambda d: None if hidden(VENTRICLE, region_sd(d)) else
    'says the ventricles are hidden, k = %.1f' % rose_k(VENTRICLE, region_sd(d)),
    ('n3-2_poisson_fbp.img', 1): lambda d: None if shows(VENTRICLE, region_sd(d)) and hidden(TUMOUR, region_sd(d)) else
    'says ventricles show (k = %.1f), tumours hidden (k = %.1f)' % (rose_k(VENTRICLE, region_sd(d)), rose_k(TUMOUR, region_sd(d))),
    ('n3-2_poisson_fbp.img', None): lambda d: None if shows(TUMOUR, region_sd(d)) else
    'says the tumours show, k = %.1f' % rose_k(TUMOUR, region_sd(d)),
}

views = [(view, step) for step in steps[:last + 1] for view in step.get('views', []) if 'variants' in view]
known = {(view['picture'], i) for view, _ in views for i in [None] + list(range(len(view['variants'])))}
if known != set(CLAIMS):
    sys.exit('chain_captions_test: the lesson\'s captions with variants %s are not the ones this test checks %s'
             % (sorted(known, key=str), sorted(CLAIMS, key=str)))

values = {knob['min'], knob['default'], knob['max']}
for view, _ in views:
    for variant in view['variants']:
        for bound in variant['when']['photons'].values():
            values |= {bound - 1, bound, bound + 1}
values = sorted(v for v in values if knob['min'] <= v <= knob['max'])

failures = []
for value in values:
    folder = os.path.join(out_dir, 'photons_%d' % value)
    knobs = {'photons': value}
    try:
        with warnings.catch_warnings():
            warnings.simplefilter('ignore')  # NaN specks are warned of, and expected at low counts
            ctlesson.run_lesson(lesson, folder, knobs, tools=bin_dir, lang='en', last_step=last + 1)
    except ctlesson.LessonError as error:
        sys.exit('chain_captions_test: at %d photons: %s' % (value, error))
    for view, _ in views:
        chosen = next((i for i, v in enumerate(view['variants']) if ctlesson.condition_holds(v['when'], knobs)), None)
        problem = CLAIMS[(view['picture'], chosen)](folder)
        if problem:
            failures.append('%d photons, %s, caption %s: %s' % (value, view['picture'], chosen, problem))

if failures:
    sys.exit('chain_captions_test: captions the values contradict:\n  ' + '\n  '.join(failures))
print('chain_captions_test: every caption holds at %s photons' % ', '.join(map(str, values)))
