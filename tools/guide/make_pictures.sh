#!/usr/bin/env bash
# Draws the user's guide pictures, docs/images/guide-*.png, from renders of the plug-in:
# installs matplotlib and numpy (tools/guide/packages.txt), builds the VST 2 module and
# plughost in build/ where they are missing, and runs tools/guide/plots.py. Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh tools/guide/packages.txt
if [ ! -x build/plughost ] || [ ! -f build/vellumine.so ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
  cmake --build build -j1 --target vellumine plughost
fi
# Debian's python3, whose matplotlib and numpy the list installs, whatever python3 comes first on PATH.
/usr/bin/python3 tools/guide/plots.py build/plughost build/vellumine.so docs/images
