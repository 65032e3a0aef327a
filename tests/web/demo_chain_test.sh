#!/usr/bin/env bash
# Runs the demo chain twice, with the native build's tools and with the
# WebAssembly build's launchers under node, and compares every file written
# (tests/windows/compare_outputs.sh: identical bytes, or float32 rounding).
# Usage: demo_chain_test.sh SOURCE_DIR WEB_BIN NATIVE_BIN OUT_DIR
set -euo pipefail
source_dir=$1 web_bin=$2 native_bin=$3 out=$4

if [ ! -x "$native_bin/raysum" ]; then
  echo "demo_chain_test: SKIPPED: the native build is missing ($native_bin; scripts/build tools makes it)"
  exit 77
fi
for build in native web; do
  bin=$native_bin
  [ $build = native ] || bin=$web_bin
  rm -rf "${out:?}/demo-$build"   # this test's own folder in the build tree, made afresh
  OMP_NUM_THREADS=1 "$source_dir/scripts/demo" --no-setup --bin "$bin" --out "$out/demo-$build" \
    > "$out/demo-$build.log" 2>&1 || { cat "$out/demo-$build.log"; echo "demo_chain_test: the $build demo failed"; exit 1; }
done
bash "$source_dir/tests/windows/compare_outputs.sh" "$out/demo-native" "$out/demo-web"
