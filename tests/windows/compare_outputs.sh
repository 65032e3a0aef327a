#!/usr/bin/env bash
# Compares the files that the tools wrote in two runs of the demo chain, the
# Linux build's and the Windows build's. A file passes when its bytes are
# identical, or when its numbers differ only by float32 rounding: relative
# RMS sqrt(sum (w - l)^2 / sum l^2) at most 1e-6 over every sample of a raw
# file (32-bit floats) or every number of a table, whose text apart from the
# numbers must be identical. A NaN matches a NaN of either sign: the C
# libraries' log of a negative number differ in that bit alone. Pictures,
# the page and the console logs are not the tools' results and are left out.
#
# Usage: compare_outputs.sh LINUX_DIR WINDOWS_DIR [LIMIT]
# (LIMIT: another bound of the relative RMS, for results that iterate on
# numbers the C libraries give in the last bit.)
# Prints one line per file and a summary; exit status 1 when a file fails.
set -euo pipefail
linux=$1 windows=$2
limit=${3:-1e-6}

# The relative RMS of two columns of numbers on standard input, or "text"
# when a non-number differs, or "length" when the counts differ.
relative_rms() {
  LC_ALL=C awk -F'\t' -v limit="$limit" '
    function finite(x) { return x ~ /^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$/ }
    NF != 2 { print "length"; bad = 1; exit }
    {
      if (finite($1) && finite($2)) { d = $2 - $1; diff += d * d; norm += $1 * $1; next }
      if ($1 ~ /^-?nan$/ && $2 ~ /^-?nan$/) next
      if ($1 != $2) { print "text"; bad = 1; exit }
    }
    END {
      if (bad) exit
      if (diff == 0) { printf "%.3g\n", 0; exit }
      if (norm == 0) { print "inf"; exit }
      printf "%.3g\n", sqrt(diff / norm)
    }'
}

# One value per line: the samples of a raw file, or the cells of a table.
samples() { od -An -v -tf4 "$1" | tr -s ' ' '\n' | sed '/^$/d'; }
cells() { tr '\t' '\n' < "$1"; }

identical=0 close=0 failed=0
while IFS= read -r -d '' file; do
  name=${file#"$linux"/}
  other=$windows/$name
  if [ ! -f "$other" ]; then
    echo "MISSING   $name"; failed=$((failed + 1)); continue
  fi
  if cmp -s "$file" "$other"; then
    echo "identical $name"; identical=$((identical + 1)); continue
  fi
  case $name in
    *.img | *.prj)
      [ "$(stat -c %s "$file")" = "$(stat -c %s "$other")" ] || { echo "FAILED    $name: sizes differ"; failed=$((failed + 1)); continue; }
      rms=$(paste <(samples "$file") <(samples "$other") | relative_rms || true) ;;
    *) rms=$(paste <(cells "$file") <(cells "$other") | relative_rms || true) ;;
  esac
  if [ "$rms" = 0 ]; then
    echo "close     $name: the same numbers, NaNs of the other sign"; close=$((close + 1))
  elif [[ $rms =~ ^[0-9.e+-]+$ ]] && LC_ALL=C awk -v r="$rms" -v l="$limit" 'BEGIN { exit !(r <= l) }'; then
    echo "close     $name: relative RMS $rms"; close=$((close + 1))
  else
    echo "FAILED    $name: $rms"; failed=$((failed + 1))
  fi
done < <(find "$linux" -maxdepth 1 -type f ! -name '*.html' ! -name 'n3-2.txt' ! -name '.*' -print0 | sort -z)
echo "compare_outputs: $identical identical, $close within float32 rounding, $failed failed"
[ $((identical + close)) -gt 0 ] && [ $failed -eq 0 ]
