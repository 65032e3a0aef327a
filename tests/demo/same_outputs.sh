#!/usr/bin/env bash
# Compares every image, sinogram and table of two runs of the demo chain byte
# for byte: names each file that differs, then prints the number compared.
# Usage: same_outputs.sh DIR_A DIR_B   (exit status 1 when a file differs
# or fewer than 40 were compared)
set -euo pipefail
a=$1 b=$2
count=0 differ=0
while read -r file; do
  count=$((count + 1))
  cmp -s "$a/$file" "$b/$file" || { echo "$file differs"; differ=1; }
done < <(cd "$a" && find . -maxdepth 1 -type f \( -name '*.img' -o -name '*.prj' -o -name '*.txt' \) | sort)
[ $differ -eq 0 ] || exit 1
[ $count -ge 40 ] || { echo "only $count outputs compared"; exit 1; }
echo "$count"
