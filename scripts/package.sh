#!/bin/bash
# Builds the Debian package of Kestrel and helm32 for Debian 12: a release
# build in build-package/ (tests and benchmarks left out), `cpack -G DEB`,
# then checks the package: its control data and dependencies, its contents
# (the runtime tree, launchers, desktop entry, icon, metadata, nothing a run
# leaves behind), the metadata validated, and the headless session run from
# the unpacked package read-only. Prints the package's name and size.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_BUILD_TESTS=OFF \
    -DKESTREL_BUILD_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
cmake --build build-package -j2
rm -f build-package/kestrel_*.deb
(cd build-package && cpack -G DEB >/dev/null)
deb="$(ls build-package/kestrel_*.deb)"

fail() {
    echo "FAIL: $*"
    exit 1
}
dpkg-deb -I "$deb" >build-package/control.txt
dpkg-deb -c "$deb" >build-package/contents.txt
cat build-package/control.txt
depends="$(dpkg-deb -f "$deb" Depends)"
for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libsqlite3-0 libc6 qt6-qpa-plugins; do
    [[ "$depends" =~ (^|, )$p( |,|$) ]] || fail "the package does not depend on $p"
done
for f in ./usr/bin/helm32 ./usr/bin/kestrel ./usr/share/applications/net.opshelm.helm32.desktop \
    ./usr/share/metainfo/net.opshelm.helm32.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/net.opshelm.helm32.svg \
    ./usr/lib/kestrel/OPSHELM32/30000/HELM32/helm32 ./usr/lib/kestrel/OPSHELM32/30000/ADDINS/kestrel; do
    grep -q " $f\( \|$\)" build-package/contents.txt || fail "the package lacks $f"
done
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
# The validators are installed by setup.sh, so the check cannot be skipped.
tests/package/metadata.sh build-package .
for f in applications/net.opshelm.helm32.desktop metainfo/net.opshelm.helm32.metainfo.xml; do
    cmp "$unpacked/usr/share/$f" "build-package/packaging/$(basename "$f")" ||
        fail "the package's $f is not the one validated"
done
tests/package/installed_session.sh --deb "$deb"
echo "Package: $deb ($(du -h "$deb" | cut -f1), $(dpkg-deb -f "$deb" Installed-Size) KiB installed)"
