# Shared by run.sh and test.sh: set-up, build folders, Wine prefix and display.

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_root="${PATCHWELL_BUILD_ROOT:-$repo_root/build}"

# The product is 32-bit. Where the kernel cannot run 32-bit programs (and so
# no 32-bit Wine), tests and the simulated build run as 64-bit under wine64.
host_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}

configure_and_build() {  # folder arch tests(ON|OFF) [targets...]
  local dir="$1" arch="$2" tests="$3"; shift 3
  cmake -S "$repo_root" -B "$dir" -DPATCHWELL_ARCH="$arch" -DPATCHWELL_TESTS="$tests" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build "$dir" -j"$(nproc)" --target "$@"
  else
    cmake --build "$dir" -j"$(nproc)"
  fi
}

# Wine's own services (and the desktop process a test may start) begin with
# the first program of a prefix and inherit its output; started here, with
# no output, they cannot hold a test's output open after the test ended.
prepare_wine_prefix() {  # build folder
  "$repo_root/scripts/wine-prefix.sh" "$1/wine-run.sh" "$1/wineprefix"
  WINEPREFIX="$1/wineprefix" wineserver -p </dev/null >/dev/null 2>&1 || true
  "$1/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
}

# The prefix's own server (wine-run.sh would look for a Windows program).
stop_wine() {  # build folder
  WINEPREFIX="$1/wineprefix" wineserver -k >/dev/null 2>&1 || true
}

xvfb_pid=""
start_display() {
  if [ -n "${DISPLAY:-}" ]; then return; fi
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return; sleep 0.1; done
      return
    fi
  done
  echo "no free X display found" >&2
  exit 1
}

stop_display() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}

# Builds take the commit's time wherever a date would be recorded, so one
# commit gives the same bytes wherever and whenever it is built.
use_commit_time() {
  if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH="$(git -C "$repo_root" log -1 --format=%ct 2>/dev/null || true)"
  fi
  if [ -z "$SOURCE_DATE_EPOCH" ]; then
    echo "no commit to take the build time from: set SOURCE_DATE_EPOCH" >&2
    exit 1
  fi
  export SOURCE_DATE_EPOCH
}

# The shipped program, stripped beside its debug file, in a tree of its own
# (release/ in it). The tests compare it with the test tree's 32-bit program.
release_tree="$build_root/release-i686"
build_release() {
  use_commit_time
  configure_and_build "$release_tree" i686 OFF patchwell_release
}

# The test build whose 32-bit program stands beside the release one.
product_tree() {
  if [ "$(host_arch)" = i686 ]; then echo "$build_root/test-i686"; else echo "$build_root/product-i686"; fi
}
