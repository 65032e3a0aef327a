#!/usr/bin/env bash
# Runs the demo chain twice, with the Linux build's tools and with the
# Windows build's .exe files under wine, and compares every file written.
# Usage: demo_chain_test.sh SOURCE_DIR WINDOWS_BIN LINUX_BIN OUT_DIR
set -euo pipefail
source_dir=$1 windows_bin=$2 linux_bin=$3 out=$4

if [ ! -x "$linux_bin/raysum" ]; then
  echo "demo_chain_test: SKIPPED: the Linux build is missing ($linux_bin; scripts/build tools makes it)"
  exit 77
fi
for build in linux windows; do
  options=(--bin "$linux_bin")
  [ $build = linux ] || options=(--windows --bin "$windows_bin")
  rm -rf "${out:?}/demo-$build"   # this test's own folder in the build tree, made afresh
  "$source_dir/scripts/demo" --no-setup "${options[@]}" --out "$out/demo-$build" > "$out/demo-$build.log" 2>&1 || {
    cat "$out/demo-$build.log"; echo "demo_chain_test: the $build demo failed"; exit 1; }
done
bash "$source_dir/tests/windows/compare_outputs.sh" "$out/demo-linux" "$out/demo-windows"
