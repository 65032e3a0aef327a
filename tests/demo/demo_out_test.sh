#!/usr/bin/env bash
# `scripts/demo --out DIR` never deletes what it did not make: it refuses a
# folder holding a user's files and the checkout's root, and a second run
# into its own folder replaces only its own files, keeping the folder.
# Usage: demo_out_test.sh SOURCE_DIR BIN_DIR
set -euo pipefail
source_dir=$1 bin=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
demo() { "$source_dir/scripts/demo" --no-setup --bin "$bin" --out "$@"; }
fail() { echo "demo_out_test: $*"; exit 1; }

# A folder with a user's file in it and no marker: refused, untouched.
mkdir "$scratch/mine"
echo "my notes" > "$scratch/mine/notes.txt"
status=0; demo "$scratch/mine" > "$scratch/log" 2>&1 || status=$?
[ $status -eq 2 ] || fail "a folder with a user's file was not refused (status $status)"
[ "$(cat "$scratch/mine/notes.txt")" = "my notes" ] || fail "the user's file changed"
[ "$(ls -A "$scratch/mine")" = "notes.txt" ] || fail "the refused folder gained files: $(ls -A "$scratch/mine")"

# The checkout's root, however it is named: refused before anything is written.
status=0; demo "$source_dir/." > "$scratch/log" 2>&1 || status=$?
[ $status -eq 2 ] || fail "the checkout's root was not refused (status $status)"
[ ! -e "$source_dir/.ct_demo_output" ] || fail "the demo wrote into the checkout's root"

# Its own folder: a user's file added after a run survives the next run,
# and the folder itself is never removed.
demo "$scratch/own" > "$scratch/log" 2>&1 || { cat "$scratch/log"; fail "the demo failed in a new folder"; }
echo "kept" > "$scratch/own/mine.txt"
mkdir "$scratch/own/logs/my_folder"
echo "kept too" > "$scratch/own/logs/my_folder/note.txt"
inode=$(stat -c %i "$scratch/own")
demo "$scratch/own" > "$scratch/log" 2>&1 || { cat "$scratch/log"; fail "the second run failed"; }
[ "$(cat "$scratch/own/mine.txt")" = "kept" ] || fail "the user's file in the demo's folder was lost"
[ "$(cat "$scratch/own/logs/my_folder/note.txt")" = "kept too" ] || fail "the user's file in logs/ was lost"
[ "$(stat -c %i "$scratch/own")" = "$inode" ] || fail "the folder itself was replaced"
[ -s "$scratch/own/index.html" ] || fail "the second run made no page"
! grep -qx 'mine.txt' "$scratch/own/.ct_demo_output" || fail "the user's file is listed as the demo's"
echo "demo_out_test: a user's files survive, the root and foreign folders are refused"
