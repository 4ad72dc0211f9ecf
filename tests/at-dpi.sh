#!/usr/bin/env bash
# Runs a program under Wine with the display at DPI dots per inch (Wine's LogPixels setting,
# read by every process that starts meanwhile), then puts the setting back.
# Usage: at-dpi.sh DPI PROGRAM [ARGS...]
set -euo pipefail
dpi="$1"
shift
key='HKCU\Control Panel\Desktop'
wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
trap 'wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1 || true' EXIT
wine "$@"
