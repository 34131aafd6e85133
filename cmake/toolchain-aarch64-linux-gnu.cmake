# Cross build for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu. The libraries (X11,
# FreeType, libpng, libsndfile, the LV2 headers) are Debian's multiarch :arm64 packages in
# /usr/lib/aarch64-linux-gnu, which the cross compiler searches by itself.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# pkg-config reads the :arm64 packages' files only, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
# Programs run under qemu's user-mode emulation with the multiarch C and C++ runtimes
# (libc6:arm64, libstdc++6:arm64), the ones the dynamic loader's cache lists. Not with
# `-L /usr/aarch64-linux-gnu`: the cross toolchain's loader is of an older Debian revision than
# the libc it then finds through that cache, and fork() hangs in the child.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)
