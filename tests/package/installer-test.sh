#!/usr/bin/env bash
# Installs the Windows installer silently under Wine, checks the files, the Start menu entries,
# the uninstall entry and the event source, then uninstalls silently and checks that everything
# of the tool is gone and nothing else. Twice: into a chosen folder (/D=), and into the default
# folder, which is the server's own when the system profile names the server's profile.
# Usage: installer-test.sh INSTALLER TOOL_EXE
set -euo pipefail
installer="$1"
built_tool="$2"
menu="$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\KEL Administrator')"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KELAdministrator'
system_profile="$(winepath -u 'C:\windows\kel.ini')"
. "$(dirname "$0")/checks.sh"

# install_and_uninstall FOLDER [INSTALLER ARGUMENTS...]: FOLDER is where the tool must land.
install_and_uninstall() {
    local dir="$1"
    shift
    local unix_dir
    unix_dir="$(winepath -u "$dir")"
    rm -rf "$menu"
    wine "$(winepath -w "$installer")" /S "$@" </dev/null
    check "the tool is installed byte for byte in $dir" cmp -s "$unix_dir/kel-admin.exe" "$built_tool"
    check "its command line is installed" test -s "$unix_dir/kel-admin-cli.exe"
    check "the read-me is installed, with CRLF line ends" bash -c "test -s '$unix_dir/kel-admin-ReadMe.txt' && ! grep -qv $'\\r$' '$unix_dir/kel-admin-ReadMe.txt'"
    check "the licence is installed" test -s "$unix_dir/kel-admin-LICENSE.txt"
    check "the uninstaller is installed" test -s "$unix_dir/kel-admin-uninstall.exe"
    check "the Start menu entry exists" test -s "$menu/KEL Administrator.lnk"
    check "the uninstall entry names the folder" \
        bash -c "wine reg query '$key' /v InstallLocation 2>/dev/null | grep -qF '$dir'"
    check "the event source names the installed tool" \
        reg_is "$event_key" EventMessageFile "REG_EXPAND_SZ    $dir\\kel-admin.exe"
    check "the event source supports errors, warnings and information" \
        reg_is "$event_key" TypesSupported 'REG_DWORD    0x7'

    # _?= runs the uninstaller in place, so that it is waited for.
    wine "$dir\\kel-admin-uninstall.exe" /S "_?=$dir" </dev/null
    check "the tool is removed" test ! -e "$unix_dir/kel-admin.exe" -a ! -e "$unix_dir/kel-admin-cli.exe"
    check "its read-me and licence are removed" \
        test ! -e "$unix_dir/kel-admin-ReadMe.txt" -a ! -e "$unix_dir/kel-admin-LICENSE.txt"
    check "the Start menu entries are removed" test ! -e "$menu"
    check "the uninstall entry is removed" bash -c "! wine reg query '$key' >/dev/null 2>&1"
    check "the event source is removed" bash -c "! wine reg query '$event_key' >/dev/null 2>&1"
}

# A chosen folder. NSIS reads /D= unquoted, and Wine quotes arguments with blanks.
rm -rf "$(winepath -u 'C:\KelAdminTest')"
install_and_uninstall 'C:\KelAdminTest' '/D=C:\KelAdminTest'
rm -rf "$(winepath -u 'C:\KelAdminTest')"

# The server's own folder, found from the system profile; the server's files there stay.
server_dir="$(winepath -u 'C:\KelServerTest')"
rm -rf "$server_dir"
mkdir -p "$server_dir"
printf '[Queues]\r\nQueue1=Laser\r\n' >"$server_dir/kel.ini"
printf 'the server read-me\r\n' >"$server_dir/ReadMe.txt"
saved_profile=""
[ -f "$system_profile" ] && saved_profile="$(cat "$system_profile")"
printf '[Settings]\r\nIni=C:\\KelServerTest\\kel.ini\r\n' >"$system_profile"
install_and_uninstall 'C:\KelServerTest'
check "the server's own files stay" test -s "$server_dir/kel.ini" -a -s "$server_dir/ReadMe.txt"
if [ -n "$saved_profile" ]; then printf '%s' "$saved_profile" >"$system_profile"; else rm -f "$system_profile"; fi
rm -rf "$server_dir"

checks_done
