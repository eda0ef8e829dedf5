#!/usr/bin/env bash
# Builds the Debian package in one command: package.sh [--no-build] [build folder, default build]
# Installs what is missing, builds, runs cpack (Depends from dpkg-shlibdeps) and checks the
# result with lintian, which must report no errors and no warnings. Prints the package's path
# last.
# --no-build packages a build folder as it is (the tests use it on their own build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=1
if [ "${1:-}" = --no-build ]; then
    build=0
    shift
fi
dir=${1:-build}
if [ "$build" -eq 1 ]; then
    bash scripts/install-deps.sh
    bash scripts/build.sh "$dir"
fi
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/korvanta-recorder_*_amd64.deb)
dpkg-deb --field "$deb" Package Version Depends >&2
# Errors and warnings fail the build; notes are shown.
lintian --fail-on error,warning --display-info "$deb" >&2
realpath "$deb"
