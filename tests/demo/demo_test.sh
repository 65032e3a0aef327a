#!/usr/bin/env bash
# Runs the demo into a scratch folder with the given tools, then checks the page.
# Usage: demo_test.sh SOURCE_DIR BIN_DIR OUT_DIR
set -euo pipefail
source_dir=$1 bin=$2 out=$3

# The folder is this test's own: an earlier demo's, or one from before the
# demo marked its folders.
rm -rf "$out"
"$source_dir/scripts/demo" --no-setup --bin "$bin" --out "$out" > "$out.log" 2>&1 || {
  cat "$out.log"; echo "demo_test: the demo failed"; exit 1; }
grep -q "demo: done" "$out.log"

# Every file the page names exists.
page=$out/index.html
missing=0 count=0
while read -r ref; do
  count=$((count + 1))
  [ -s "$out/$ref" ] || { echo "demo_test: index.html names $ref, which is missing or empty"; missing=1; }
done < <(grep -o 'src="[^"]*"' "$page" | sed 's/^src="//; s/"$//')
[ $missing -eq 0 ] || exit 1
[ $count -ge 25 ] || { echo "demo_test: only $count pictures on the page"; exit 1; }
echo "demo_test: $count pictures, all present"

# Every picture links to itself at full size.
linked=$(grep -c '<a href="\([^"]*\)"><img src="\1"' "$page" || true)
[ "$linked" -eq "$count" ] || { echo "demo_test: $linked of $count pictures link to their full size"; exit 1; }

# Every caption's command runs as written from the root of the checkout.
commands=0
while IFS= read -r command; do
  commands=$((commands + 1))
  (cd "$source_dir" && bash -c "$command" > /dev/null 2>&1) || {
    echo "demo_test: the caption's command failed from the checkout's root: $command"; exit 1; }
done < <(grep -o '<code>[^<]*</code>' "$page" | sed 's/<code>//; s/<\/code>//; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g' | sort -u)
[ $commands -ge 20 ] || { echo "demo_test: only $commands commands on the page"; exit 1; }
echo "demo_test: $commands caption commands run from the checkout's root"

# Every picture loads in a browser, when one is installed.
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "demo_test: SKIPPED the browser check: chromium is not installed (apt-get install chromium)"
  exit 0
fi
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --user-data-dir="$profile" --window-size=1200,5000)
dom=$(timeout 120 "$browser" "${flags[@]}" --virtual-time-budget=10000 --dump-dom "file://$page" 2>/dev/null)
broken=$(grep -o 'data-broken-images="[0-9]*"' <<< "$dom" | grep -o '[0-9]*' || true)
loaded=$(grep -o 'data-images="[0-9]*"' <<< "$dom" | grep -o '[0-9]*' || true)
[ -n "$broken" ] || { echo "demo_test: the page did not finish loading in the browser"; exit 1; }
[ "$broken" = 0 ] || { echo "demo_test: $broken of $loaded pictures did not load"; exit 1; }
timeout 120 "$browser" "${flags[@]}" --screenshot="$out/screenshot.png" "file://$page" >/dev/null 2>&1
[ -s "$out/screenshot.png" ] || { echo "demo_test: no screenshot"; exit 1; }
echo "demo_test: all $loaded pictures loaded in $browser; screenshot $out/screenshot.png"
