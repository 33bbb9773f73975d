#!/usr/bin/env bash
# tests/packaging/install_test.sh BUILD_FOLDER PROJECT_VERSION: installs into
# a scratch DESTDIR, runs the program through its link in /usr/local/bin
# (the drawing, penloom.ini beside it, /2004 through the plug-in, /HELP, the
# banner's version), checks the man page against the HTML manual, and
# uninstalls again, leaving nothing but a file of the user's own.
set -euo pipefail

build=$(cd "$1" && pwd)
version=$2
source_root=$(cd "$(dirname "$0")/../.." && pwd)
install_tree=$source_root/scripts/install-tree

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
scratch=$(cd "$scratch" && pwd -P)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_contains() {  # NAME FILE TEXT
  grep -qF -- "$3" "$2" || fail "$1: '$3' not in $2"
}

run_install() {  # DESTDIR COMMAND
  BUILD=$build PREFIX=/usr/local DESTDIR=$1 "$install_tree" "$2" >/dev/null
}

# The installed program sees neither a display nor a PENLOOM_HOME, so it has
# to find its folder through /proc/self/exe behind the link.
run_installed() {  # DESTDIR STDOUT_FILE ARGS...
  local root=$1 out=$2
  shift 2
  local rc=0
  (cd "$scratch/work" &&
    env -u PENLOOM_HOME -u DISPLAY -u WAYLAND_DISPLAY \
      "$root/usr/local/bin/penloom" "$@") >"$out" 2>&1 || rc=$?
  echo "$rc"
}

# --- install ---------------------------------------------------------------
root=$scratch/root
run_install "$root" install
prefix=$root/usr/local
folder=$prefix/lib/penloom

[ -f "$prefix/share/doc/penloom/penloom.ini.example" ] || fail "example settings not installed"
[ -x "$folder/penloom" ] && [ -f "$folder/crdll.so" ] || fail "program or plug-in not installed"
[ "$(readlink "$prefix/bin/penloom")" = "../lib/penloom/penloom" ] ||
  fail "bin/penloom is not the link ../lib/penloom/penloom"
cmp -s "$source_root/doc/penloom.html" "$folder/penloom.html" || fail "manual differs"
gzip -dc "$prefix/share/man/man1/penloom.1.gz" | cmp -s - "$source_root/doc/penloom.1" ||
  fail "man page differs"

# --- run through the link ----------------------------------------------------
mkdir -p "$scratch/work"
printf 'IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU;SP0;' >"$scratch/work/box.plt"

rc=$(run_installed "$root" "$scratch/r12.txt" box.plt)
[ "$rc" = 0 ] && [ -f "$scratch/work/box.DXF" ] || fail "plain run: status $rc ($(cat "$scratch/r12.txt"))"
expect_contains "banner" "$scratch/r12.txt" "PENLOOM $version "

rc=$(run_installed "$root" "$scratch/r2004.txt" box.plt box2004.dxf /2004)
[ "$rc" = 0 ] || fail "/2004: status $rc ($(cat "$scratch/r2004.txt"))"
[ -f "$scratch/work/box2004.dxf" ] && expect_contains "/2004" "$scratch/work/box2004.dxf" "AC1018"

printf '[Settings]\nverDXF=7\n' >"$folder/penloom.ini"
rc=$(run_installed "$root" "$scratch/ini.txt" box.plt boxini.dxf)
[ "$rc" = 0 ] || fail "settings run: status $rc ($(cat "$scratch/ini.txt"))"
expect_contains "settings run" "$scratch/ini.txt" "(R2000,2002 format)"

rc=$(run_installed "$root" "$scratch/help.txt" /HELP)
[ "$rc" = 1 ] || fail "/HELP: status $rc, expected 1"
expect_contains "/HELP" "$scratch/help.txt" "User manual: $folder/penloom.html"

# --- uninstall ---------------------------------------------------------------
# A file of the user's own stays, with the folders that hold it.
run_install "$root" uninstall
left=$(cd "$root" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = "./usr ./usr/local ./usr/local/lib ./usr/local/lib/penloom ./usr/local/lib/penloom/penloom.ini " ] ||
  fail "uninstall with a penloom.ini of the user's left: $left"

# Folders that were there before install stay; a second install over the
# first changes that not.
kept=$scratch/kept
mkdir -p "$kept/usr/local/share/man"
run_install "$kept" install
run_install "$kept" install
run_install "$kept" uninstall
left=$(cd "$kept" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = "./usr ./usr/local ./usr/local/share ./usr/local/share/man " ] ||
  fail "uninstall over existing folders left: $left"

# --- man page ----------------------------------------------------------------
if command -v groff >/dev/null; then
  warnings=$(groff -ww -man -Tutf8 "$source_root/doc/penloom.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "groff warnings: $warnings"
fi
# Every switch and every settings key of the HTML manual is in the man page.
man_text=$(sed 's/\\-/-/g; s/\\&//g' "$source_root/doc/penloom.1")
mapfile -t names < <(grep -o '<tr><td><code>[^<]*</code>\(, <code>[^<]*</code>\)*' \
  "$source_root/doc/penloom.html" | grep -o '<code>[^<]*</code>' | sed 's/<[^>]*>//g')
[ "${#names[@]}" -gt 50 ] || fail "found only ${#names[@]} switches and keys in the manual"
for name in "${names[@]}"; do
  case "$name" in *.*|'~'*) continue ;; esac  # file names: the FILES lists differ in form
  name=${name%nnn}  # /R=nnn: the man page sets the number in italics
  grep -qF -- "$name" <<<"$man_text" || fail "man page lacks $name"
done

if [ "$failures" -ne 0 ]; then
  echo "install_test: $failures failure(s)"
  exit 1
fi
echo "install_test: all checks passed"
