# What this machine can run, for the test scripts that source this file.

# Asks only whether this machine can execute 32-bit programs, not whether any test passes:
# the kernel refuses the 32-bit Wine loader itself (exit status 126) where it cannot. Leaves
# the loader's answer in probe_output, for the line that says why a test is skipped.
can_execute_32_bit() {
  local status=0
  probe_output=$(/usr/lib/wine/wine --version 2>&1) || status=$?
  [ "$status" -ne 126 ]
}

# Asks only whether qemu runs 64-bit ARM programs here, with the dynamic loader of Debian's
# libc6:arm64 that the aarch64 builds' tests run with, not whether any test passes. Leaves
# qemu's first line in probe_output, for the line that says why a test is skipped.
can_run_aarch64() {
  local status=0
  probe_output=$(qemu-aarch64 -L / /lib/ld-linux-aarch64.so.1 --version 2>&1) || status=$?
  probe_output=${probe_output%%$'\n'*}
  [ "$status" -eq 0 ]
}
