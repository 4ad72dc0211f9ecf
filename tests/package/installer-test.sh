#!/usr/bin/env bash
# Installs the Windows installer silently under Wine, checks the files, the Start menu entries,
# the uninstall entry and the event source, then uninstalls silently and checks that everything
# of the tool is gone and nothing else. Twice: into a chosen folder (/D=), and into the default
# folder, which is the server's own when the system profile names the server's profile. Then a
# signed installer of the next version: an upgrade in place, the downgrade and the other folder
# refused, and the refusal while the MSI package beside INSTALLER is installed.
# Usage: installer-test.sh INSTALLER TOOL_EXE
set -euo pipefail
installer="$1"
built_tool="$2"
menu="$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\KEL Administrator')"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KELAdministrator'
system_profile="$(winepath -u 'C:\windows\kel.ini')"
journals="$(winepath -u 'C:\ProgramData\KEL Administrator')"
. "$(dirname "$0")/checks.sh"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
build_wincheck "$tmp"
setup() { wine "$(winepath -w "$1")" /S "${@:2}" </dev/null; } # INSTALLER [ARGUMENTS...]
shown() { # INSTALLER [ARGUMENT]: the texts of the boxes it shows, not silent
    wine "$wincheck_exe" run-dialog "$(winepath -w "$1")${2:+ $2}" </dev/null >"$tmp/shown" || true
    tr -d '\r' <"$tmp/shown"
}
files_closed() { # FOLDER UNIX_FOLDER: no file of the tool there grants users write
    local f
    for f in "$2"/kel-admin*; do wincheck no-write-for-users "$1\\${f##*/}" || return 1; done
}

# install_and_uninstall FOLDER [INSTALLER ARGUMENTS...]: FOLDER is where the tool must land.
install_and_uninstall() {
    local dir="$1"
    shift
    local unix_dir
    unix_dir="$(winepath -u "$dir")"
    rm -rf "$menu" "$journals"
    mkdir -p "$journals" && chmod 777 "$journals" # as any user may have made it, open to all
    setup "$installer" "$@"
    check "the tool is installed byte for byte in $dir" cmp -s "$unix_dir/kel-admin.exe" "$built_tool"
    check "its command line is installed" test -s "$unix_dir/kel-admin-cli.exe"
    check "the read-me is installed, with CRLF line ends" bash -c "test -s '$unix_dir/kel-admin-ReadMe.txt' && ! grep -qv $'\\r$' '$unix_dir/kel-admin-ReadMe.txt'"
    check "the licence is installed" test -s "$unix_dir/kel-admin-LICENSE.txt"
    check "the uninstaller is installed" test -s "$unix_dir/kel-admin-uninstall.exe"
    check "the notices are installed" grep -q winpthreads "$unix_dir/kel-admin-THIRD-PARTY-NOTICES.txt"
    # Wine applies a new list to a folder, not to a file: the files are seen only where the
    # folder they are made in grants nothing.
    if [ "$dir" = 'C:\KelAdminTest' ]; then
        check "the folder, the tool's alone, is mended" wincheck no-write-for-users "$dir"
        check "the files grant users no write" files_closed "$dir" "$unix_dir"
    fi
    check "the journals' folder is mended: no write for users" wincheck no-write-for-users 'C:\ProgramData\KEL Administrator'
    check "the Start menu entry exists" test -s "$menu/KEL Administrator.lnk"
    check "the uninstall entry names the folder" \
        bash -c "wine reg query '$key' /v InstallLocation 2>/dev/null | grep -qF '$dir'"
    check "the event source names the installed tool" \
        reg_is "$event_key" EventMessageFile "REG_EXPAND_SZ    $dir\\kel-admin.exe"
    check "the event source supports errors, warnings and information" \
        reg_is "$event_key" TypesSupported 'REG_DWORD    0x7'

    [ -z "${leave_journal:-}" ] || touch "$journals/cut-short.journal" # a move cut short
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
mkdir -m 777 "$(winepath -u 'C:\KelAdminTest')" # empty, made for the tool, open to all
install_and_uninstall 'C:\KelAdminTest' '/D=C:\KelAdminTest'
check "the journals' folder without a journal is removed" test ! -e "$journals"
rm -rf "$(winepath -u 'C:\KelAdminTest')"

# The server's own folder, found from the system profile; the server's files there stay.
server_dir="$(winepath -u 'C:\KelServerTest')"
rm -rf "$server_dir"
mkdir -p "$server_dir"
printf '[Queues]\r\nQueue1=Laser\r\n' >"$server_dir/kel.ini"
printf 'the server read-me\r\n' >"$server_dir/ReadMe.txt"
chmod 777 "$server_dir" # a folder that holds others' files keeps its list, whatever it is
saved_profile=""
[ -f "$system_profile" ] && saved_profile="$(cat "$system_profile")"
printf '[Settings]\r\nIni=C:\\KelServerTest\\kel.ini\r\n' >"$system_profile"
leave_journal=1
install_and_uninstall 'C:\KelServerTest'
check "the journals' folder with a journal is kept" test -e "$journals/cut-short.journal"
check "the server's own files stay" test -s "$server_dir/kel.ini" -a -s "$server_dir/ReadMe.txt"
check "the server's folder keeps its list" eval '! wincheck no-write-for-users "C:\\KelServerTest"'
if [ -n "$saved_profile" ]; then printf '%s' "$saved_profile" >"$system_profile"; else rm -f "$system_profile"; fi
rm -rf "$server_dir" "$journals"

check "the ZIP holds the programs, read-me, licence and notices, in that order" eval '[ "$(python3 -m zipfile -l "${installer%-setup.exe}.zip" |
    awk "NR > 1 { printf \"%s \", \$1 }")" = "kel-admin.exe kel-admin-cli.exe ReadMe.txt LICENSE.txt THIRD-PARTY-NOTICES.txt " ]'
check "packaging stops on a library linked in that has no notice" eval '{ cat "$(dirname "$built_tool")/../maps/kel-admin.exe.map"
    echo "/usr/lib/libother.a(other.o)"; } >"$tmp/other.map"
    ! "${package_script%package}notices" "$tmp/other.map" >/dev/null 2>"$tmp/said" && grep -q libother "$tmp/said"'

# A signed installer of the next version; a link where the journals' folder belongs.
make_signer "$tmp"
version="$(basename "$installer" | sed 's/^kel-admin-\(.*\)-setup\.exe$/\1/')"
newer="$(next_version "$version")"
"$package_script" --setup "$newer" "$tmp/newer-setup.exe"
dir='C:\KelUpgradeTest'
unix_dir="$(winepath -u "$dir")"
mkdir -p "$tmp/elsewhere" && chmod 777 "$tmp/elsewhere" && touch "$tmp/elsewhere/other.txt"
ln -s "$tmp/elsewhere" "$journals"
check "the installer of $newer is signed" signed "$tmp/newer-setup.exe"
check "$version installs into $dir" setup "$installer" "/D=$dir"
check "$newer upgrades it in place: one entry" eval 'setup "$tmp/newer-setup.exe" &&
    reg_is "$key" DisplayVersion "REG_SZ    $newer" && reg_is "$key" InstallLocation "REG_SZ    $dir"'
check "the programs and the uninstaller it installed are signed" eval 'signed "$unix_dir/kel-admin.exe" &&
    signed "$unix_dir/kel-admin-cli.exe" && signed "$unix_dir/kel-admin-uninstall.exe"'
cp "$unix_dir/kel-admin.exe" "$tmp/changed.exe" && printf 'X' | dd of="$tmp/changed.exe" bs=1 seek=1000 conv=notrunc 2>/dev/null
check "a program changed after signing fails the check" eval '! signed "$tmp/changed.exe"'
check "the link to another folder was not followed" eval '[ -L "$journals" ] && ! wincheck no-write-for-users "$(winepath -w "$tmp/elsewhere")"'
check "$version is refused over $newer (exit code 4)" eval 'setup "$installer"; [ $? -eq 4 ] && reg_is "$key" DisplayVersion "REG_SZ    $newer" &&
    shown "$installer" | grep -cxF "KEL Administrator $newer is installed in $dir, a newer version than this setup'"'"'s $version. To go back to $version, remove $newer first, under Programs and Features or with" >/dev/null'
check "another folder is refused while it is installed (exit code 5)" eval 'setup "$tmp/newer-setup.exe" "/D=C:\KelOtherTest"
    [ $? -eq 5 ] && [ ! -e "$(winepath -u "C:\KelOtherTest")" ] &&
    shown "$tmp/newer-setup.exe" "/D=C:\KelOtherTest" | grep -cxF "KEL Administrator $newer is installed in $dir; this setup upgrades it there. To install into C:\KelOtherTest instead, remove it first, under Programs and Features or with" >/dev/null'
wine "$dir\\kel-admin-uninstall.exe" /S "_?=$dir" </dev/null
check "the uninstaller leaves the link and what it leads to" test -L "$journals" -a -e "$tmp/elsewhere/other.txt"
rm -rf "$unix_dir" "$journals"
msi="${installer%-setup.exe}.msi"
wine msiexec /i "$(winepath -w "$msi")" /qn </dev/null
check "the MSI package's installation is refused (exit code 3)" eval 'setup "$installer"; [ $? -eq 3 ] && ! wine reg query "$key" &>/dev/null &&
    shown "$installer" | grep -cxE "msiexec /x \{[-0-9A-F]{36}\} /qn" >/dev/null'
wine msiexec /x "$(winepath -w "$msi")" /qn </dev/null

checks_done
