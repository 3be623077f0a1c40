# The package a Windows user takes away: build/dist/ and
# build/LUMCFG-<version>.zip with the program, both help files with their
# contents files, and the read-me files in their systems' code pages.
file(STRINGS ${CMAKE_SOURCE_DIR}/resources/lumcfg.rc LUM_FILE_VERSION_LINE
     REGEX "VALUE \"FileVersion\"" LIMIT_COUNT 1)
string(REGEX REPLACE ".*\"FileVersion\", \"([^\"]+)\".*" "\\1" LUM_VERSION
       "${LUM_FILE_VERSION_LINE}")
if(NOT LUM_VERSION MATCHES "^[0-9.]+$")
  message(FATAL_ERROR "no FileVersion in resources/lumcfg.rc")
endif()
set(LUM_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(LUM_PACKAGE ${CMAKE_BINARY_DIR}/LUMCFG-${LUM_VERSION}.zip)
set(LUM_README_JA ${LUM_DIST_DIR}/README.TXT)
set(LUM_README_EN ${LUM_DIST_DIR}/README_E.TXT)
set(LUM_PACKAGE_FILES LUMCFG.EXE LUMCFG.HLP LUMCFG.CNT LUMCFG_E.HLP LUMCFG_E.CNT README.TXT
                      README_E.TXT)
set(LUM_BUILT_FILES ${LUM_PROGRAM_FILE} ${LUM_HELP_FILE} ${LUM_CONTENTS_FILE} ${LUM_HELP_FILE_EN}
                    ${LUM_CONTENTS_FILE_EN})
set(LUM_ENCODE ${CMAKE_SOURCE_DIR}/scripts/encode_text.sh)
add_custom_command(OUTPUT ${LUM_README_JA} ${LUM_README_EN}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${LUM_DIST_DIR}
                   COMMAND bash ${LUM_ENCODE}
                           ${CMAKE_SOURCE_DIR}/resources/package/README.txt ${LUM_README_JA} 932
                   COMMAND bash ${LUM_ENCODE}
                           ${CMAKE_SOURCE_DIR}/resources/package/README_E.txt ${LUM_README_EN} 1252
                   DEPENDS ${LUM_ENCODE} ${CMAKE_SOURCE_DIR}/resources/package/README.txt
                           ${CMAKE_SOURCE_DIR}/resources/package/README_E.txt
                   COMMENT "Writing the read-me files"
                   VERBATIM)
add_custom_command(OUTPUT ${LUM_PACKAGE}
                   COMMAND ${CMAKE_COMMAND} -E copy ${LUM_BUILT_FILES} ${LUM_DIST_DIR}
                   COMMAND ${CMAKE_COMMAND} -E rm -f ${LUM_PACKAGE}
                   COMMAND ${CMAKE_COMMAND} -E tar cf ${LUM_PACKAGE} --format=zip
                           ${LUM_PACKAGE_FILES}
                   WORKING_DIRECTORY ${LUM_DIST_DIR}
                   DEPENDS ${LUM_BUILT_FILES} ${LUM_README_JA} ${LUM_README_EN}
                   COMMENT "Packing ${LUM_PACKAGE}"
                   VERBATIM)
add_custom_target(lumcfg_package ALL DEPENDS ${LUM_PACKAGE})
add_dependencies(lumcfg_package LUMCFG)
