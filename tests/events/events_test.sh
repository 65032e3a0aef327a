#!/usr/bin/env bash
# The demo chain twice, without events and with CT_EVENTS: the same console
# logs and the same files. The events of every step are then checked against
# the files (check_events.py); a run on a missing input ends with its cause;
# --check-answers names what a run would read and write and touches nothing.
# Usage: events_test.sh SOURCE_DIR BIN_DIR OUT_DIR PYTHON
set -euo pipefail
source_dir=$1 bin=$2 out=$3 python=$4
here=$(dirname "$0")
rm -rf "$out" && mkdir -p "$out"

"$source_dir/scripts/demo" --no-setup --bin "$bin" --out "$out/plain" > "$out/plain.log" 2>&1 \
  || { cat "$out/plain.log"; echo "events_test: the demo failed"; exit 1; }
CT_EVENTS="$out/events.jsonl" "$source_dir/scripts/demo" --no-setup --bin "$bin" --out "$out/events" \
  > "$out/events.log" 2>&1 || { cat "$out/events.log"; echo "events_test: the demo with CT_EVENTS failed"; exit 1; }

count=$("$source_dir/tests/demo/same_outputs.sh" "$out/plain" "$out/events") || { echo "events_test: $count"; exit 1; }
for log in "$out"/plain/logs/*.log "$out"/plain/logs/*.err; do
  [[ $log == */tutorial.log ]] && continue   # the notebook's run, with its own timings
  cmp -s "$log" "$out/events/logs/$(basename "$log")" || { echo "events_test: $(basename "$log") differs with events"; exit 1; }
done
"$python" "$here/check_events.py" chain "$out/events.jsonl" "$out/events"

# A missing input: exit status 1, and the cause in the events.
mkdir -p "$out/missing" && cd "$out/missing"
status=0
printf 'missing.img\n' | CT_LANG=en CT_EVENTS=missing.jsonl "$bin/raysum" > /dev/null 2> err.txt || status=$?
[ $status -eq 1 ] || { echo "events_test: a missing input ended with $status"; exit 1; }
"$python" "$here/check_events.py" failure missing.jsonl missing.img cannot_open

# --check-answers: the planned input and output, nothing written, nothing shown but events.
mkdir -p "$out/check" && cd "$out/check"
cp "$out/events/n3-2.img" . && touch -d '2020-01-01' n3-2.img
before=$(ls -l --time-style=full-iso)
"$bin/raysum" --check-answers < "$source_dir/examples/answers/02_raysum.txt" > check.jsonl
mv check.jsonl ../check.jsonl
[ "$(ls -l --time-style=full-iso)" = "$before" ] || { echo "events_test: --check-answers touched a file"; exit 1; }
"$python" "$here/check_events.py" check ../check.jsonl n3-2.img n3-2.prj
# Answers that end early: the defaults, as the run would take them.
printf 'n3-2.img\n' | "$bin/raysum" --check-answers > ../early.jsonl
"$python" "$here/check_events.py" early ../early.jsonl

# A sweep's image series planned from its answers (levels 10, 20, 30 dB), not from its defaults.
printf 'x.txt\ny.txt\n64\n64\n10\n10\n3\n' | "$bin/noise_spectrum_sweep" --check-answers > ../series.jsonl
"$python" "$here/check_events.py" series ../series.jsonl n4-5_10dB.img n4-5_20dB.img n4-5_30dB.img

# An events file that cannot be opened: one warning more, the run as without events.
cd "$out/events"
plain_status=0 events_status=0
"$bin/transfer_curve" < "$source_dir/examples/answers/17_transfer_curve.txt" > ../plain.out 2> ../plain.err || plain_status=$?
cp n4-3.txt ../n4-3.plain
CT_EVENTS=/nonexistent/folder/events.jsonl "$bin/transfer_curve" < "$source_dir/examples/answers/17_transfer_curve.txt" \
  > ../events.out 2> ../events.err || events_status=$?
[ $plain_status -eq $events_status ] && cmp -s ../plain.out ../events.out && cmp -s ../n4-3.plain n4-3.txt \
  || { echo "events_test: an unopenable events file changed the run"; exit 1; }
[ "$(grep -vc '/nonexistent/folder/events.jsonl' ../events.err)" = "$(wc -l < ../plain.err)" ] \
  || { echo "events_test: an unopenable events file should add one warning and nothing else"; exit 1; }
echo "events_test: $count outputs the same with events; every step's events agree with its files"
