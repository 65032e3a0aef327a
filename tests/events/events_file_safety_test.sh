#!/usr/bin/env bash
# CT_EVENTS where it could hurt: a fifo nobody reads (the run must not wait
# for ever), a file that takes no bytes (/dev/full), and a name that is one
# of the run's own files (the learner's input must not get JSON appended).
# Each time the run's console, files and exit status stay as without
# events, and standard error says once what happened to the events.
# Also an answer of exactly 255 bytes, which leaves its line end to the next
# question: a warning, the bytes written as ever.
# Usage: events_file_safety_test.sh BIN_DIR OUT_DIR PYTHON
set -euo pipefail
bin=$1 out=$2 python=$3
rm -rf "$out" && mkdir -p "$out" && cd "$out"
fail() { echo "events_file_safety_test: $*"; exit 1; }

# A small sinogram of counts to attenuate: 8 bins x 4 angles of zeros.
head -c 128 /dev/zero > in.prj
answers=$'in.prj\nout.prj\n8\n4\n2000\n'

# The run without events, to compare with.
printf '%s' "$answers" | CT_LANG=en "$bin/attenuate" > plain.out 2> plain.err
mv out.prj plain.prj

# Runs attenuate with CT_EVENTS=$1 (at most 20 s); its output must equal the plain run's.
run_with_events() {
  local events=$1 status=0
  rm -f out.prj
  printf '%s' "$answers" | CT_LANG=en CT_EVENTS="$events" timeout 20 "$bin/attenuate" > with.out 2> with.err || status=$?
  [ $status -ne 124 ] || fail "CT_EVENTS=$events: the run waited for ever"
  [ $status -eq 0 ] || fail "CT_EVENTS=$events: exit status $status"
  cmp -s plain.out with.out || fail "CT_EVENTS=$events: the console changed"
  cmp -s plain.prj out.prj || fail "CT_EVENTS=$events: the output changed"
  [ "$(grep -c 'events file' with.err)" = 1 ] || { cat with.err; fail "CT_EVENTS=$events: not one warning about the events"; }
}

mkfifo nobody_reads
run_with_events nobody_reads
grep -q 'no process reads' with.err || { cat with.err; fail "a fifo without a reader is not named as such"; }

# Under node (the WebAssembly launchers) emscripten's file system reports
# no failed write to the program and writes a fifo at positions, which
# fails: no warning can be given there, and a fifo gets no events.
under_node=no
! head -n 1 "$bin/attenuate" | grep -q node || under_node=yes
if [ -w /dev/full ] && [ $under_node = no ]; then
  run_with_events /dev/full
  grep -q 'cannot write to the events file' with.err || { cat with.err; fail "/dev/full: no write warning"; }
fi

cp in.prj in.before
run_with_events in.prj
cmp -s in.prj in.before || fail "events were appended to the run's input"
run_with_events ./out.prj
cmp -s plain.prj out.prj || fail "events were appended to the run's output"

# A reader that is there: the events arrive whole. This shell holds the
# fifo open for reading (and writing, so that opening it never waits) while
# the run writes less than a pipe holds; then what arrived is read.
mkfifo someone_reads
if [ $under_node = no ]; then
exec 3<> someone_reads
rm -f out.prj
printf '%s' "$answers" | CT_EVENTS=someone_reads timeout 20 "$bin/attenuate" > /dev/null 2>&1 \
  || fail "a fifo with a reader failed"
"$python" - <<'PY' 3<&3
import json, os
os.set_blocking(3, False)
data = b""
while True:
    try:
        chunk = os.read(3, 65536)
    except BlockingIOError:
        break
    if not chunk:
        break
    data += chunk
events = [json.loads(line) for line in data.decode("utf-8").splitlines()]
kinds = [e["event"] for e in events]
assert kinds[0] == "start" and kinds[-1] == "end" and kinds.count("answer") == 5, kinds
PY
exec 3<&-
fi

# An answer of exactly 255 bytes: the line end left over answers the next
# question (its default, as ever), and the dialogue says so.
name=$(printf 'n%.0s' $(seq 1 251)).prj
printf '%s\n%s\n8\n4\n2000\n' "$name" | CT_LANG=en CT_EVENTS=long.jsonl "$bin/attenuate" --check-answers > long_check.jsonl
printf '%s\nout.prj\n8\n4\n2000\n' "$name" | CT_LANG=en CT_EVENTS=long.jsonl "$bin/attenuate" > long.out 2> long.err \
  || true
grep -q 'fills all 255 bytes' long.err || { cat long.err; fail "no warning for an answer of 255 bytes"; }
"$python" - long_check.jsonl <<'PY'
import json, sys
events = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
first = next(e for e in events if e["event"] == "answer" and e["number"] == 1)
assert first["warning"]["kind"] == "line_full", first
second = next(e for e in events if e["event"] == "answer" and e["number"] == 2)
assert second["line"] == "" and second["default"], second   # the line end, taken as Enter
PY
# One byte less takes its line end with it: no warning.
short=$(printf 'n%.0s' $(seq 1 250)).prj
printf '%s\nout.prj\n8\n4\n2000\n' "$short" | CT_LANG=en "$bin/attenuate" > /dev/null 2> short.err || true
! grep -q 'fills all' short.err || fail "an answer of 254 bytes was warned about"
echo "events_file_safety_test: fifo, /dev/full, the run's own files and a 255-byte answer handled"
