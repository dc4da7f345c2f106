#!/usr/bin/env bash
# Installs what is missing, builds the product and the tests, runs every test.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$repo_root/scripts/setup.sh"

arch="$(host_arch)"
test_dir="$build_root/test-$arch"
configure_and_build "$test_dir" "$arch" ON

# The shipped 32-bit program is always built, even where it cannot run, and
# its tests with it: calling conventions differ only there.
if [ "$arch" != i686 ]; then
  configure_and_build "$build_root/product-i686" i686 ON
fi

trap 'stop_display; stop_wine "$test_dir"' EXIT
start_display
prepare_wine_prefix "$test_dir"
cd "$test_dir"
ctest --output-on-failure -j2 "$@"
