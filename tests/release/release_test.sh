#!/usr/bin/env bash
# The release end to end, one line per check:
#   release_test.sh VERSION TEST_TREE TRUST_CHECK_EXE
# scripts/release.sh builds in its own tree (a no-op when scripts/test.sh has
# just built it); the test build's 32-bit program is the same program built
# in another folder, so the two must be byte for byte the same.
set -uo pipefail
version="$1"
test_tree="$2"
trust_check="$3"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../scripts/common.sh"

name="patchwell-$version"
work="$test_tree/tests/release/work"
product="$(product_tree)/release"
pe_check=(python3 "$here/pe_check.py")
rm -rf "$work"
mkdir -p "$work"

failures=0
expect() {  # what command...
  local what="$1"; shift
  if "$@" >"$work/last.log" 2>&1; then
    echo "ok      $what"
  else
    echo "FAILED  $what"; sed 's/^/        /' "$work/last.log" | head -20
    failures=$((failures + 1))
  fi
}
contains() { grep -q -F -- "$2" "$1"; }

# Without the signing variables of whoever runs the tests.
release() {  # out [VARIABLE=value...]
  local out="$1"; shift
  env -u PATCHWELL_SIGN_PKCS12 -u PATCHWELL_SIGN_PASSWORD -u PATCHWELL_SIGN_TIMESTAMP "$@" \
    "$repo_root/scripts/release.sh" --out "$out" >"$out.log" 2>&1
}
checksums_hold() { (cd "$1" && sha256sum --quiet -c SHA256SUMS); }
no_program_in() { ! ls "$1"/patchwell-*.exe >/dev/null 2>&1; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

unsigned="$work/unsigned"
expect "release.sh without a certificate succeeds" release "$unsigned"
expect "it says that the program is not signed" contains "$unsigned.log" "$name.exe is NOT signed"
expect "it writes the program, its debug file and checksums that hold" checksums_hold "$unsigned"
expect "the program it writes is the one its release tree packed" \
  cmp "$release_tree/release/$name.exe" "$unsigned/$name.exe"

# Reproducible: the release tree and the product tree are two folders.
expect "the test build packed its program" test -f "$product/$name.exe"
expect "the same commit built in another folder gives the same program" \
  cmp "$product/$name.exe" "$unsigned/$name.exe"
expect "and the same debug file" cmp "$product/$name.debug" "$unsigned/$name.debug"
no_build_paths() {
  local file
  for file; do
    [ -f "$file" ] || return 1
    if grep -q -a -F -e "$repo_root" -e "$build_root" -e "$release_tree" "$file"; then
      echo "$file names a build folder"
      return 1
    fi
  done
}
expect "no build folder is named in the program or its debug file" \
  no_build_paths "$unsigned/$name.exe" "$unsigned/$name.debug"

# Hardened, stripped, small; the debug file still finds our own sources.
expect "the program is hardened, without debug sections, no larger than 1.6 MB" \
  "${pe_check[@]}" "$unsigned/$name.exe" --debug-file "$unsigned/$name.debug" \
  --max-size 1600000 --version "$version"
expect "the test build's own program ($(basename "$test_tree")) is hardened too" \
  "${pe_check[@]}" "$test_tree/release/$name.exe" --debug-file "$test_tree/release/$name.debug"
source_of_entry() {
  local address
  address="$(i686-w64-mingw32-nm "$1" | sed -n 's/^\([0-9a-f]*\) T _wWinMain@16$/\1/p')"
  [ -n "$address" ] && i686-w64-mingw32-addr2line -e "$1" "0x$address" | tee /dev/stderr |
    grep -q '^/patchwell/app/executables/patchwell_main\.cpp:[0-9]'
}
expect "the debug file places the entry in its source file" source_of_entry "$unsigned/$name.debug"

# The header check finds what the linker leaves before the program is packed.
debug_sections_found() {
  ! "${pe_check[@]}" "$1" >"$work/faults.log" && cat "$work/faults.log" &&
    grep -q -F "debug section .debug_info left" "$work/faults.log"
}
expect "the header check finds the debug sections of the program as linked" \
  debug_sections_found "$(product_tree)/app/patchwell.exe"

# A throw-away code-signing certificate, as the release takes one.
key="$work/signer.key" certificate="$work/signer.pem" bundle="$work/signer.p12"
password="throw-away password"
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -quiet -out "$key"
openssl req -x509 -new -key "$key" -days 2 -out "$certificate" \
  -subj "/O=Patchwell Release Test/CN=Patchwell release test signer" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning"
openssl pkcs12 -export -inkey "$key" -in "$certificate" -out "$bundle" \
  -passout "pass:$password"
openssl x509 -in "$certificate" -outform DER -out "$work/signer.der"

signed="$work/signed"
expect "release.sh with a certificate succeeds" \
  release "$signed" PATCHWELL_SIGN_PKCS12="$bundle" PATCHWELL_SIGN_PASSWORD="$password"
expect "it says that the program is signed" contains "$signed.log" "$name.exe signed with"
expect "its checksums are those of the signed program" checksums_hold "$signed"
signed_by_us() {
  osslsigncode verify -CAfile "$certificate" -in "$1" >"$work/verify.log" 2>&1
  local status=$?
  cat "$work/verify.log"
  [ "$status" -eq 0 ] && grep -q "Patchwell release test signer" "$work/verify.log"
}
expect "osslsigncode finds the signature sound and made by our certificate" \
  signed_by_us "$signed/$name.exe"
# Four bytes of its code changed after signing.
cp "$signed/$name.exe" "$work/tampered.exe"
printf 'TAMP' | dd of="$work/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
digest_refused() { ! signed_by_us "$1" && grep -q "MISMATCH" "$work/verify.log"; }
expect "osslsigncode refuses it: its digest does not match" digest_refused "$work/tampered.exe"

# A time-stamp server of our own on 127.0.0.1 countersigns the signature.
tsa_key="$work/tsa.key" tsa_certificate="$work/tsa.pem"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tsa_key" -out "$tsa_certificate" -days 2 \
  -subj "/O=Patchwell Release Test/CN=Patchwell test time-stamp server" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=critical,timeStamping" \
  2>/dev/null
python3 "$here/timestamp_server.py" "$work/tsa" "$tsa_certificate" "$tsa_key" \
  >"$work/tsa.port" 2>"$work/tsa.log" &
tsa_pid=$!
for _ in $(seq 100); do [ -s "$work/tsa.port" ] && break; sleep 0.1; done
stamped="$work/stamped"
expect "release.sh with a time-stamp server succeeds" \
  release "$stamped" PATCHWELL_SIGN_PKCS12="$bundle" PATCHWELL_SIGN_PASSWORD="$password" \
  PATCHWELL_SIGN_TIMESTAMP="http://127.0.0.1:$(cat "$work/tsa.port")/"
stamped_by_our_server() {
  osslsigncode verify -CAfile "$certificate" -TSA-CAfile "$tsa_certificate" -in "$1" \
    >"$work/stamp.log" 2>&1
  local status=$?
  cat "$work/stamp.log" "$work/tsa.log"
  [ "$status" -eq 0 ] && grep -q "Timestamp Server Signature verification: ok" "$work/stamp.log" &&
    grep -q "Patchwell test time-stamp server" "$work/stamp.log"
}
expect "its signature carries our server's time stamp" stamped_by_our_server "$stamped/$name.exe"
kill "$tsa_pid" 2>/dev/null
wait "$tsa_pid" 2>/dev/null

# WinVerifyTrust, as Windows asks before it names the publisher: success for
# the signed program, TRUST_E_NOSIGNATURE and TRUST_E_BAD_DIGEST for the
# unsigned and the changed one. Windows trusts the signer only as a root
# (trust_check adds it for the check); Wine 8 trusts any root.
trust_answers() {
  "$test_tree/wine-run.sh" "$trust_check" "$(windows_path "$work/signer.der")" \
    "$(windows_path "$signed/$name.exe")" "$(windows_path "$unsigned/$name.exe")" \
    "$(windows_path "$work/tampered.exe")" | tr -d '\r' | tee /dev/stderr |
    tr '\n' ' ' | grep -qx "00000000 800B0100 80096010 "
}
expect "the platform trusts the signed program, not the unsigned or changed one" trust_answers

# A certificate given but unusable stops the release: no unsigned program
# is left where a signed one was asked for, nor one from an earlier run.
refused_out="$work/refused"
refused() {  # reason [VARIABLE=value...]
  local reason="$1"; shift
  mkdir -p "$refused_out" && cp "$unsigned/$name.exe" "$refused_out/" || return 1
  ! release "$refused_out" "$@" && cat "$refused_out.log" && contains "$refused_out.log" "$reason" &&
    no_program_in "$refused_out"
}
expect "a wrong password stops the release and leaves no program" \
  refused "signing failed" PATCHWELL_SIGN_PKCS12="$bundle" PATCHWELL_SIGN_PASSWORD="wrong"
expect "so does a missing certificate file" \
  refused "not found" PATCHWELL_SIGN_PKCS12="$work/none.p12" PATCHWELL_SIGN_PASSWORD=x
expect "and a certificate without its password variable" \
  refused "PATCHWELL_SIGN_PASSWORD is not set" PATCHWELL_SIGN_PKCS12="$bundle"
expect "and a time-stamp server that does not answer" \
  refused "signing failed" PATCHWELL_SIGN_PKCS12="$bundle" PATCHWELL_SIGN_PASSWORD="$password" \
  PATCHWELL_SIGN_TIMESTAMP=http://127.0.0.1:9/

if [ "$failures" -ne 0 ]; then
  echo "$failures release checks failed"
  exit 1
fi
echo "every release check passed"
