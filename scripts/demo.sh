#!/usr/bin/env bash
# Installs what is missing, builds the plug-in and shows what a host sees of it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
build/tools/show_record build/vellumine.so
