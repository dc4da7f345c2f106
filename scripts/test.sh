#!/usr/bin/env bash
# Installs what is missing, builds the product and the tests, runs every test.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$repo_root/scripts/setup.sh"

arch="$(host_arch)"
test_dir="$build_root/test-$arch"
use_commit_time
configure_and_build "$test_dir" "$arch" ON

# The shipped 32-bit program is always built, even where it cannot run, and
# its tests with it: calling conventions differ only there.
if [ "$(product_tree)" != "$test_dir" ]; then
  configure_and_build "$(product_tree)" i686 ON
fi
# Built a second time in another folder: the release test compares the two.
build_release

trap 'stop_display; stop_wine "$test_dir"' EXIT
start_display
prepare_wine_prefix "$test_dir"
cd "$test_dir"
ctest --output-on-failure -j2 "$@"
