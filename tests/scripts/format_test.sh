#!/usr/bin/env bash
# The C++ sources as clang-format writes them (.clang-format at the root):
# names every file that differs. `clang-format -i FILE` applies it.
# Usage: format_test.sh SOURCE_DIR
set -euo pipefail
cd "$1"
command -v clang-format >/dev/null || { echo "format_test: clang-format is not installed (scripts/setup installs it)"; exit 1; }
differ=0
while IFS= read -r file; do
  clang-format --dry-run --Werror "$file" 2>/dev/null || { echo "format_test: $file is not as clang-format writes it"; differ=$((differ + 1)); }
done < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find common tools python tests fuzz web english -name '*.cpp' -o -name '*.h')
[ $differ -eq 0 ] || exit 1
echo "format_test: every C++ file as clang-format writes it"
