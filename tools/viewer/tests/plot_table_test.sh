#!/usr/bin/env bash
# scripts/plot_table on small synthetic tables: every kind of table gives a
# PNG, the numbers plotted are those of the table, and bad input fails
# without leaving a picture. Exit 77 (skipped) when gnuplot is absent.
set -uo pipefail

plot_table=$1
if ! command -v gnuplot >/dev/null; then
  echo "SKIPPED: gnuplot is not installed (Debian package gnuplot-nox; scripts/setup installs it)"
  exit 77
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/plot_table_test.XXXXXX")
trap 'rm -rf -- "$dir"' EXIT
cd "$dir" || exit 1

passed=0 failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
is_png() { [ -s "$1" ] && [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }
same_text() { diff <(printf '%b' "$2") "$1" >/dev/null || { echo "--- $1 holds:"; cat "$1"; false; }; }
fails_with() {  # fails_with STATUS ARGS...: the script ends with STATUS and one message
  local want=$1
  shift
  "$plot_table" "$@" 2>err.txt
  local status=$?
  [ "$status" -eq "$want" ] && [ -s err.txt ] || { echo "status $status, stderr: $(cat err.txt)"; false; }
}
no_leftovers() { [ -z "$(find . -name '.plot_table.*')" ]; }

# One column with an abscissa step given as arithmetic: x = i / (2·4·0.1).
printf '1.000000\n0.500000\n0.250000\n0.125000\n' > mtf.txt
check "one-column table plots" "$plot_table" -t MTF -y MTF -s '1/(2*4*0.1)' -d mtf.tsv mtf.txt mtf.png
check "one-column picture is a PNG" is_png mtf.png
check "one-column abscissas" same_text mtf.tsv \
  'x\tvalue\n0\t1.000000\n1.25\t0.500000\n2.5\t0.250000\n3.75\t0.125000\n'

# %e values, not-a-number cells and DOS line ends; a first abscissa and a key.
printf '1.000000e+00\r\n-nan\r\n2.500000e-01\r\ninf\r\n' > lsf.txt
check "odd values plot" "$plot_table" -x pixels -s 0.5 -f '-2*0.5' -k LSF -d lsf.tsv lsf.txt lsf.png
check "odd values picture is a PNG" is_png lsf.png
check "odd values become NaN" same_text lsf.tsv \
  'x\tLSF\n-1\t1.000000e+00\n-0.5\tNaN\n0\t2.500000e-01\n0.5\tNaN\n'

# A grid in Shift_JIS as the sweep tools write it: one curve per row; on a
# logarithmic axis a 0 cannot be drawn. A short row lacks its last value.
{
  printf '\x8e\xfc\x94\x67\x90\x94\t0.019531\t0.039062\t0.058594\n'
  printf '5dB\t3.162278e-01\t1.581139e-01\t1.054093e-01\n'
  printf '10dB\t1.000000e-01\t0.000000e+00\t3.333333e-02\n'
  printf 'W4(u)\t1.000000e-02\t5.000000e-03\n'
} > grid.txt
check "grid table plots" "$plot_table" -t "NNPS x" -l -X 0:0.05 -Y 1e-4: -d grid.tsv grid.txt grid.png
check "grid picture is a PNG" is_png grid.png
check "grid transposed, one column per row" same_text grid.tsv \
  'frequency\t5dB\t10dB\tW4(u)\n0.019531\t3.162278e-01\t1.000000e-01\t1.000000e-02\n0.039062\t1.581139e-01\tNaN\t5.000000e-03\n0.058594\t1.054093e-01\t3.333333e-02\tNaN\n'
# The same grid with its header converted to UTF-8, on a linear axis.
iconv -f CP932 -t UTF-8 grid.txt > grid_utf8.txt
check "UTF-8 grid plots" "$plot_table" -d utf8.tsv grid_utf8.txt utf8.png
check "UTF-8 grid picture is a PNG" is_png utf8.png
check "linear axis keeps the 0" grep -q $'^0.039062\t1.581139e-01\t0.000000e+00\t' utf8.tsv

# An existing picture is replaced whole; a failed run keeps it.
printf 'old' > kept.png
check "replacing a picture" "$plot_table" mtf.txt kept.png
check "replaced picture is a PNG" is_png kept.png
cp kept.png before.png
check "missing table fails" fails_with 1 no_such.txt kept.png
check "failed run keeps the old picture" cmp -s kept.png before.png

# Tables without anything to draw, bad arguments, unwritable pictures.
: > empty.txt
check "empty table fails" fails_with 1 empty.txt empty.png
printf '\x8e\xfc\x94\x67\x90\x94\n5dB\n10dB\n' > no_bins.txt
check "grid without frequencies fails" fails_with 1 no_bins.txt no_bins.png
printf '0\n-1\n' > nothing_positive.txt
check "nothing drawable on a log axis fails" fails_with 1 -l nothing_positive.txt log.png
check "step with a command fails" fails_with 2 -s '$(touch hacked)' mtf.txt bad.png
check "step of letters fails" fails_with 2 -s 'exp(1)' mtf.txt bad.png
check "step of 1/0 fails" fails_with 2 -s '1/0' mtf.txt bad.png
check "range without colon fails" fails_with 2 -X 0.5 mtf.txt bad.png
check "unknown option fails" fails_with 2 -q mtf.txt bad.png
check "missing operand fails" fails_with 2 mtf.txt
check "picture in a missing folder fails" fails_with 1 mtf.txt no/such/dir.png
check "no picture after failures" test ! -e empty.png -a ! -e no_bins.png -a ! -e log.png -a ! -e bad.png
check "no command ran" test ! -e hacked
check "no temporary files left" no_leftovers

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
