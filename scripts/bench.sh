#!/usr/bin/env bash
# Builds and runs the benchmark program: one line per measure with its
# figure, the reference measured in the same run, their ratio and the target.
# Arguments go to the program (--only NAME, --repetitions N, --dump FOLDER).
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$repo_root/scripts/setup.sh"

arch="$(host_arch)"
test_dir="$build_root/test-$arch"
configure_and_build "$test_dir" "$arch" ON skinui_bench

trap 'stop_wine "$test_dir"; stop_display' EXIT
start_display
prepare_wine_prefix "$test_dir"
"$test_dir/wine-run.sh" "$test_dir/bench/skinui_bench.exe" "$@"
