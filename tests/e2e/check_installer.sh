#!/usr/bin/env bash
# Builds the installer package from this build, and one of a newer version whose executable is
# changed to carry that version; checks that a version Windows Installer cannot tell apart is
# refused and the package's tables; then runs the installer test on them under Wine in a prefix
# of its own, made afresh: installing changes a prefix, and each run starts from a machine that
# has never seen the program.
#   check_installer.sh <build directory> <installer_tests.exe> <newer version>
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
installer="$root/$("$root/scripts/package" "$1" | grep '\.msi$')"
place="$(mktemp -d)"
trap 'rm -rf "$place"' EXIT
python3 -c 'import struct, sys; data = bytearray(open(sys.argv[1], "rb").read()); major, minor = sys.argv[3].split(".")
struct.pack_into("<I", data, data.index(struct.pack("<I", 0xFEEF04BD)) + 8, int(major) << 16 | int(minor))
open(sys.argv[2], "wb").write(data)' "$1/vexilate.exe" "$place/vexilate.exe" "$3"
newer="$("$root/scripts/package" --version "$3" --into "$place" "$place" | grep '\.msi$')"
! "$root/scripts/package" --version 1.0.0.1 --into "$place" "$place" 2>/dev/null || { echo "1.0.0.1 was packaged" >&2; exit 1; }
python3 "$root/tests/e2e/check_package_tables.py" "$installer" "$1/vexilate.exe"

export WINEPREFIX_OVERRIDE="$1/wineprefix-installer"
(source "$root/scripts/wine-env" && { wineserver -k 2>/dev/null || true; } && wineserver -w 2>/dev/null) || true
rm -rf "$WINEPREFIX_OVERRIDE"
bash "$root/tests/e2e/prepare_locale_prefix.sh"

# Wine shows the Linux file system as drive Z:.
export VEXILATE_INSTALLER="Z:${installer//\//\\}" VEXILATE_NEWER_INSTALLER="Z:${newer//\//\\}" \
  VEXILATE_NEWER_PROGRAM="Z:${place//\//\\}\\vexilate.exe"
"$root/scripts/wine-exec" "$2"
