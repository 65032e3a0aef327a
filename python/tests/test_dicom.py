"""dicom_to_raw and raw_to_dicom against pydicom on its own test files and
against the console tools, bit for bit; then the refusals."""

import os
import pathlib
import subprocess

import numpy as np
import pytest

import cttools

pydicom = pytest.importorskip("pydicom")
from pydicom.pixel_data_handlers.util import apply_modality_lut  # noqa: E402

TOOLS = pathlib.Path(os.environ.get("CT_TOOLS", "build/bin")).resolve()
FILES = pathlib.Path(pydicom.__file__).parent / "data" / "test_files"
# Every transfer syntax the tools read, 8 and 16 bits, signed and unsigned.
READ = ["CT_small.dcm", "MR_small.dcm", "MR_small_implicit.dcm", "MR_small_bigendian.dcm", "MR_small_RLE.dcm",
        "image_dfl.dcm"]


def run_tool(tool, answers, folder):
    text = "".join(f"{a}\n" for a in answers)
    done = subprocess.run([TOOLS / tool], input=text.encode(), cwd=folder, capture_output=True, timeout=300)
    assert done.returncode == 0, done.stderr.decode("cp932", "replace")


@pytest.mark.parametrize("name", READ)
def test_hu_of_every_pixel_is_pydicoms_and_the_tools(name, tmp_path):
    reference = pydicom.dcmread(FILES / name)
    expected = apply_modality_lut(reference.pixel_array, reference).astype(np.float64)
    result = cttools.dicom_to_raw(FILES / name)
    assert np.array_equal(result.image, expected)
    run_tool("dicom_to_raw", [FILES / name, "", "", "", "out.img"], tmp_path)
    written = np.fromfile(tmp_path / "out.img", dtype="<f4").reshape(expected.shape)
    assert written.tobytes() == result.image.astype("<f4").tobytes()
    header = result.header
    assert (header["rows"], header["columns"]) == expected.shape
    assert header["transfer_syntax_uid"] == reference.file_meta.TransferSyntaxUID
    assert header["modality"] == reference.Modality
    assert header["rescale_intercept"] == float(reference.get("RescaleIntercept", 0))
    if "PixelSpacing" in reference:
        assert [header["pixel_spacing_row_mm"], header["pixel_spacing_column_mm"]] == [float(v) for v in reference.PixelSpacing]
    if "WindowCenter" in reference:
        assert header["window_center"] == float(reference.WindowCenter)


def test_frames_and_eight_bit_unsigned_files_made_with_pydicom(tmp_path):
    ds = pydicom.dcmread(FILES / "CT_small.dcm")
    frames = np.stack([ds.pixel_array, ds.pixel_array[::-1], -ds.pixel_array]).astype(np.int16)
    ds.NumberOfFrames = 3
    ds.PixelData = frames.tobytes()
    ds.RescaleSlope, ds.RescaleIntercept = "0.5", "-1000"
    ds.save_as(tmp_path / "frames.dcm")
    for frame in (1, 3):
        got = cttools.dicom_to_raw(tmp_path / "frames.dcm", frame=frame)
        assert np.array_equal(got.image, frames[frame - 1] * 0.5 - 1000.0)
        assert got.header["frames"] == 3 and got.header["frame"] == frame
    with pytest.raises(ValueError, match=r"frame number is out of range \[4\]"):
        cttools.dicom_to_raw(tmp_path / "frames.dcm", frame=4)

    small = ds.pixel_array[0][:64, :64] if ds.pixel_array.ndim == 3 else ds.pixel_array[:64, :64]
    eight = (small.astype(np.int64) % 256).astype(np.uint8)
    ds.NumberOfFrames = 1
    ds.Rows, ds.Columns = eight.shape
    ds.BitsAllocated = ds.BitsStored = 8
    ds.HighBit, ds.PixelRepresentation = 7, 0
    ds.PixelData = eight.tobytes()
    ds.save_as(tmp_path / "eight.dcm")
    reference = pydicom.dcmread(tmp_path / "eight.dcm")
    expected = apply_modality_lut(reference.pixel_array, reference)
    assert np.array_equal(cttools.dicom_to_raw(tmp_path / "eight.dcm").image, expected)


def test_raw_to_dicom_writes_the_tools_bytes_and_pydicom_reads_them(tmp_path):
    rng = np.random.default_rng(39)
    water, pixel_cm = 0.19, 0.078125
    mu_per_pixel = (water * pixel_cm * (1 + rng.normal(0, 0.05, (40, 24)))).astype(np.float32)
    mu_per_pixel.tofile(tmp_path / "a.img")
    run_tool("raw_to_dicom", ["a.img", 24, 40, 2, 0.19, 0.78125, -600, 1500, "tool.dcm"], tmp_path)
    cttools.raw_to_dicom(mu_per_pixel, tmp_path / "function.dcm", unit=2, water_mu=0.19, pixel_mm=0.78125,
                         window_centre=-600, window_width=1500)
    assert (tmp_path / "function.dcm").read_bytes() == (tmp_path / "tool.dcm").read_bytes()
    ds = pydicom.dcmread(tmp_path / "tool.dcm")
    assert ds.Modality == "CT" and ds.SOPClassUID == "1.2.840.10008.5.1.4.1.1.2"
    assert [float(v) for v in ds.PixelSpacing] == [0.78125, 0.78125]
    assert (float(ds.WindowCenter), float(ds.WindowWidth)) == (-600.0, 1500.0)
    hu = 1000 * (mu_per_pixel.astype(np.float64) / pixel_cm - water) / water
    assert np.array_equal(apply_modality_lut(ds.pixel_array, ds), np.rint(hu))
    assert np.abs(cttools.dicom_to_raw(tmp_path / "tool.dcm").image - hu).max() <= 0.5


def test_refusals_name_the_file_and_the_problem(tmp_path):
    with pytest.raises(ValueError, match=r"JPEG 2000 Image Compression 1\.2\.840\.10008\.1\.2\.4\.91"):
        cttools.dicom_to_raw(FILES / "JPEG2000.dcm")
    with pytest.raises(ValueError, match="ends inside its pixel data"):
        cttools.dicom_to_raw(FILES / "MR_truncated.dcm")
    (tmp_path / "raw.img").write_bytes(b"\0" * 400)
    with pytest.raises(ValueError, match=r"\[.*raw\.img\] \(it is not a DICOM file"):
        cttools.dicom_to_raw(tmp_path / "raw.img")
    with pytest.raises(OSError):
        cttools.dicom_to_raw(tmp_path / "missing.dcm")
    with pytest.raises(ValueError, match="window width must be 1 or more"):
        cttools.raw_to_dicom(np.zeros((4, 4)), tmp_path / "w.dcm", window_width=0.5)
    assert not (tmp_path / "w.dcm").exists()
