# The CLAP headers: any CLAP 1.x SDK's include folder (the one that holds clap/entry.h), given
# as VELLUMINE_CLAP_INCLUDE_DIR, or the copy Debian's dpf-source package carries. They are
# never copied into this repository. Defines the target clap_headers where they are found.
set(VELLUMINE_CLAP_INCLUDE_DIR "" CACHE PATH "A folder holding clap/entry.h (a CLAP 1.x SDK's include folder)")

if(NOT VELLUMINE_CLAP_INCLUDE_DIR)
  # Outside any cross build's root: the headers are plain C, the same for every target.
  find_path(clap_found_dir clap/entry.h PATHS /usr/share/dpf/distrho/src NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(clap_found_dir)
    set(VELLUMINE_CLAP_INCLUDE_DIR ${clap_found_dir} CACHE PATH "A folder holding clap/entry.h" FORCE)
  endif()
  unset(clap_found_dir CACHE)
endif()

if(VELLUMINE_CLAP_INCLUDE_DIR AND EXISTS ${VELLUMINE_CLAP_INCLUDE_DIR}/clap/entry.h)
  add_library(clap_headers INTERFACE)
  # As system headers: our warning set is not theirs to meet.
  target_include_directories(clap_headers SYSTEM INTERFACE ${VELLUMINE_CLAP_INCLUDE_DIR})
  message(STATUS "CLAP headers: ${VELLUMINE_CLAP_INCLUDE_DIR}")
else()
  message(STATUS "CLAP headers not found (Debian: dpf-source; or set VELLUMINE_CLAP_INCLUDE_DIR): the CLAP edition is not built")
endif()
