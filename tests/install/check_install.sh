#!/usr/bin/env bash
# check_install.sh BUILD VERSION: installs the build into a temporary DESTDIR
# under /usr, as the .deb does, and checks what a user's system would get:
# exactly the expected files, a desktop entry and metadata that the
# desktop's own validators accept, manual pages that format without a
# warning and name every command, programs that start, and an installed
# lirra-oto that reads the installed demo voicebank.
set -euo pipefail
build=$1
version=$2
id=io.github.lirra.Lirra

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr

# The file list, the demo's contents apart.
expected="bin/lirra
bin/lirra-oto
share/applications/$id.desktop
share/doc/lirra/copyright
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/lirra-oto.1
share/man/man1/lirra.1
share/metainfo/$id.metainfo.xml"
actual=$(cd "$usr" && find . -path ./share/lirra -prune -o -type f -print | sed 's|^\./||' | LC_ALL=C sort)
[[ $actual == "$expected" ]] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$actual"))"
[[ -x $usr/bin/lirra && -x $usr/bin/lirra-oto ]] || fail "programs are not executable"
for f in oto.ini utf8/oto.ini; do
  [[ -f $usr/share/lirra/demo/$f ]] || fail "demo has no $f"
done
leftovers=$(find "$usr/share/lirra/demo" -name 'oto_bkp.ini' -o -name '*.orig' -o -name 'sett.ini')
[[ -z $leftovers ]] || fail "the demo carries edits: $leftovers"

# The desktop's validators, warnings counted as failures.
out=$(desktop-file-validate "$usr/share/applications/$id.desktop" 2>&1) || fail "desktop-file-validate: $out"
[[ -z $out ]] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net --strict "$usr/share/metainfo/$id.metainfo.xml" >/dev/null \
  || fail "appstreamcli validate: $(appstreamcli validate --no-net --strict "$usr/share/metainfo/$id.metainfo.xml")"
# The tree as a whole: the metadata's desktop entry and icon are there.
appstreamcli validate-tree --no-net "$root" >/dev/null \
  || fail "appstreamcli validate-tree: $(appstreamcli validate-tree --no-net "$root")"

# Manual pages: no formatting warnings, and every command of the help has
# its section.
for page in lirra lirra-oto; do
  warnings=$(LC_ALL=C.UTF-8 man --warnings=w -E UTF-8 -l -Tutf8 -Z "$usr/share/man/man1/$page.1" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "$page.1: $warnings"
done
commands=$("$usr/bin/lirra-oto" --help | sed -n 's/^  lirra-oto \([a-z][a-z-]*\) .*/\1/p' | sort -u)
[[ -n $commands ]] || fail "no commands in lirra-oto --help"
for c in $commands; do
  # roff writes a hyphen in a name as \-
  grep -qxF ".SS ${c//-/\\-}" "$usr/share/man/man1/lirra-oto.1" || fail "lirra-oto.1 has no section for $c"
done

# The installed programs start and know their version.
[[ $("$usr/bin/lirra-oto" --version) == "lirra-oto $version" ]] || fail "lirra-oto --version"
[[ $(QT_QPA_PLATFORM=offscreen "$usr/bin/lirra" --version 2>/dev/null) == "Lirra $version" ]] || fail "lirra --version"

# The installed lirra-oto reads the installed demo, and every wave of it is
# there and usable.
list=$("$usr/bin/lirra-oto" list "$usr/share/lirra/demo" 2>&1) || fail "lirra-oto list: $list"
grep -Eq '^entries: [1-9][0-9]*, bad: 0(, files: [0-9]+)?$' <<<"$list" || fail "lirra-oto list: $list"
check=$("$usr/bin/lirra-oto" check "$usr/share/lirra/demo" 2>&1) || fail "lirra-oto check: $check"
echo "install: $(wc -l <<<"$actual") files and the demo, ${list##*$'\n'}"
