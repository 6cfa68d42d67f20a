#!/usr/bin/env bash
# Installs what the build, the tests and the screenshots need (quietly; idempotent).
set -euo pipefail
pkgs=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libfreetype-dev
      fonts-liberation2 qt6-base-dev libqt6sql6-sqlite xvfb xauth xdotool twm imagemagick
      poppler-utils sqlite3 clang clang-format libclang-rt-14-dev libopencv-imgproc-dev
      dpkg-dev file appstream)
missing=()
for p in "${pkgs[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
