#!/bin/bash
# Validates the desktop entry and the AppStream metadata the build makes for
# the package, and checks that the icon is a drawing. Ends with 77 (skipped)
# when the validators are not installed (scripts/setup.sh installs them).
# Usage: metadata.sh <build folder> <source folder>
set -euo pipefail

build="$1/packaging"
source="$2/packaging"
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
        exit 77
    fi
done
desktop="$build/net.opshelm.helm32.desktop"
metainfo="$build/net.opshelm.helm32.metainfo.xml"
status=0
# Hints and pedantic notes fail too: both validators must have nothing to say.
said="$(desktop-file-validate "$desktop" 2>&1)" || status=1
[ -z "$said" ] || { echo "$said"; status=1; }
said="$(appstreamcli validate --no-net --pedantic --explain "$metainfo" 2>&1)" || status=1
[ "$(echo "$said" | grep -cv 'Validation was successful')" -eq 0 ] || { echo "$said"; status=1; }
grep -q '^Icon=net.opshelm.helm32$' "$desktop" || { echo "FAIL: the entry names another icon"; status=1; }
grep -q '<launchable type="desktop-id">net.opshelm.helm32.desktop</launchable>' "$metainfo" ||
    { echo "FAIL: the metadata launches another entry"; status=1; }
head -c 200 "$source/helm32.svg" | grep -q '<svg' || { echo "FAIL: the icon is no SVG"; status=1; }
[ "$status" -eq 0 ] && echo "PASS desktop entry, metadata and icon"
exit "$status"
