#!/usr/bin/env bash
# The 64-bit ARM Linux build against the x86-64 one. Cross-builds with Debian's
# g++-aarch64-linux-gnu only what these tests need (core_tests, vst2_tests, the VST 2 module, plughost) and
# runs them under qemu-user:
# - core_tests and vst2_tests: the four-lane engine bit for bit against its units and a plain
#   model of its arithmetic, the wave tables against the bits of the x86-64 build, the
#   denormal flush;
# - renders of the reference settings and of every factory preset through the aarch64 module,
#   compared bit for bit with the x86-64 module's renders of the same (from build/);
# - `plughost check` on the aarch64 module, the editor opened on a private Xvfb display: about
#   a minute under emulation, stopped after four.
# Before any of that, the aarch64 engine must hold no fused multiply-add instruction. A machine
# where qemu cannot run aarch64 programs still builds; only the runs are left out, with one line
# that says so. The release archives are built and checked by scripts/test-package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh scripts/packages.txt scripts/packages-aarch64.txt
jobs=$(nproc)
source scripts/machine.sh
source scripts/wav.sh
if ! has_arm64_libraries; then
  echo "SKIPPED: aarch64 build and tests not run: the arm64 libraries they link could not be" \
    "installed ($probe_output)"
  exit 0
fi

# The x86-64 side: nothing to do after scripts/test.sh has built build/.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs" --target plughost vellumine vellumine_presets

# The same configuration as scripts/package.sh, so that neither rebuilds the other's work.
dir=build-aarch64
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j"$jobs" --target core_tests vst2_tests vellumine plughost

# -ffp-contract=off keeps GCC from fusing a multiply and an add into one instruction, which
# rounds once instead of twice; a single one in the module would change its output.
disassembly=$(aarch64-linux-gnu-objdump -d --no-show-raw-insn "$dir/vellumine.so")
fused=$(grep -cE '\s(fmadd|fmsub|fnmadd|fnmsub|fmla|fmls)\s' <<<"$disassembly" || true)
if [ "$fused" != 0 ]; then
  echo "test-arm: FAILED: $dir/vellumine.so has $fused fused multiply-add instructions" >&2
  exit 1
fi
echo "$dir/vellumine.so: no fused multiply-add instruction"

if ! can_run_aarch64; then
  echo "SKIPPED: aarch64 tests not run: qemu cannot run 64-bit ARM programs on this machine" \
    "($probe_output); the module, plughost, core_tests and vst2_tests were built and the module checked as a file"
  exit 0
fi

ctest --test-dir "$dir" --output-on-failure --timeout 600 -R '^(core|vst2)_tests$'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Parameter changes at frame times: LFO restarts, a new delay time and filter mid-stream.
cat >"$work/changes.txt" <<'EOF'
0 Delay Output Mix=0.5
0 Delay Amount=0.02
0 Feedback=0.8
0 6=0.7
0.7s 14=0.1
1.3s 4=0.9
1.9s Delay Amount=0.0125
2.6s 18=0.8
3.1s 17=0.4
EOF
# Renders one setting through both modules and counts whether the samples are the same bits.
same=0
differing=()
compare() {
  local name=$1
  shift
  build/plughost render build/vellumine.so -o "$work/x86_64.wav" "$@" >/dev/null
  qemu-aarch64 -L / "$dir/plughost" render "$dir/vellumine.so" -o "$work/aarch64.wav" "$@" >/dev/null
  if same_samples "$work/x86_64.wav" "$work/aarch64.wav"; then
    same=$((same + 1))
  else
    differing+=("$name")
  fi
}
# The reference settings: the Init program (no LFO runs), the demonstration setting, every
# LFO running, on all five shapes, with high feedback and resonance into a ten-second tail
# through the denormal range, odd blocks at 96 kHz into the accumulating entry, and
# automation mid-stream.
compare init
compare demo --automate scripts/demo-setting.txt
compare busy --set 1=0.5 --set 3=0.9 --set 4=0 --set 5=0.3 --set 6=0.6 --set 7=0.25 --set 8=0.1 \
  --set 9=0.4 --set 10=0.5 --set 11=0.0375 --set 12=0.9 --set 13=0.7 --set 15=0.9 --set 16=0.75 \
  --set 17=0.2 --set 18=0.5 --set 19=1 --set 20=0.05 --set 21=0.3 --tail 10
compare blocks --automate scripts/demo-setting.txt --block 7 --rate 96000 --accumulate
compare automation --automate "$work/changes.txt"
# The delay path's own modes changing mid-stream: a fade, a tape glide, freeze and ducking.
cat >"$work/motion.txt" <<'EOF'
0 Delay Output Mix=0.5
0 Delay Amount=0.03
0 Feedback=0.7
0 23=1
0 24=0.5
0 26=0.6
1.0s Delay Amount=0.02
1.5s 24=1
2.0s Delay Amount=0.035
2.8s 25=1
3.5s 23=0.5
4.0s 25=0
EOF
compare motion --automate "$work/motion.txt"
references=$((same + ${#differing[@]}))
presets=0
for preset in build/presets/*.fxp; do
  compare "$(basename "$preset" .fxp)" --preset "$preset"
  presets=$((presets + 1))
done
echo "aarch64 renders: $same of $((references + presets)) bit for bit the x86-64 module's" \
  "($references reference settings, $presets factory presets)"

# Each check in a process of its own; plughost ends any one after 2 minutes.
status=0
xvfb-run -a timeout 240 qemu-aarch64 -L / "$dir/plughost" check "$dir/vellumine.so" >"$work/check.txt" || status=$?
summary=$(tail -n 1 "$work/check.txt")
[ "$status" = 124 ] && summary="did not finish within 4 minutes"
grep '^FAIL' "$work/check.txt" || true
echo "plughost check of $dir/vellumine.so under qemu: $summary"

failed=0
if [ ${#differing[@]} -ne 0 ]; then
  echo "test-arm: FAILED: the aarch64 module renders other samples than the x86-64 one for: ${differing[*]}" >&2
  failed=1
fi
if ! grep -q '^[0-9]* passed, 0 failed' <<<"$summary"; then
  echo "test-arm: FAILED: plughost check of the aarch64 module: $summary" >&2
  failed=1
fi
exit "$failed"
