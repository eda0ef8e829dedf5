#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; quick no-op when all are present.
set -euo pipefail

packages=(
    build-essential cmake pkg-config clang-format
    qt6-base-dev libgl-dev
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libpulse-dev pulseaudio pulseaudio-utils
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
    libmp3lame-dev libmpg123-dev libtag1-dev libfftw3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    lame ffmpeg
    gstreamer1.0-tools gstreamer1.0-pulseaudio gstreamer1.0-plugins-good stress-ng
    pipewire pipewire-pulse wireplumber dbus
    weston qt6-wayland
    sox musepack-tools vorbis-tools opus-tools flac id3v2 eyed3 python3-mutagen
    appstream desktop-file-utils dpkg-dev file gzip lintian man-db xdg-utils
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
