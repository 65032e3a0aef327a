#!/usr/bin/env bash
# Runs the demo chain in English and in Japanese: every image, sinogram and
# table has the same bytes, the English logs hold nothing beyond ASCII, and
# the Japanese logs are UTF-8 text.
# Usage: languages_test.sh SOURCE_DIR BIN_DIR OUT_DIR
set -euo pipefail
source_dir=$1 bin=$2 out=$3
rm -rf "$out"  # the test's own folder in the build tree, made afresh

for lang in en ja; do
  "$source_dir/scripts/demo" --no-setup --lang "$lang" --bin "$bin" --out "$out/$lang" > "$out.$lang.log" 2>&1 \
    || { cat "$out.$lang.log"; echo "languages_test: the demo failed in $lang"; exit 1; }
done

count=$("$(dirname "$0")/same_outputs.sh" "$out/en" "$out/ja") || { echo "languages_test: $count"; exit 1; }

for log in "$out"/en/logs/*.log "$out"/en/logs/*.err; do
  [[ $log == */tutorial.log ]] && continue
  if LC_ALL=C grep -q '[^[:print:][:space:]]' "$log"; then
    echo "languages_test: $(basename "$log") holds bytes beyond ASCII in English:"; LC_ALL=C grep -n '[^[:print:][:space:]]' "$log" | head -3
    exit 1
  fi
done
iconv -f UTF-8 -t UTF-8 "$out"/ja/logs/*.log > /dev/null || { echo "languages_test: a Japanese log is not UTF-8"; exit 1; }
grep -q '線減弱係数' "$out/ja/logs/02_raysum.log" || { echo "languages_test: the Japanese log of raysum is not Japanese"; exit 1; }
grep -q 'linear attenuation coefficients' "$out/en/logs/02_raysum.log" || { echo "languages_test: no English title"; exit 1; }
echo "languages_test: $count outputs, the same bytes in English and in Japanese; the English logs are ASCII"
