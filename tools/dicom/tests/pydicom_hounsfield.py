"""pydicom's Hounsfield numbers of its own test files, the answers that
dicom_to_raw must give in every build: for each file, NAME.f32 holds the
pixels after the modality LUT (slope and intercept) as little-endian
float32, what the tool writes. Run at configure time with Debian's python3;
writes nothing when pydicom is not installed.

Usage: pydicom_hounsfield.py OUT_DIR NAME..."""

import pathlib
import sys

try:
    import numpy as np
    import pydicom
    from pydicom.pixel_data_handlers.util import apply_modality_lut
except ImportError:
    sys.exit(0)

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
files = pathlib.Path(pydicom.__file__).parent / "data" / "test_files"
for name in sys.argv[2:]:
    ds = pydicom.dcmread(files / name)
    hu = apply_modality_lut(ds.pixel_array, ds).astype(np.float64)
    # Whole numbers of HU at these files' slopes: float32 holds them exactly.
    assert np.array_equal(hu.astype(np.float32).astype(np.float64), hu), name
    (out / (name + ".f32")).write_bytes(hu.astype("<f4").tobytes())
print(files)
