#!/usr/bin/env bash
# dicom_to_raw and raw_to_dicom of a cross build (windows: the .exe files
# under wine; web: the node launchers) against the native build's: every
# file of pydicom's that the tools read gives the same bytes in HU and in
# μ, the refused ones the same exit status and no file, and raw_to_dicom
# writes the same DICOM files from whole and fractional images.
# Usage: cross_matches_native.sh windows|web SOURCE_DIR CROSS_BIN NATIVE_BIN PYDICOM_FILES OUT_DIR
set -euo pipefail
mode=$1 source_dir=$2 cross_bin=$3 native_bin=$4 files=$5 out=$6

if [ ! -x "$native_bin/dicom_to_raw" ]; then
  echo "cross_matches_native: SKIPPED: the native build is missing ($native_bin; scripts/build tools makes it)"
  exit 77
fi
# Runs TOOL of BUILD in the current folder with the answers, one a line;
# prints its exit status.
run() {
  local build=$1 tool=$2 status=0
  shift 2
  if [ "$build" = native ]; then
    printf '%s\n' "$@" | "$native_bin/$tool" > /dev/null 2>&1 || status=$?
  elif [ "$mode" = windows ]; then
    printf '%s\n' "$@" | "$source_dir/scripts/wine_run" "$cross_bin/$tool.exe" > /dev/null 2>&1 || status=$?
  else
    printf '%s\n' "$@" | "$cross_bin/$tool" > /dev/null 2>&1 || status=$?
  fi
  echo $status
}

rm -rf "${out:?}"
for build in native cross; do
  mkdir -p "$out/$build"
  cd "$out/$build"
  for name in CT_small.dcm MR_small.dcm MR_small_implicit.dcm MR_small_bigendian.dcm MR_small_RLE.dcm image_dfl.dcm \
              JPEG2000.dcm MR_truncated.dcm rtplan.dcm ExplVR_BigEnd.dcm; do
    cp "$files/$name" .
    echo "$name hu $(run $build dicom_to_raw "$name" 1 0 "" "$name.hu.img")" >> status.txt
    echo "$name mu $(run $build dicom_to_raw "$name" 1 1 0.19 "$name.mu.img")" >> status.txt
    rm "$name"
  done
  # Written from whole numbers (HU) and from fractional μ, with a window.
  echo "written hu $(run $build raw_to_dicom CT_small.dcm.hu.img 128 128 0 "" 0.5 40 400 hu.dcm)" >> status.txt
  echo "written mu $(run $build raw_to_dicom CT_small.dcm.mu.img 128 128 1 0.19 0.78125 -600 1500 mu.dcm)" >> status.txt
  echo "read back $(run $build dicom_to_raw mu.dcm 1 0 "" back.img)" >> status.txt
done
cd "$out"
status=0
for file in native/*; do
  name=${file#native/}
  if cmp -s "$file" "cross/$name"; then echo "identical $name"; else echo "DIFFERENT $name"; status=1; fi
done
[ "$(ls native | wc -l)" = "$(ls cross | wc -l)" ] || { echo "the builds wrote different files:"; ls native cross; status=1; }
grep -q "JPEG2000.dcm hu 1" native/status.txt || { echo "JPEG 2000 was not refused"; status=1; }
[ "$(ls native | wc -l)" -ge 16 ] || { echo "too few files written"; status=1; }
exit $status
