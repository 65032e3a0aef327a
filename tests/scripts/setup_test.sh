#!/usr/bin/env bash
# scripts/setup against stand-ins for id, dpkg-query and apt-get: a package
# whose triggers are pending counts as installed, a held lock is waited for
# (and said so) until it is free or the wait is over, and any other failure
# of apt-get ends setup at once.
# Usage: setup_test.sh SOURCE_DIR SCRATCH_DIR
set -euo pipefail
source_dir=$1 scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch/bin"
fail() { echo "setup_test: $*"; exit 1; }

# dpkg-query answers from statuses.txt ("package status" lines; not listed:
# installed); apt-get logs its calls and fails with apt's lock message as
# long as lock_tries_left says, or with failure.txt's text when it exists.
cat > "$scratch/bin/id" <<'STANDIN'
#!/bin/sh
echo 0
STANDIN
cat > "$scratch/bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
package=${*: -1}
status=$(awk -v p="$package" '$1 == p { $1 = ""; print substr($0, 2) }' "$STANDIN_DIR/statuses.txt")
printf '%s' "${status:-install ok installed}"
STANDIN
cat > "$scratch/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "$*" >> "$STANDIN_DIR/calls.txt"
if [ -f "$STANDIN_DIR/failure.txt" ]; then cat "$STANDIN_DIR/failure.txt" >&2; exit 100; fi
left=$(cat "$STANDIN_DIR/lock_tries_left")
if [ "$left" -gt 0 ]; then
  echo $((left - 1)) > "$STANDIN_DIR/lock_tries_left"
  echo "E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 4242 (unattended-upgr)" >&2
  echo "E: Unable to acquire the dpkg frontend lock (/var/lib/dpkg/lock-frontend), is another process using it?" >&2
  exit 100
fi
STANDIN
chmod +x "$scratch/bin/"*
export STANDIN_DIR=$scratch PATH=$scratch/bin:$PATH CT_SETUP_LOCK_POLL=0.1

# Runs setup with `lock_tries_left` lock failures of apt-get and the given
# statuses, and any further arguments.
run_setup() {
  local tries=$1 statuses=$2
  shift 2
  printf '%s\n' "$statuses" > "$scratch/statuses.txt"
  echo "$tries" > "$scratch/lock_tries_left"
  rm -f "$scratch/calls.txt"
  status=0
  "$source_dir/scripts/setup" "$@" > "$scratch/out.txt" 2> "$scratch/err.txt" || status=$?
}

run_setup 0 "gnuplot-nox install ok triggers-pending"
[ $status -eq 0 ] || fail "a package with pending triggers failed setup: $(cat "$scratch/err.txt")"
[ ! -e "$scratch/calls.txt" ] || fail "a package with pending triggers was installed again: $(cat "$scratch/calls.txt")"

run_setup 3 "cmake unknown ok not-installed"
[ $status -eq 0 ] || fail "setup failed while the lock was held for a moment: $(cat "$scratch/err.txt")"
[ "$(grep -c '^update' "$scratch/calls.txt")" -eq 4 ] || fail "apt-get update was not tried again until the lock was free"
grep -q '^install .* cmake$' "$scratch/calls.txt" || fail "cmake was not installed: $(cat "$scratch/calls.txt")"
[ "$(grep -c "waiting" "$scratch/err.txt")" -eq 1 ] || fail "setup did not say once that it waits: $(cat "$scratch/err.txt")"
grep -q "held by process 4242 (unattended-upgr)" "$scratch/err.txt" || fail "setup did not name the lock's holder"
! grep -q "^E: " "$scratch/err.txt" || fail "apt's lock errors reached the user although setup waited"

CT_SETUP_LOCK_WAIT=1 run_setup 1000 "cmake unknown ok not-installed"
[ $status -eq 100 ] || fail "setup ended with status $status when the lock stayed held"
grep -q "still held after 1 seconds" "$scratch/err.txt" || fail "no message when the wait was over: $(cat "$scratch/err.txt")"

run_setup 0 "cmake unknown ok not-installed
bochs unknown ok not-installed" --only bochs
[ $status -eq 0 ] || fail "setup --only failed: $(cat "$scratch/err.txt")"
grep -q '^install .* bochs$' "$scratch/calls.txt" || fail "setup --only did not install what it was given: $(cat "$scratch/calls.txt")"
! grep -q 'cmake' "$scratch/calls.txt" || fail "setup --only installed the build's packages too: $(cat "$scratch/calls.txt")"

echo "E: Unable to locate package cmake" > "$scratch/failure.txt"
run_setup 0 "cmake unknown ok not-installed"
[ $status -eq 100 ] || fail "setup ended with status $status when apt-get failed"
[ "$(wc -l < "$scratch/calls.txt")" -eq 1 ] || fail "setup tried again after a failure that was not the lock"
grep -q "Unable to locate package cmake" "$scratch/err.txt" || fail "apt-get's own message was lost"
echo "setup_test: pending triggers, a lock held for a moment, a lock held too long, --only and another failure all as expected"
