#!/usr/bin/env bash
# hidden_fonts_snapshot.sh SNAPSHOT SHIM WORK_DIR
# The editor's picture must not depend on the machine's fonts: the snapshot tool's picture
# with every font folder hidden (a private mount namespace with an empty /usr/share/fonts, or
# where namespaces are refused the preloaded SHIM that fails opens there) must equal, byte for
# byte, its picture with them. Before trusting a hiding, it checks that a font file is indeed
# out of reach under it.
set -uo pipefail
snapshot=$1 shim=$2 work=$3
mkdir -p "$work"
settings=(--program 3 --set 0=0.25 --set 13=1)
probe=$(find /usr/share/fonts -name '*.ttf' -print -quit 2>/dev/null)

"$snapshot" "$work/with-fonts.png" "${settings[@]}" || { echo "the snapshot with the fonts failed"; exit 1; }

hidden_by_namespace() {
  unshare -rm sh -c 'mount -t tmpfs none /usr/share/fonts && exec "$@"' sh "$@"
}
hidden_by_shim() {
  LD_PRELOAD=$shim "$@"
}

for hide in hidden_by_namespace hidden_by_shim; do
  if [ -n "$probe" ] && $hide cat "$probe" >/dev/null 2>&1; then continue; fi
  if [ -z "$probe" ] || $hide true 2>/dev/null; then
    $hide "$snapshot" "$work/without-fonts.png" "${settings[@]}" ||
      { echo "the snapshot without fonts ($hide) failed"; exit 1; }
    if cmp -s "$work/with-fonts.png" "$work/without-fonts.png"; then
      echo "ok: the snapshot with every font folder hidden ($hide) equals the one with them"
      exit 0
    fi
    echo "the snapshot with every font folder hidden ($hide) differs from the one with them:" \
         "$work/with-fonts.png, $work/without-fonts.png"
    exit 1
  fi
done
echo "SKIPPED: cannot hide /usr/share/fonts from a process here (no private mount namespace, and the preloaded shim did not hide $probe)"
exit 0
