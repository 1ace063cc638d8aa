#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what desktops and packagers check:
# the desktop entries, the AppStream metainfo, the MIME type, the manual pages, and that every
# file those name is installed.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
app=org.corvane.Corvane

for program in corvane corvane-cli faxline; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done

# Desktop entries: valid, and their program and icon exist.
for entry in "$share/applications/$app.desktop" "$share/applications/$app.Viewer.desktop"; do
  [ -f "$entry" ] || fail "$entry is missing"
  out=$(desktop-file-validate --no-hints "$entry" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
  exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$prefix/bin/$exec_program" ] || fail "$entry runs $exec_program, which is not installed"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "icon $icon (svg) missing"
  for size in 16 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ -f "$png" ] || fail "icon $png missing"
    file "$png" | grep -q "$size x $size" || fail "$png is not $size x $size"
  done
done
grep -q '^MimeType=.*application/x-corvane-fax;' "$share/applications/$app.Viewer.desktop" ||
  fail "the viewer entry does not open fax files"
grep -q '^MimeType=.*image/tiff;' "$share/applications/$app.Viewer.desktop" ||
  fail "the viewer entry does not open TIFF faxes"

# AppStream metainfo: valid offline, and what it names exists.
metainfo=$share/metainfo/$app.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null || {
  appstreamcli validate --no-net "$metainfo"
  fail "appstreamcli validate"
}
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[ -f "$share/applications/$launchable" ] || fail "metainfo launches $launchable: missing"
for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
  [ -x "$prefix/bin/$binary" ] || fail "metainfo names binary $binary: missing"
done

# The MIME type: well-formed, and the database built from it knows APF files by name and
# by content (a file named otherwise that starts with the APF signature).
xmllint --noout "$share/mime/packages/corvane.xml" || fail "xmllint corvane.xml"
update-mime-database "$share/mime" 2>/dev/null
[ -f "$share/mime/application/x-corvane-fax.xml" ] || fail "MIME type not in the database"
probe=$(mktemp -d)
trap 'rm -rf "$prefix" "$probe"' EXIT
printf 'APF10\x1a' >"$probe/fax.apf"
head -c 58 /dev/zero >>"$probe/fax.apf"
cp "$probe/fax.apf" "$probe/unnamed.bin"
for f in fax.apf unnamed.bin; do
  type=$(XDG_DATA_DIRS=$share XDG_DATA_HOME=$probe/none mimetype --brief "$probe/$f")
  [ "$type" = application/x-corvane-fax ] || fail "$f is seen as $type"
done

# Manual pages render without warnings.
for page in corvane corvane-cli faxline; do
  file=$share/man/man1/$page.1
  [ -f "$file" ] || fail "man page $page missing"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

# Shipped data.
[ -f "$share/corvane/help/index.html" ] || fail "help pages missing"
ls "$share/corvane/covers/"*.FCT >/dev/null 2>&1 || fail "cover templates missing"

# The installed programs run.
"$prefix/bin/corvane" --version | grep -q '^corvane ' || fail "corvane --version"
"$prefix/bin/corvane-cli" --version | grep -q '^corvane-cli ' || fail "corvane-cli --version"
echo "install layout OK"
