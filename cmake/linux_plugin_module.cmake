# Linux plug-in modules that load from glibc 2.17 on, wherever they were built: the C++
# runtime and libgcc are linked in statically with their symbols hidden (a host's own
# libstdc++ may be older than ours, or another one), and the few references that a new glibc
# would give a version younger than 2.17 are wrapped and bound to old versions by
# src/platform/linux/glibc_baseline.cpp. libdl and libpthread are named as needed, since
# before glibc 2.34 dladdr and the pthread functions lived there. Sanitizer builds are left
# as they are: their runtimes want the shared C++ runtime.
set(VELLUMINE_GLIBC_WRAPPED dladdr pthread_once __pthread_key_create pow _dl_find_object)

function(vellumine_linux_plugin_module target)
  if(WIN32 OR VELLUMINE_SANITIZE OR VELLUMINE_TSAN)
    return()
  endif()
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/platform/linux/glibc_baseline.cpp)
  list(TRANSFORM VELLUMINE_GLIBC_WRAPPED PREPEND "LINKER:--wrap=" OUTPUT_VARIABLE wraps)
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc
    "LINKER:--exclude-libs,libstdc++.a:libgcc.a:libgcc_eh.a" ${wraps} "LINKER:--gc-sections"
    "LINKER:--push-state,--no-as-needed" -l:libpthread.so.0 -l:libdl.so.2 "LINKER:--pop-state")
endfunction()
