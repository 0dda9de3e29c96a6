#!/usr/bin/env bash
# Readies the Wine prefix of tests that need a locale of their own (WINEPREFIX_OVERRIDE and
# VEXILATE_LOCALE set by CTest): a virtual desktop and unmanaged windows as in the project's
# prefix, put in force by restarting the prefix's server. Without them every closed window
# stalls for two seconds.
set -e
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env"
if grep -qs '^"Default"="1280x1024"' "$WINEPREFIX/user.reg" && grep -qs '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
  exit 0
fi
mkdir -p "$WINEPREFIX"
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
wineserver -k || true
wineserver -w
