#!/usr/bin/env bash
# pip install . from a copy of the checkout into a fresh virtual environment
# with Debian's setuptools and pybind11 (--system-site-packages,
# --no-build-isolation), with no package index and no pip configuration:
# nothing may be downloaded. Then the installed module, imported from the
# environment, passes the module's own tests against the tools.
# Usage: pip_install_test.sh SOURCE_DIR SCRATCH_DIR PYTHON TOOLS_DIR
set -euo pipefail
source_dir=$1 scratch=$2 python=$3 tools=$4
fail() { echo "pip_install_test: $*"; exit 1; }
rm -rf "$scratch"
mkdir -p "$scratch/checkout"

# The checkout's files as a clone would hold them (with changes not yet committed).
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$scratch/checkout")
"$python" -m venv --system-site-packages "$scratch/venv"
status=0
(cd "$scratch" && PIP_CONFIG_FILE=/dev/null PIP_NO_INDEX=1 PIP_DISABLE_PIP_VERSION_CHECK=1 \
   "$scratch/venv/bin/python" -m pip install --no-build-isolation --no-index ./checkout) > "$scratch/pip.log" 2>&1 ||
  status=$?
[ $status -eq 0 ] || { cat "$scratch/pip.log"; fail "pip install failed"; }
! grep -qi "downloading\|https\?://" "$scratch/pip.log" || { cat "$scratch/pip.log"; fail "pip reached for the network"; }

cd "$scratch"
installed=$("$scratch/venv/bin/python" -c "import cttools; print(cttools.__file__)")
[[ $installed == "$scratch/venv/"* ]] || fail "cttools came from $installed, not from the environment"
version=$(sed -n 's/^project([a-z_]* VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[ "$("$scratch/venv/bin/python" -c "import cttools; print(cttools.__version__)")" = "$version" ] ||
  fail "cttools.__version__ is not the project's $version"
# ctlesson beside it, with the suite's lessons and their schemas in the environment.
lessons=$(env -u PYTHONPATH "$scratch/venv/bin/python" -c "import ctlesson; print(ctlesson.suite_folder('lessons'))")
[[ $lessons == "$scratch/venv/"* && -f $lessons/lesson.schema.json ]] ||
  fail "ctlesson finds the lessons in $lessons, not in the environment"
env -u PYTHONPATH CT_TOOLS="$tools" CT_EXAMPLES="$source_dir/examples" PYTHONDONTWRITEBYTECODE=1 \
  "$scratch/venv/bin/python" -m pytest -q -p no:cacheprovider "$source_dir/python/tests/test_cttools.py" \
  "$source_dir/python/tests/test_lessons.py"
echo "pip_install_test: installed $installed, version $version"
