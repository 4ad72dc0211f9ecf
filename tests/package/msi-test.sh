#!/usr/bin/env bash
# Installs the MSI package silently under Wine into a chosen folder, upgrades it with a higher
# version of the same staged files, has the older refused over that, uninstalls, and checks that
# each step leaves all of the tool where it belongs, and at the end nothing but others' files.
# The newer package is signed, and the programs it installs run. First, the setup program's
# installation (of the installer beside PACKAGE) has the package refused.
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

journals="$(winepath -u 'C:\ProgramData\KEL Administrator')"
tmp="$(mktemp -d)"
trap 'uninstall_all; rm -rf "$tmp" "$unix_dir"' EXIT
uninstall_all
rm -rf "$unix_dir" "$menu" "$journals"
build_wincheck "$tmp"

wine "$(winepath -w "${package%.msi}-setup.exe")" /S '/D=C:\KelSetupTest' </dev/null
check "refused while the setup program's installation is there" eval '! msiexec /i "$(winepath -w "$package")" /qn &&
    [ -z "$(entries)" ] && [ ! -e "$unix_dir" ]'
check "the refusal, shown, names the folder and how to remove it" eval '{ wine "$wincheck_exe" run-dialog "msiexec /i $(winepath -w "$package")" </dev/null || true; } |
    tr -d "\r" | grep -cxF "KEL Administrator is already installed in C:\KelSetupTest by its setup program. Remove it first, under Programs and Features or with \"C:\KelSetupTest\kel-admin-uninstall.exe\" /S, then install this package again." >/dev/null'
wine 'C:\KelSetupTest\kel-admin-uninstall.exe' /S '_?=C:\KelSetupTest' </dev/null
rm -rf "$(winepath -u 'C:\KelSetupTest')" "$journals"
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
check "the journals' folder is made" test -d "$journals"
# Wine's installer applies no MsiLockPermissionsEx: the lists are checked as the package holds them.
check "the access lists: files, the folder when the tool's alone, the journals' folder" eval '
    locks="$(msiinfo export "$package" MsiLockPermissionsEx | tr -d "\r")" &&
    [ "$(grep -c "	File	D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)	$" <<<"$locks")" -eq 5 ] &&
    grep -qx "Lock_INSTALLDIR	INSTALLDIR	CreateFolder	O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)	OWNFOLDER=\"1\"" <<<"$locks" &&
    grep -qx "Lock_JOURNALDIR	JOURNALDIR	CreateFolder	O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)	" <<<"$locks"'
check "a folder that held others' files is not the tool's alone" reg_is "$remembered_key" OwnFolder "REG_SZ    0"

new="$(next_version "$old")"
make_signer "$tmp"
"$package_script" --msi "$new" "$tmp/newer.msi"
check "the package of $new is signed" signed "$tmp/newer.msi"
touch "$journals/cut-short.journal" # a move cut short, for the tool's next start
check "msiexec /i /qn of $new upgrades in place" eval 'msiexec /i "$(winepath -w "$tmp/newer.msi")" /qn &&
    one_entry_of "$new" && cmp -s "$stage/ReadMe.txt" "$unix_dir/kel-admin-ReadMe.txt"'
check "the journal stays through the upgrade" test -e "$journals/cut-short.journal"
check "its programs are signed, and run" eval 'signed "$unix_dir/kel-admin.exe" && signed "$unix_dir/kel-admin-cli.exe" &&
    wine "$dir\\kel-admin-cli.exe" --version </dev/null >/dev/null && wincheck run-dialog "$dir\\kel-admin.exe"'
rm "$journals/cut-short.journal"
check "the older package is refused over it" eval '
    ! msiexec /i "$(winepath -w "$package")" /qn && one_entry_of "$new"'

check "msiexec /x /qn succeeds" msiexec /x "$(winepath -w "$tmp/newer.msi")" /qn
check "the tool's files are removed, the server's stays" eval '! ls "$unix_dir" | grep -q "^kel-admin" &&
    grep -q "the server read-me" "$unix_dir/ReadMe.txt"'
check "the Start menu entry is removed" test ! -e "$menu"
check "the journals' folder, holding no journal, is removed" test ! -e "$journals"
check "the uninstall entry, event source and remembered folder are removed" eval '[ -z "$(entries)" ] &&
    ! wine reg query "$event_key" &>/dev/null && ! wine reg query "$remembered_key" &>/dev/null'

checks_done
