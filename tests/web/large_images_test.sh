#!/usr/bin/env bash
# The WebAssembly heap grows to 4 GB. An image whose arrays lie beyond the
# first 2 GB of it is smoothed to the native build's very bytes, and one too
# large for the heap is refused with the tool's own memory message and
# status 1, without a file, where an abort would leave neither.
# Usage: large_images_test.sh WEB_BIN NATIVE_BIN SCRATCH_DIR
set -euo pipefail
web_bin=$1 native_bin=$2 scratch=$3

if [ ! -x "$native_bin/box_smooth" ]; then
  echo "large_images_test: SKIPPED: the native build is missing ($native_bin; scripts/build tools makes it)"
  exit 77
fi
rm -rf "${scratch:?}" && mkdir -p "$scratch" && cd "$scratch"
trap 'rm -f "$scratch"/*.img' EXIT
export CT_LANG=en OMP_NUM_THREADS=1

# 12000² samples: the input and the output, 1.15 GB each as doubles. The
# values: a block of 2^18 pseudo-random floats, repeated.
n=12000
awk 'BEGIN { s = 1; for (i = 0; i < 262144; ++i) { s = (s * 1103515245 + 12345) % 2147483648; printf "%.6f\n", s / 2147483648 - 0.5 } }' |
  perl -ne 'print pack("f<", $_)' > block.img
for _ in $(seq $((n * n * 4 / 1048576))); do cat block.img; done > noisy.img
head -c $((n * n * 4 % 1048576)) block.img >> noisy.img
printf 'noisy.img\nsmooth.img\n%s\n%s\n' $n $n > answers.txt
"$native_bin/box_smooth" < answers.txt > native.log 2>&1 || { cat native.log; echo "large_images_test: the native box_smooth failed"; exit 1; }
mv smooth.img native.img
"$web_bin/box_smooth" < answers.txt > web.log 2>&1 || { cat web.log; echo "large_images_test: box_smooth ${n}² failed in WebAssembly"; exit 1; }
cmp native.img smooth.img || { echo "large_images_test: box_smooth ${n}² differs from the native build"; exit 1; }

# 24000²: one array of doubles alone is 4.6 GB. The input is a sparse file.
n=24000
truncate -s $((n * n * 4)) huge.img
printf 'huge.img\nhuge_smooth.img\n%s\n%s\n' $n $n > huge.txt
status=0
"$web_bin/box_smooth" < huge.txt > huge.log 2> huge.err || status=$?
if [ $status -ne 1 ] || ! grep -q "not enough memory \[4608000000 bytes\]" huge.err || [ -e huge_smooth.img ]; then
  cat huge.err
  echo "large_images_test: box_smooth ${n}² should fail with the memory message and status 1 (status $status)"
  exit 1
fi
echo "large_images_test: ${n}² refused with the memory message; 12000² as native"
