#!/usr/bin/env bash
# Checks a Windows build of the plug-in without running it, as a host's loader would see the
# file: the architecture, the exported entry points, the imported DLLs and the bitmaps.
#   scripts/check-pe.sh DLL 32|64 [EXPORTS]
# EXPORTS: the names the file must export, space-separated (default: the VST 2 module's
# "VSTPluginMain main"; the CLAP module exports "clap_entry").
# Prints one line per problem and exits non-zero if there is any.
set -euo pipefail
dll=$1
bits=$2
wanted_exports=$(tr ' ' '\n' <<<"${3:-VSTPluginMain main}" | sort | tr '\n' ' ')
case "$bits" in
  32) objdump=i686-w64-mingw32-objdump magic=010b ;;
  64) objdump=x86_64-w64-mingw32-objdump magic=020b ;;
  *) echo "usage: $0 DLL 32|64" >&2; exit 2 ;;
esac
problems=0
problem() { echo "$dll: $*"; problems=$((problems + 1)); }
# The objdump of the other architecture does not read the file at all.
dump=$("$objdump" -p "$dll" 2>&1) || { echo "$dll: not a $bits-bit PE file: $dump"; exit 1; }

grep -q "^Magic[[:space:]]*$magic[[:space:]]" <<<"$dump" || problem "not a $bits-bit PE file"

# The host looks the plug-in up by these names; nothing else is exported.
exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {t = 1; next} t && /^\t\[/ {print $NF; next} t {exit}' <<<"$dump" | sort | tr '\n' ' ')
[ "$exports" = "$wanted_exports" ] || problem "exports '$exports', expected exactly '${wanted_exports% }'"

# Only DLLs that every Windows installation has: no compiler runtime beside the plug-in.
system_dlls=' ADVAPI32.dll COMDLG32.dll GDI32.dll KERNEL32.dll MSIMG32.dll USER32.dll msvcrt.dll ole32.dll SHELL32.dll '
while read -r name; do
  [[ "$system_dlls" == *" $name "* ]] || problem "imports $name, which is not a system DLL"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")

# The editor's six bitmaps at scales 1, 1.5 and 2: resource type 2 (BITMAP), ids 1024 to 1029,
# 1124 to 1129 and 1224 to 1229. The dump indents
# each level of the resource tree by two more spaces: types, then names, then languages.
bitmaps=$(awk '/^[0-9a-f]+   Entry: ID: / {t = ($4 == "0x000002,"); next}
               t && /^[0-9a-f]+     Entry: ID: / {sub(",", "", $4); print $4}' <<<"$dump" | sort | tr '\n' ' ')
expected_bitmaps="0x000400 0x000401 0x000402 0x000403 0x000404 0x000405 0x000464 0x000465 0x000466 0x000467 0x000468 0x000469 0x0004c8 0x0004c9 0x0004ca 0x0004cb 0x0004cc 0x0004cd "
[ "$bitmaps" = "$expected_bitmaps" ] || problem "bitmap resources '$bitmaps', expected 1024 to 1029, 1124 to 1129 and 1224 to 1229"

if [ "$problems" -eq 0 ]; then
  echo "$dll: $bits-bit PE, exports ${wanted_exports% }, system imports only, bitmaps 1024-1029, 1124-1129, 1224-1229"
fi
[ "$problems" -eq 0 ]
