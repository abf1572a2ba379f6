#!/usr/bin/env bash
# Builds the native pure layer with its tests, and both Windows executables.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in host win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
