#!/usr/bin/env bash
# The receive soak: the main window (offscreen) in receive mode answers CALLS calls (default
# 200) from the simulated fax line, with faults mixed in (clean calls in Class 1, 2 and 2.0 at
# several rates and both resolutions, drops mid-page and after a page, loud noise, a remote that
# hangs up at the start, pages refused with RTN and sent again, a person and a data modem
# calling), then checks the incoming log and the RECEIVE folder against what the line reports
# and what arrived, resident memory and open file descriptors. One summary line per check
# ("SOAK ... PASS|FAIL"); the exit status is non-zero on any failure.
#
#   bash scripts/soak-receive.sh [CALLS]
set -euo pipefail
cd "$(dirname "$0")/.."
calls="${1:-200}"
build_dir="${CORVANE_BUILD_DIR:-build}"
if [ ! -x "$build_dir/tests/logwindow/receive_soak_test" ] || [ ! -x "$build_dir/tools/faxline/faxline" ]; then
  bash scripts/build.sh --target receive_soak_test faxline >/dev/null
fi
export QT_QPA_PLATFORM=offscreen
output="$(mktemp)"
trap 'rm -f "$output"' EXIT
status=0
CORVANE_SOAK_CALLS="$calls" nice -n 5 "$build_dir/tests/logwindow/receive_soak_test" >"$output" 2>&1 || status=$?
grep -E '^SOAK' "$output" || true
if [ "$status" -ne 0 ]; then
  echo "soak-receive: FAILED (exit $status); the test's output:" >&2
  tail -n 60 "$output" >&2
fi
exit "$status"
