#!/usr/bin/env bash
# Runs lessons with the native build's tools and with a cross build's (the
# WebAssembly launchers under node, or the .exe files under wine), and
# compares every file they write (compare_outputs.sh: identical bytes, or
# float32 rounding): the tools beyond the demo chain (fan beams, iterative
# methods, detectability trials) held to the native bytes in every build.
# A LESSON_ID:LIMIT compares within another relative RMS: the view angles'
# cosines come from each build's C library (glibc, musl, MinGW's), which
# differ in the last bit for some angles, and twenty iterations of SART-TV,
# whose TV step divides by the gradient's norm, carry that to a few parts in
# a million (4.3e-6 measured) where a single pass stays within float32's.
# Usage: lessons_match_test.sh SOURCE_DIR web|windows CROSS_BIN NATIVE_BIN OUT_DIR LESSON_ID[:LIMIT]...
set -euo pipefail
source_dir=$1 kind=$2 cross_bin=$3 native_bin=$4 out=$5
shift 5

if [ ! -x "$native_bin/raysum" ]; then
  echo "lessons_match_test: SKIPPED: the native build is missing ($native_bin; scripts/build tools makes it)"
  exit 77
fi
for lesson in "$@"; do
  id=${lesson%%:*} limit=1e-6
  [ "$id" = "$lesson" ] || limit=${lesson#*:}
  for build in native "$kind"; do
    options=(--bin "$native_bin")
    [ "$build" = native ] || options=(--bin "$cross_bin")
    [ "$build" = windows ] && options=(--windows "${options[@]}")
    rm -rf "${out:?}/$id-$build"   # this test's own folder in the build tree, made afresh
    OMP_NUM_THREADS=1 "$source_dir/scripts/demo" --no-setup "${options[@]}" --lesson "$source_dir/lessons/$id.json" \
      --out "$out/$id-$build" > "$out/$id-$build.log" 2>&1 || {
      cat "$out/$id-$build.log"; echo "lessons_match_test: $id failed with the $build tools"; exit 1; }
  done
  echo "== $id"
  bash "$source_dir/tests/windows/compare_outputs.sh" "$out/$id-native" "$out/$id-$kind" "$limit"
done
