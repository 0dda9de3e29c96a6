#!/usr/bin/env bash
# Builds the release package from this build, unpacks it into a fresh directory and runs the
# package test on it under Wine.
#   check_package.sh <build directory> <package_tests.exe>
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
package="$("$root/scripts/package" "$1" | tail -n 1)"
place="$(mktemp -d)"
trap 'rm -rf "$place"' EXIT
/usr/bin/python3 -m zipfile -e "$root/$package" "$place/unpacked"
# Wine shows the Linux file system as drive Z:.
export VEXILATE_PACKAGE_DIR="Z:${place//\//\\}\\unpacked"
"$root/scripts/wine-exec" "$2"
