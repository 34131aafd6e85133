# Installation in the layout Linux hosts search, and the Debian package made from it.
#
#   lib/vst/vellumine.so           the VST 2 module (hosts look in /usr/lib/vst, /usr/local/lib/vst)
#   lib/lv2/vellumine.lv2/         the LV2 bundle (/usr/lib/lv2, /usr/local/lib/lv2)
#   lib/clap/vellumine.clap        the CLAP module (/usr/lib/clap, /usr/local/lib/clap)
#   lib/vst3/vellumine.vst3/       the VST 3 bundle (/usr/lib/vst3, /usr/local/lib/vst3)
#   share/doc/vellumine/           README, changelog, copyright, docs/ (the user's guide and the
#                                  pages the README links to)
#
# Plug-in folders are not architecture triplets: hosts look in lib/vst, lib/lv2, lib/clap and
# lib/vst3 only.

# Installs the editions: the VST 2 module into <vst_dir>, the LV2 bundle as
# <lv2_dir>/vellumine.lv2, the CLAP module into <clap_dir>, the VST 3 bundle as
# <vst3_dir>/vellumine.vst3. The LV2 bundle is installed as a whole, so that whatever the build
# writes into it (Turtle, presets) goes along; its two binaries go through install(TARGETS)
# so that they are stripped with the module. Further arguments go to each install().
function(vellumine_install_plugins vst_dir lv2_dir clap_dir vst3_dir)
  install(TARGETS vellumine LIBRARY DESTINATION ${vst_dir} ${ARGN})
  if(TARGET vellumine_clap)
    install(TARGETS vellumine_clap LIBRARY DESTINATION ${clap_dir} ${ARGN})
  endif()
  if(TARGET vellumine_vst3)
    install(TARGETS vellumine_vst3 LIBRARY DESTINATION ${vst3_dir}/vellumine.vst3/${VELLUMINE_VST3_BINARY_FOLDER} ${ARGN})
  endif()
  if(TARGET vellumine_lv2)
    install(TARGETS vellumine_lv2 vellumine_lv2_ui LIBRARY DESTINATION ${lv2_dir}/vellumine.lv2 ${ARGN})
    install(DIRECTORY ${VELLUMINE_LV2_BUNDLE}/ DESTINATION ${lv2_dir}/vellumine.lv2 ${ARGN}
            PATTERN "*.so" EXCLUDE)
  endif()
endfunction()
vellumine_install_plugins(lib/vst lib/lv2 lib/clap lib/vst3)
# For one user, without root: `cmake --install build --component user --prefix ~` puts the
# plug-ins into ~/.vst, ~/.lv2, ~/.clap and ~/.vst3, where hosts look first. Not part of a full
# installation.
vellumine_install_plugins(.vst .lv2 .clap .vst3 COMPONENT user EXCLUDE_FROM_ALL)

# The factory preset files are written by a program that a native build runs; a cross build
# installs the files a native build wrote (the same bytes on every platform) from this folder.
if(CMAKE_CROSSCOMPILING)
  set(VELLUMINE_NATIVE_PRESET_DIR "" CACHE PATH "The factory preset files of a native build, for the installation")
  if(VELLUMINE_NATIVE_PRESET_DIR)
    install(DIRECTORY ${VELLUMINE_NATIVE_PRESET_DIR}/ DESTINATION share/vellumine/presets)
  endif()
endif()

set(VELLUMINE_DOC_DIR share/doc/vellumine)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
              ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${VELLUMINE_DOC_DIR})
# The README's links are relative: its pages go along, so that they work where it is installed.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs DESTINATION ${VELLUMINE_DOC_DIR})

# Debian wants the package's changelog as changelog.gz in its own format, made from the
# version set once in project() and that release's date in CHANGELOG.md, whose notes are
# installed beside it. A version without its entry in CHANGELOG.md is not released.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md release_heading
     REGEX "^## \\[${PROJECT_VERSION}\\] - [0-9]+-[0-9]+-[0-9]+$")
if(NOT release_heading)
  message(FATAL_ERROR "CHANGELOG.md has no entry '## [${PROJECT_VERSION}] - YYYY-MM-DD'")
endif()
string(REGEX MATCH "[0-9]+-[0-9]+-[0-9]+$" release_day "${release_heading}")
execute_process(COMMAND date -u -R -d "${release_day} 12:00" OUTPUT_VARIABLE VELLUMINE_RELEASE_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(VELLUMINE_MAINTAINER "Quorvane <vellumine@quorvane.example>")
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  COMMENT "Compressing the Debian changelog")
add_custom_target(vellumine_debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${VELLUMINE_DOC_DIR})

set(CPACK_PACKAGE_NAME vellumine)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VELLUMINE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo delay audio plug-in (VST 2, LV2 and CLAP)")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
# Debian's name for the target's architecture; without it dpkg names the build machine's.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL aarch64)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvane.example/vellumine")
# The libraries the binaries link come from dpkg-shlibdeps; the editor's text is built into
# them, so no font package is needed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vellumine is a stereo delay effect for audio hosts. Each channel has an
origin path (a state-variable filter with LFO-modulated cutoff and level)
and a delay path (a second filter feeding a ten-second feedback delay
line). It has 22 parameters, 64 programs and its own editor window.
.
This package contains the VST 2 plug-in in /usr/lib/vst, the LV2
plug-in bundle in /usr/lib/lv2 and the CLAP plug-in in /usr/lib/clap,
for hosts such as Ardour, Qtractor or jalv.")
include(CPack)
