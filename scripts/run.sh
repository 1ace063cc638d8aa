#!/usr/bin/env bash
# Installs what is missing, builds Corvane and starts it. Without a display it starts Corvane
# on a virtual X display (Xvfb) and keeps running until stopped (Ctrl+C).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --target corvane corvane-cli

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  display=99
  while [ -e "/tmp/.X11-unix/X${display}" ] || [ -e "/tmp/.X${display}-lock" ]; do
    display=$((display + 1))
  done
  echo "No display found: starting Corvane on the virtual X display :${display} (Xvfb)."
  echo "Corvane keeps running until you stop it with Ctrl+C."
  Xvfb ":${display}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display}" ] && break
    sleep 0.1
  done
  export DISPLAY=":${display}"
fi

echo "Data folder: ${CORVANE_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/corvane}"
exec_status=0
./build/src/app/corvane || exec_status=$?
exit "$exec_status"
