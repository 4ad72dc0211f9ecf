#!/usr/bin/env bash
# Installs the MSI package silently under Wine into a chosen folder, upgrades it with a higher
# version of the same staged files, has the older refused over that, uninstalls, and checks that
# each step leaves all of the tool where it belongs, and at the end nothing but others' files.
# Usage: msi-test.sh PACKAGE STAGE
set -euo pipefail
package="$1"
stage="$2"
dir='C:\KelMsiTest'
unix_dir="$(winepath -u "$dir")"
remembered_key='HKLM\Software\KEL Administrator'
. "$(dirname "$0")/checks.sh"
msiexec() { wine msiexec "$@" </dev/null; }
property() { msiinfo export "$package" Property | sed -n "s/^$1\t\(.*\)\r$/\1/p"; }
# The package's uninstall entries, keyed by product code.
entries() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
        awk '/^HKEY/ { key = $0 } /^    DisplayName    REG_SZ    KEL Administrator$/ && key ~ /}$/ { print key }'
}
one_entry_of() { [ "$(entries | wc -l)" -eq 1 ] && reg_is "$(entries)" DisplayVersion "REG_SZ    $1"; }
uninstall_all() { for key in $(entries); do msiexec /x "${key##*\\}" /qn || true; done; }
files_installed() { # the console twin only when staged
    for f in kel-admin.exe kel-admin-cli.exe; do [ ! -e "$stage/$f" ] || cmp -s "$stage/$f" "$unix_dir/$f" || return 1; done
    cmp -s "$stage/ReadMe.txt" "$unix_dir/kel-admin-ReadMe.txt" &&
        cmp -s "$stage/LICENSE.txt" "$unix_dir/kel-admin-LICENSE.txt"
}
# Wine's installer takes the user's Programs folder for ProgramMenuFolder even when ALLUSERS=1.
appdata="$(wine cmd /c echo %APPDATA% | tr -d '\r')"
menu="$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\KEL Administrator")"

tmp="$(mktemp -d)"
trap 'uninstall_all; rm -rf "$tmp" "$unix_dir"' EXIT
uninstall_all
rm -rf "$unix_dir" "$menu"
mkdir -p "$unix_dir"
printf 'the server read-me\r\n' >"$unix_dir/ReadMe.txt"

check "per machine, 64-bit, INSTALLDIR secure" eval '[ "$(property ALLUSERS)" = 1 ] &&
    msiinfo suminfo "$package" | grep -q "^Template: x64;" &&
    property SecureCustomProperties | grep -qxE "[A-Z_;]*INSTALLDIR[A-Z_;]*"'
check "msiexec /i /qn INSTALLDIR=$dir succeeds" msiexec /i "$(winepath -w "$package")" /qn "INSTALLDIR=$dir"
check "the files are installed byte for byte" files_installed
check "the Start menu entry exists" test -s "$menu/KEL Administrator.lnk"
old="$(property ProductVersion)"
check "one uninstall entry, of $old, with publisher and read-me" eval 'one_entry_of "$old" &&
    reg_is "$(entries)" Publisher "REG_SZ    The KEL Administrator developers" &&
    reg_is "$(entries)" ReadMe "REG_SZ    $dir\\kel-admin-ReadMe.txt"'
check "the event source names the tool, for all three types" eval '
    reg_is "$event_key" TypesSupported "REG_DWORD    0x7" &&
    reg_is "$event_key" EventMessageFile "REG_EXPAND_SZ    $dir\\kel-admin.exe"'
check "the folder is remembered" reg_is "$remembered_key" InstallDir "REG_SZ    $dir\\"

new="$(awk -F. '{ print $1 "." $2 "." $3 + 1 }' <<<"$old")"
"$(dirname "$0")/../../scripts/package" --msi "$new" "$tmp/newer.msi"
check "msiexec /i /qn of $new upgrades in place" eval 'msiexec /i "$(winepath -w "$tmp/newer.msi")" /qn &&
    one_entry_of "$new" && files_installed'
check "the older package is refused over it" eval '
    ! msiexec /i "$(winepath -w "$package")" /qn && one_entry_of "$new"'

check "msiexec /x /qn succeeds" msiexec /x "$(winepath -w "$tmp/newer.msi")" /qn
check "the tool's files are removed, the server's stays" eval '! ls "$unix_dir" | grep -q "^kel-admin" &&
    grep -q "the server read-me" "$unix_dir/ReadMe.txt"'
check "the Start menu entry is removed" test ! -e "$menu"
check "the uninstall entry, event source and remembered folder are removed" eval '[ -z "$(entries)" ] &&
    ! wine reg query "$event_key" &>/dev/null && ! wine reg query "$remembered_key" &>/dev/null'

checks_done
