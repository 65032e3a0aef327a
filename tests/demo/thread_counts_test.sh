#!/usr/bin/env bash
# Runs the demo chain with one thread and with three (more than this
# machine's cores, fewer than the sweeps' realisations) and expects every
# image, sinogram and table to have the same bytes.
# Usage: thread_counts_test.sh SOURCE_DIR BIN_DIR OUT_DIR
set -euo pipefail
source_dir=$1 bin=$2 out=$3
rm -rf "$out"  # the test's own folder in the build tree, made afresh

for threads in 1 3; do
  OMP_NUM_THREADS=$threads "$source_dir/scripts/demo" --no-setup --bin "$bin" --out "$out/$threads" \
    > "$out.$threads.log" 2>&1 || { cat "$out.$threads.log"; echo "thread_counts_test: the demo failed"; exit 1; }
done

count=$("$(dirname "$0")/same_outputs.sh" "$out/1" "$out/3") || { echo "thread_counts_test: $count"; exit 1; }
echo "thread_counts_test: $count outputs, the same bytes with 1 and 3 threads"
