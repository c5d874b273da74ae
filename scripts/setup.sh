#!/bin/sh
# Installs what building, running, testing, fuzzing and packaging Kestrel
# needs on Debian 12 (clang and its runtime libraries, libFuzzer among them,
# for the fuzz build; Qt's own translations, for the standard buttons of a
# language other than English; the validators of the desktop entry and the
# AppStream metadata, and dpkg-shlibdeps for the package's dependencies;
# gcovr, for the coverage figures of scripts/coverage.sh; PostgreSQL's
# server and client library, for the team journal and its tests).
# Idempotent: when every package is present it only asks dpkg and returns.
set -eu

PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools \
qt6-translations-l10n \
libgl-dev libsqlite3-dev sqlite3 libgtest-dev libgmock-dev librapidcheck-dev libbenchmark-dev \
xvfb xauth x11-utils fonts-dejavu-core clang libclang-rt-14-dev \
clang-format clang-tidy appstream desktop-file-utils dpkg-dev gcovr \
postgresql libpq-dev"

# The repository's own hooks: formatting is checked before each commit.
repo="$(dirname "$0")/.."
if command -v git >/dev/null 2>&1 && git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
    git -C "$repo" config core.hooksPath .githooks
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
