#!/usr/bin/env bash
# The installed suite, as a lab machine would have it: `cmake --install` into
# a scratch prefix, then the Debian package unpacked into a scratch root. Both
# must hold every tool and man page and run the start of the chain from the
# installed example files.
# Usage: install_test.sh SOURCE_DIR BUILD_DIR SCRATCH_DIR
set -euo pipefail
source=$1 build=$2 scratch=$3
rm -rf "$scratch"; mkdir -p "$scratch"
tools=$(find "$build/bin" -maxdepth 1 -type f -perm -u+x | wc -l)   # build/bin holds the tools alone
fail() { echo "install_test: $*"; exit 1; }

# check_tree ROOT: tools, man pages, documents, and the chain's first steps.
check_tree() {
  local root=$1 doc=$1/share/doc/ct-teaching-tools
  local n_bin n_man
  n_bin=$(find "$root/bin" -maxdepth 1 -type f -perm -u+x | wc -l)
  [ "$n_bin" -eq "$tools" ] || fail "$root/bin holds $n_bin programs, not $tools"
  for section in man1 ja/man1; do   # English, and Japanese as Debian places it
    n_man=$(find "$root/share/man/$section" -name '*.1*' | wc -l)
    [ "$n_man" -eq "$tools" ] || fail "$root/share/man/$section holds $n_man pages, not $tools"
  done
  [ -s "$doc/README.md" ] && [ -s "$doc/examples/n3-2.txt" ] && [ -s "$doc/examples/answers/02_raysum.txt" ] \
    || fail "$doc lacks the README or the examples"
  local run=$scratch/run-$(basename "$root")
  mkdir -p "$run" && cp "$doc/examples/n3-2.txt" "$run/"
  (cd "$run" && "$root/bin/oval_stack" < "$doc/examples/answers/01_oval_stack.txt" > oval.log 2>&1 \
     && "$root/bin/raysum" < "$doc/examples/answers/02_raysum.txt" > raysum.log 2>&1) \
    || fail "oval_stack or raysum from $root/bin failed"
  [ "$(stat -c %s "$run/n3-2.img")" -eq 262144 ] && [ "$(stat -c %s "$run/n3-2.prj")" -eq 262144 ] \
    || fail "the installed tools wrote no 256 x 256 phantom and sinogram"
  cmp -s "$run/n3-2.prj" "$scratch/reference.prj" || fail "$root/bin/raysum differs from the build's"
}

cmake --install "$build" --prefix "$scratch/prefix" > "$scratch/install.log" || fail "cmake --install failed"
# The build's own tools give the reference sinogram.
ref=$scratch/reference answers=$source/examples/answers
mkdir -p "$ref" && cp "$source/examples/n3-2.txt" "$ref/"
(cd "$ref" && "$build/bin/oval_stack" < "$answers/01_oval_stack.txt" && "$build/bin/raysum" < "$answers/02_raysum.txt") \
  > /dev/null 2>&1 || fail "the build's oval_stack or raysum failed"
cp "$ref/n3-2.prj" "$scratch/reference.prj"

check_tree "$scratch/prefix"

# Every page is compressed, renders without a warning as man -l shows it,
# has a NAME line that whatis shows clean, and names the documentation
# under the prefix it was installed into.
check_pages() {
  local root=$1 page name
  for page in "$root"/share/man/man1/*.1.gz "$root"/share/man/ja/man1/*.1.gz; do
    name=$(basename "$page" .1.gz)
    warnings=$(zcat "$page" | groff -ww -k -man -Tutf8 -z 2>&1)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    lexgrog "$page" | grep -qx "$page: \"$name - [^\\]*\"" || fail "$(basename "$page"): NAME line $(lexgrog "$page")"
    zcat "$page" | grep -qF "$2/share/doc/ct-teaching-tools/README.md" || fail "$(basename "$page") does not name $2's README"
  done
  MANWIDTH=80 man -l "$root/share/man/man1/raysum.1.gz" 2>/dev/null | grep -q 'SYNOPSIS' \
    || fail "man -l raysum.1.gz shows no SYNOPSIS"
  LC_ALL=C.UTF-8 zcat "$root/share/man/man1/raysum.1.gz" | LC_ALL=C grep -q '[^[:print:][:space:]]' \
    && fail "the English raysum.1.gz holds bytes beyond ASCII"
  zcat "$root/share/man/ja/man1/raysum.1.gz" | grep -q '線減弱係数' || fail "ja/man1/raysum.1.gz is not the Japanese page"
}
check_pages "$scratch/prefix" "$scratch/prefix"

# The Debian package: its fields, then its contents unpacked and run.
(cd "$build" && cpack -G DEB -B "$scratch/package" > "$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$(find "$scratch/package" -maxdepth 1 -name '*.deb' | head -n 1)
[ -n "$deb" ] || fail "cpack made no .deb"
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in *libc6*) ;; *) fail "Depends lacks libc6: $depends" ;; esac
if ldd "$build/bin/raw_to_png" | grep -q libpng; then
  case $depends in *libpng*) ;; *) fail "Depends lacks libpng: $depends" ;; esac
fi
[ "$(dpkg-deb -f "$deb" Section)" = science ] || fail "Section is not science"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
dpkg-deb -x "$deb" "$scratch/root"
check_tree "$scratch/root/usr"
check_pages "$scratch/root/usr" /usr
[ -s "$scratch/root/usr/share/ct-teaching-tools/tools.json" ] || fail "the package lacks tools.json"

# The installed demo runs its chain from the unpacked package alone.
PATH=/usr/bin:/bin "$scratch/root/usr/share/ct-teaching-tools/demo" --out "$scratch/demo" > "$scratch/demo.log" 2>&1 \
  || { cat "$scratch/demo.log"; fail "the installed demo failed"; }
[ -s "$scratch/demo/index.html" ] || fail "the installed demo wrote no page"
# And a lesson from Python, its tools and lessons found from the module's
# place, where the build packages the Python modules (not the WebAssembly one).
if compgen -G "$scratch/root/usr/lib/python3/dist-packages/cttools*" > /dev/null; then
  PATH=/usr/bin:/bin PYTHONPATH="$scratch/root/usr/lib/python3/dist-packages" /usr/bin/python3 -m ctlesson resolution \
    "$scratch/lesson" > "$scratch/lesson.log" 2>&1 || { cat "$scratch/lesson.log"; fail "ctlesson of the package failed"; }
  [ -s "$scratch/lesson/mtf_smooth.txt" ] || fail "ctlesson of the package wrote no MTF"
fi
echo "install_test: $tools tools and man pages installed and packaged ($(basename "$deb"): Depends $depends)"
