#!/usr/bin/env bash
# The scripts a learner starts by hand print their usage for --help and -h
# on standard output with status 0, and refuse an unknown argument with
# status 2, pointing to --help. A tool's --help or --version that cannot be
# written (a full disk) fails instead of passing for success.
# Usage: help_test.sh SOURCE_DIR BIN_DIR
set -euo pipefail
source_dir=$1 bin=$2
fail() { echo "help_test: $*"; exit 1; }
for script in demo plot_table lesson_plan; do
  for option in --help -h; do
    out=$("$source_dir/scripts/$script" "$option" 2> /dev/null) || fail "$script $option failed"
    grep -q "scripts/$script" <<< "$out" || fail "$script $option printed no usage: $out"
  done
  status=0; "$source_dir/scripts/$script" --frobnicate > /dev/null 2>&1 || status=$?
  [ $status -eq 2 ] || fail "$script --frobnicate ended with status $status"
done
status=0; err=$("$source_dir/scripts/demo" --frobnicate 2>&1 >/dev/null) || status=$?
grep -q -- "--help" <<< "$err" || fail "the demo's refusal does not point to --help: $err"
for option in --help --version; do
  status=0; "$bin/box_smooth" "$option" > /dev/full 2> /dev/null || status=$?
  [ $status -eq 1 ] || fail "box_smooth $option to a full disk ended with status $status"
done
echo "help_test: demo, plot_table and lesson_plan print their usage; a tool's unwritten --help fails"
