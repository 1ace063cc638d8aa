#!/usr/bin/env bash
# Builds the Debian package with CPack, installs it on this machine, uses it as a person would
# (the command-line tool, the fax viewer, the file type of a fax), removes it again and checks
# that nothing it installed is left. Needs root; exits 77 (skipped) otherwise.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing a Debian package needs root"
  exit 77
fi
if dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q 'install ok installed'; then
  echo "SKIPPED: a corvane package is already installed on this machine; not touching it"
  exit 77
fi
work=$(mktemp -d)
cleanup() {
  dpkg --purge corvane >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >cpack.log 2>&1) || {
  cat "$work/cpack.log"
  fail "cpack"
}
deb=$(ls "$work"/out/corvane_*.deb)
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' ||
  fail "dependencies not computed: $(dpkg-deb --field "$deb" Depends)"

export DEBIAN_FRONTEND=noninteractive
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || apt-get install -f -y -qq >>"$work/dpkg.log" 2>&1 || {
  cat "$work/dpkg.log"
  fail "the package does not install"
}
dpkg-query -W -f='${Status}' corvane | grep -q 'install ok installed' || fail "not installed"
dpkg -L corvane >"$work/files"

export CORVANE_HOME=$work/home/ QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/run
mkdir -p "$CORVANE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
/usr/bin/corvane-cli --version | grep -q '^corvane-cli ' || fail "corvane-cli --version"

# A fax to open: one page made from a picture.
pbmmake -white 1728 600 >"$work/page.pbm"
/usr/bin/corvane-cli apf from-image "$work/page.pbm" "$work/fax.apf" >/dev/null
# The viewer starts and stays up until it is told to stop.
set +e
timeout -s TERM 5 /usr/bin/corvane --view "$work/fax.apf" >"$work/viewer.log" 2>&1
status=$?
set -e
[ $status -eq 124 ] || {
  cat "$work/viewer.log"
  fail "corvane --view ended by itself with status $status"
}

type=$(XDG_DATA_HOME=$work/none xdg-mime query filetype "$work/fax.apf")
[ "$type" = application/x-corvane-fax ] || fail "xdg-mime sees a fax file as \"$type\""

dpkg --purge corvane >"$work/purge.log" 2>&1 || {
  cat "$work/purge.log"
  fail "the package does not remove"
}
left=()
while read -r path; do
  [ -d "$path" ] && continue  # folders shared with other packages stay
  [ -e "$path" ] && left+=("$path")
done <"$work/files"
[ ${#left[@]} -eq 0 ] || fail "files left after removal: ${left[*]}"
[ ! -e /usr/share/mime/application/x-corvane-fax.xml ] || fail "the MIME type is still registered"
echo "package $(basename "$deb") installs, runs and removes cleanly"
