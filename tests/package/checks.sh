# Sourced by the package tests: named checks that count what passed and failed, and registry
# reads. Each test ends with `checks_done`.
passed=0
failures=0
event_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\KEL Administrator'
check() { # description, command...
    local what="$1"
    shift
    if "$@"; then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}
# reg_is KEY NAME "TYPE    DATA": the value reads back so.
reg_is() { [ "$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^    $2    //p")" = "$3" ]; }
checks_done() {
    echo "$passed passed, $failures failed"
    [ "$failures" -eq 0 ]
}
package_script="$(dirname "${BASH_SOURCE[0]}")/../../scripts/package"
# The next version after VERSION, for the upgrade tests' packages.
next_version() { awk -F. '{ print $1 "." $2 "." $3 + 1 }' <<<"$1"; }
# make_signer DIR: a throwaway code-signing certificate for this run, and the settings that make
# scripts/package sign with it.
make_signer() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=KEL Administrator test' \
        -addext extendedKeyUsage=codeSigning -keyout "$1/key.pem" -out "$1/cert.pem" 2>/dev/null
    openssl rand -hex 16 >"$1/password"
    openssl pkcs12 -export -inkey "$1/key.pem" -in "$1/cert.pem" -passout "file:$1/password" -out "$1/signer.p12"
    export KEL_SIGN_PKCS12="$1/signer.p12" KEL_SIGN_PASSWORD_FILE="$1/password"
    signer="$1/cert.pem"
}
# signed FILE: signed with that certificate, and unchanged since.
signed() { osslsigncode verify -CAfile "$signer" -in "$1" >/dev/null 2>&1; }
# wincheck DIR: builds tests/package/wincheck.c into DIR; then `wincheck COMMAND ARGUMENT`.
build_wincheck() {
    wincheck_exe="$1/wincheck.exe"
    x86_64-w64-mingw32-gcc -municode -Wall -Wextra -O -o "$wincheck_exe" "$(dirname "${BASH_SOURCE[0]}")/wincheck.c" -ladvapi32
}
wincheck() { wine "$wincheck_exe" "$@" </dev/null >/dev/null; }
