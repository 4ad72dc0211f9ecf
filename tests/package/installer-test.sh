#!/usr/bin/env bash
# Installs the Windows installer silently under Wine into a chosen folder, checks the files,
# the Start menu entries and the uninstall entry, then uninstalls silently and checks that
# everything is gone. Usage: installer-test.sh INSTALLER TOOL_EXE
set -euo pipefail
installer="$1"
built_tool="$2"
dir='C:\KelAdminTest' # NSIS reads /D= unquoted, and Wine quotes arguments with blanks
unix_dir="$(winepath -u "$dir")"
menu="$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\KEL Administrator')"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KELAdministrator'
failures=0
check() { # description, command...
    local what="$1"
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

rm -rf "$unix_dir" "$menu"
wine "$(winepath -w "$installer")" /S "/D=$dir" </dev/null
check "the tool is installed byte for byte" cmp -s "$unix_dir/kel-admin.exe" "$built_tool"
check "the read-me is installed" test -s "$unix_dir/ReadMe.txt"
check "the licence is installed" test -s "$unix_dir/LICENSE.txt"
check "the uninstaller is installed" test -s "$unix_dir/Uninstall.exe"
check "the Start menu entry exists" test -s "$menu/KEL Administrator.lnk"
check "the uninstall entry names the folder" \
    bash -c "wine reg query '$key' /v InstallLocation 2>/dev/null | grep -qF '$dir'"

# _?= runs the uninstaller in place, so that it is waited for.
wine "$dir\\Uninstall.exe" /S "_?=$dir" </dev/null
check "the tool is removed" test ! -e "$unix_dir/kel-admin.exe"
check "the read-me and licence are removed" test ! -e "$unix_dir/ReadMe.txt" -a ! -e "$unix_dir/LICENSE.txt"
check "the Start menu entries are removed" test ! -e "$menu"
check "the uninstall entry is removed" bash -c "! wine reg query '$key' >/dev/null 2>&1"
rm -rf "$unix_dir"

echo "$((10 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
