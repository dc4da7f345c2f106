#!/usr/bin/env bash
# Builds the shipped 32-bit program in release mode and writes dist/:
#   patchwell-<version>.exe    stripped, hardened, the same bytes from the same
#                              commit wherever it is built (before signing)
#   patchwell-<version>.debug  its debug sections, named in it by a debug link
#   SHA256SUMS                 checksums of both, after signing
# The program is signed with Authenticode when a certificate is given:
#   PATCHWELL_SIGN_PKCS12      PKCS#12 file with the certificate and its key
#   PATCHWELL_SIGN_PASSWORD    its password (may be empty, must be set)
#   PATCHWELL_SIGN_TIMESTAMP   optional RFC 3161 time-stamp server address
# Options: --out FOLDER writes there instead of dist/.
set -euo pipefail
source "$(dirname "$0")/common.sh"

usage() { echo "usage: release.sh [--out FOLDER]" >&2; exit 2; }
out="$repo_root/dist"
while [ $# -gt 0 ]; do
  case "$1" in
    --out) [ $# -ge 2 ] || usage; out="$2"; shift 2 ;;
    *) usage ;;
  esac
done

fail() { echo "release: $*" >&2; exit 1; }

# A certificate that was meant to be used but cannot be must stop the release
# before the build, not after it with an unsigned program.
check_certificate() {
  [ -n "${PATCHWELL_SIGN_PKCS12:-}" ] || return 0
  [ -f "$PATCHWELL_SIGN_PKCS12" ] || fail "certificate $PATCHWELL_SIGN_PKCS12 not found"
  [ -n "${PATCHWELL_SIGN_PASSWORD+set}" ] || fail "PATCHWELL_SIGN_PASSWORD is not set"
}

project_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release_tree/CMakeCache.txt"
}

# The password reaches osslsigncode through a pipe: never on a command line
# that other users of the machine can read, nor in a file left behind.
sign() {  # unsigned signed
  local args=(sign -pkcs12 "$PATCHWELL_SIGN_PKCS12" -h sha256 -n Patchwell -in "$1" -out "$2")
  if [ -n "${PATCHWELL_SIGN_TIMESTAMP:-}" ]; then args+=(-ts "$PATCHWELL_SIGN_TIMESTAMP"); fi
  if ! osslsigncode "${args[@]}" -readpass <(printf '%s' "$PATCHWELL_SIGN_PASSWORD") \
    >"$2.log" 2>&1; then
    cat "$2.log" >&2
    rm -f "$2" "$2.log"
    fail "signing failed; no program written"
  fi
  rm -f "$2.log"
}

# What an earlier run left goes first, so a failed run leaves no program.
mkdir -p "$out"
rm -f "$out"/patchwell-*.exe "$out"/patchwell-*.debug "$out/SHA256SUMS"
"$repo_root/scripts/setup.sh"
check_certificate
build_release

version="$(project_version)"
[ -n "$version" ] || fail "no project version in $release_tree"
name="patchwell-$version"
cp "$release_tree/release/$name.debug" "$out/"
if [ -n "${PATCHWELL_SIGN_PKCS12:-}" ]; then
  sign "$release_tree/release/$name.exe" "$out/$name.exe"
  echo "release: $name.exe signed with $PATCHWELL_SIGN_PKCS12${PATCHWELL_SIGN_TIMESTAMP:+, time-stamped by $PATCHWELL_SIGN_TIMESTAMP}"
else
  cp "$release_tree/release/$name.exe" "$out/"
  echo "release: no certificate given (PATCHWELL_SIGN_PKCS12 is not set): $name.exe is NOT signed"
fi
(cd "$out" && sha256sum "$name.exe" "$name.debug" >SHA256SUMS)
echo "release: $(cd "$out" && pwd)"
(cd "$out" && ls -l "$name.exe" "$name.debug" SHA256SUMS | awk '{printf "  %10d  %s\n", $5, $9}')
