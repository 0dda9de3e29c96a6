#!/usr/bin/env bash
# Builds the installer package from this build, and one of a newer version, then runs the
# installer test on them under Wine in a prefix of its own, made afresh: installing changes
# a prefix, and each run starts from a machine that has never seen the program.
#   check_installer.sh <build directory> <installer_tests.exe> <newer version>
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
installer="$root/$("$root/scripts/package" "$1" | grep '\.msi$')"
place="$(mktemp -d)"
trap 'rm -rf "$place"' EXIT
newer="$("$root/scripts/package" --version "$3" --into "$place" "$1" | grep '\.msi$')"

export WINEPREFIX_OVERRIDE="$1/wineprefix-installer"
(source "$root/scripts/wine-env" && { wineserver -k 2>/dev/null || true; } && wineserver -w 2>/dev/null) || true
rm -rf "$WINEPREFIX_OVERRIDE"
bash "$root/tests/e2e/prepare_locale_prefix.sh"

# Wine shows the Linux file system as drive Z:.
export VEXILATE_INSTALLER="Z:${installer//\//\\}" VEXILATE_NEWER_INSTALLER="Z:${newer//\//\\}"
"$root/scripts/wine-exec" "$2"
