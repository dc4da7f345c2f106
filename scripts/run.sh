#!/usr/bin/env bash
# Installs what is missing, builds the simulated program (the simulated update
# agent, every address on 127.0.0.1, restart and shell calls only recorded)
# and runs it under Wine.
#   With DISPLAY set: the window opens there and is yours to drive.
#   Without: Xvfb stands in, the program is walked through every screen, and
#   the folder holding a screenshot of each is printed.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$repo_root/scripts/setup.sh"

arch="$(host_arch)"
run_dir="$build_root/test-$arch"
configure_and_build "$run_dir" "$arch" ON patchwell-sim
program="$run_dir/app/patchwell-sim.exe"

if [ -n "${DISPLAY:-}" ]; then
  prepare_wine_prefix "$run_dir"
  log="$build_root/patchwell-sim-actions.log"
  echo "run: Patchwell (simulated) on $DISPLAY; restarts and opened addresses are recorded in $log"
  status=0
  PATCHWELL_SIM_ACTIONS_LOG="Z:${log//\//\\}" "$run_dir/wine-run.sh" "$program" || status=$?
  echo "run: Patchwell ended with exit code $status"
  stop_wine "$run_dir"
  exit 0
fi

# The walk ends its programs; what Wine itself still runs in the prefix goes
# before the display does.
trap 'stop_wine "$run_dir"; stop_display' EXIT
start_display
prepare_wine_prefix "$run_dir"
echo "run: no display; walking through every screen on Xvfb ($DISPLAY)"
python3 "$repo_root/tools/walkthrough.py" --build "$run_dir" --out "$build_root/walkthrough"
