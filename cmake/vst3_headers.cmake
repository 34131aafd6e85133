# The VST 3 interface declarations: the pure-C, ISC-licensed travesty headers that Debian's
# dpf-source package carries. VELLUMINE_VST3_INCLUDE_DIR is the folder that holds travesty/
# (code includes <travesty/component.h>), found in dpf-source's copy when not given. They are
# never copied into this repository. Defines the target vst3_headers where they are found.
set(VELLUMINE_VST3_INCLUDE_DIR "" CACHE PATH "A folder holding the travesty VST 3 headers (travesty/component.h)")

if(NOT VELLUMINE_VST3_INCLUDE_DIR)
  # Outside any cross build's root: the headers are plain C, the same for every target.
  find_path(vst3_found_dir travesty/component.h PATHS /usr/share/dpf/distrho/src NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(vst3_found_dir)
    set(VELLUMINE_VST3_INCLUDE_DIR ${vst3_found_dir} CACHE PATH "A folder holding travesty/component.h" FORCE)
  endif()
  unset(vst3_found_dir CACHE)
endif()

if(VELLUMINE_VST3_INCLUDE_DIR AND EXISTS ${VELLUMINE_VST3_INCLUDE_DIR}/travesty/component.h)
  add_library(vst3_headers INTERFACE)
  # As system headers: our warning set is not theirs to meet.
  target_include_directories(vst3_headers SYSTEM INTERFACE ${VELLUMINE_VST3_INCLUDE_DIR})
  message(STATUS "VST 3 headers: ${VELLUMINE_VST3_INCLUDE_DIR}/travesty")
else()
  message(STATUS "VST 3 headers not found (Debian: dpf-source; or set VELLUMINE_VST3_INCLUDE_DIR): the VST 3 edition is not built")
endif()
