#!/usr/bin/env bash
# Installs the Debian packages Lumivex needs to build, test and run; does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libicu-dev libexiv2-dev
  # SHA-256 with the processor's SHA instructions, for the catalog's file digests.
  libssl-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  qt6-multimedia-dev
  # Photos beyond JPEG and PNG: WebP and TIFF through Qt's readers, HEIC and AVIF, camera raw files.
  qt6-image-formats-plugins libheif-dev libraw-dev
  # Qt 6.4 plays through GStreamer: containers, parsers and the H.264 and AAC decoders.
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
  gstreamer1.0-alsa
  # Korean interface text, on screen and in the widget tests' screenshots.
  fonts-noto-cjk
  # The symbols the Korean font lacks (arrows, chevrons, the keyboard, the cross of a close button).
  fonts-dejavu-core
  # Qt's own Korean texts: the file dialog and the standard buttons.
  qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  # The release build's allocator.
  libjemalloc-dev
  clang-14 libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
