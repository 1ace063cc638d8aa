#!/usr/bin/env bash
# Sends the same three fine pages through the same simulated Class 2 line twice, once with
# corvane-cli and once with efax (-o2), and prints the simulated line time of both calls
# (sim_seconds of the line's summary), their ratio, and Corvane's CPU seconds per page. Then
# the same over a Class 1 line (Corvane --class 1 against efax -o1), and Corvane's Class 1
# call once more at real time: its wall time against its simulated time.
#
#   bash bench/transport/fax_send_vs_efax.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
faxline="$build/tools/faxline/faxline"
cli="$build/src/cli/corvane-cli"
for tool in "$faxline" "$cli"; do
  [[ -x $tool ]] || { echo "missing $tool: build first (cmake --build $build --target faxline corvane-cli)" >&2; exit 1; }
done
for tool in efax efix pbmmake pbmtext pamenlarge pnmpaste; do
  command -v $tool >/dev/null || { echo "missing $tool (apt-get install efax netpbm)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/corvane-bench-XXXXXX)
trap '[[ -n ${KEEP:-} ]] || rm -rf "$work"' EXIT
export CORVANE_HOME="$work/home"
mkdir -p "$CORVANE_HOME"
# The fax font for the header line, the nearest to the small header efax writes.
printf '[Ports]\r\nCOM1=%s\r\n[Other]\r\nUseAlternateHeaderFont=1\r\n' "$work/modem" > "$CORVANE_HOME/QX.INI"

# Three fine pages of text, as PBM; efax gets them as TIFF G3, Corvane as one APF file.
pages=()
for n in 1 2 3; do
  pbmmake -white 1728 2200 > "$work/blank.pbm"
  pbmtext -builtin fixed "BENCHMARK PAGE $n OF THREE - THE QUICK BROWN FOX" | pamenlarge 3 > "$work/text$n.pbm"
  pnmpaste "$work/text$n.pbm" 100 $((300 * n)) "$work/blank.pbm" > "$work/page$n.pbm"
  efix -v '' -i pbm -o tiffg3 -r 204x196 "$work/page$n.pbm" > "$work/page$n.tif"
  "$cli" apf from-image "$work/page$n.pbm" "$work/page$n.apf" --fine > /dev/null
  pages+=("$work/page$n.apf")
done
"$cli" apf join "$work/fax.apf" "${pages[@]}" > /dev/null

sim_seconds() { sed -n 's/.*sim_seconds=\([0-9.]*\).*/\1/p' "$1" | tail -1; }

wall_seconds() { sed -n 's/.*wall_seconds=\([0-9.]*\).*/\1/p' "$1" | tail -1; }

run_line() {  # $1: summary file, $2: modem class, then more line options; starts the line in
              # the background and waits until it is ready
  local out=$1 class=${2:-2}
  shift 2 || shift $#
  "$faxline" --modem "$work/modem" --class "$class" --file "$work/remote.tif" --timeout 300 "$@" > "$out" 2>&1 &
  line_pid=$!
  for _ in $(seq 200); do grep -q READY "$out" 2>/dev/null && return; sleep 0.05; done
  echo "faxline did not start" >&2; exit 1
}

# Corvane
run_line "$work/corvane.line" 2
TIMEFORMAT='%U %S'
cpu=$( { time "$cli" fax send --port 1 --class 2 --bps 14400 5550100 "$work/fax.apf" > "$work/corvane.out" 2>&1; } 2>&1 )
wait $line_pid || { cat "$work/corvane.out" "$work/corvane.line"; exit 1; }
corvane=$(sim_seconds "$work/corvane.line")

# efax
run_line "$work/efax.line" 2
efax -d "$work/modem" -o2 -t 5550100 "$work/page1.tif" "$work/page2.tif" "$work/page3.tif" > "$work/efax.out" 2>&1
wait $line_pid || { cat "$work/efax.out" "$work/efax.line"; exit 1; }
efax=$(sim_seconds "$work/efax.line")

read -r user sys <<< "$cpu"
grep SUMMARY "$work/corvane.line" "$work/efax.line" | sed "s|^$work/||"
echo "corvane sim_seconds=$corvane"
echo "efax    sim_seconds=$efax"
awk -v c="$corvane" -v e="$efax" 'BEGIN { printf "ratio corvane/efax = %.2fx\n", c / e }'
awk -v u="$user" -v s="$sys" 'BEGIN { printf "corvane cpu per page = %.4f s (user %.3f, sys %.3f, whole call incl. start-up / 3)\n", (u + s) / 3, u, s }'

# Class 1: the engine conducts T.30 itself.
run_line "$work/corvane1.line" 1
"$cli" fax send --port 1 --class 1 --bps 14400 5550100 "$work/fax.apf" > "$work/corvane1.out" 2>&1
wait $line_pid || { cat "$work/corvane1.out" "$work/corvane1.line"; exit 1; }
corvane1=$(sim_seconds "$work/corvane1.line")

run_line "$work/efax1.line" 1
efax -d "$work/modem" -o1 -t 5550100 "$work/page1.tif" "$work/page2.tif" "$work/page3.tif" > "$work/efax1.out" 2>&1
wait $line_pid || { cat "$work/efax1.out" "$work/efax1.line"; exit 1; }
efax1=$(sim_seconds "$work/efax1.line")

run_line "$work/realtime1.line" 1 --pace realtime
"$cli" fax send --port 1 --class 1 --bps 14400 5550100 "$work/fax.apf" > "$work/realtime1.out" 2>&1
wait $line_pid || { cat "$work/realtime1.out" "$work/realtime1.line"; exit 1; }
rt_sim=$(sim_seconds "$work/realtime1.line")
rt_wall=$(wall_seconds "$work/realtime1.line")

grep SUMMARY "$work/corvane1.line" "$work/efax1.line" "$work/realtime1.line" | sed "s|^$work/||"
echo "class 1: corvane sim_seconds=$corvane1"
echo "class 1: efax    sim_seconds=$efax1"
awk -v c="$corvane1" -v e="$efax1" 'BEGIN { printf "class 1: ratio corvane/efax = %.2fx\n", c / e }'
awk -v w="$rt_wall" -v s="$rt_sim" 'BEGIN { printf "class 1 at real time: wall %.2f s / simulated %.2f s = %.3fx\n", w, s, w / s }'
