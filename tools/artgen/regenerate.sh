#!/usr/bin/env bash
# Builds artgen and redraws the editor's bitmaps and its glyph table in resources/. With a directory argument it
# also writes PNG previews there (the composed editor and enlarged bitmaps).
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-art -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-art --target artgen
build-art/tools/artgen/artgen resources ${1:+"$1"}
