# What this machine can run, for the test scripts that source this file.

# Asks only whether this machine can execute 32-bit programs, not whether any test passes:
# the 32-bit Wine loader must be installed (a mirror may have lacked its architecture's index),
# and the kernel refuses it (exit status 126) where it cannot run 32-bit code. Leaves the reason
# in probe_output, for the line that says why a test is skipped.
can_execute_32_bit() {
  local status=0 loader=/usr/lib/wine/wine
  if [ ! -x "$loader" ]; then
    probe_output="$loader is missing: wine32:i386 could not be installed"
    return 1
  fi
  probe_output=$("$loader" --version 2>&1) || status=$?
  probe_output="$loader --version: ${probe_output##*: }"
  [ "$status" -ne 126 ]
}

# Asks only whether qemu runs 64-bit ARM programs here, with the dynamic loader of Debian's
# libc6:arm64 that the aarch64 builds' tests run with, not whether any test passes. Leaves
# qemu's first line in probe_output, for the line that says why a test is skipped.
can_run_aarch64() {
  local status=0
  probe_output=$(qemu-aarch64 -L / /lib/ld-linux-aarch64.so.1 --version 2>&1) || status=$?
  probe_output="qemu-aarch64: ${probe_output%%$'\n'*}"
  [ "$status" -eq 0 ]
}

# Asks whether the arm64 libraries that the aarch64 builds link are installed (a mirror may have
# lacked that architecture's index). Names the missing ones in probe_output.
has_arm64_libraries() {
  local pkg missing=()
  for pkg in $(sed -n 's/^\(.*:arm64\)?$/\1/p' scripts/packages-aarch64.txt); do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  probe_output="not installed: ${missing[*]}"
  [ ${#missing[@]} -eq 0 ]
}
