# The development build: the framework built for the tests, the shipped
# program from its own sub-build, the help files, the package, the tests and
# the benchmarks.
include(cmake/framework.cmake)

# LUMCFG.EXE and its import-check twin, from the sub-build, beside the help file.
include(ExternalProject)
set(LUM_PROGRAM_DIR ${CMAKE_BINARY_DIR}/program)
set(LUM_PROGRAM_FILE ${CMAKE_BINARY_DIR}/LUMCFG.EXE)
ExternalProject_Add(lumcfg_program
                    SOURCE_DIR ${CMAKE_SOURCE_DIR}
                    BINARY_DIR ${LUM_PROGRAM_DIR}
                    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake
                               -DLUM_THREAD_MODEL=win32
                               -DLUM_PROGRAM_ONLY=ON -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
                               -DBUILD_TESTING=OFF
                    INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different
                                    ${LUM_PROGRAM_DIR}/LUMCFG.EXE ${LUM_PROGRAM_FILE}
                    BUILD_ALWAYS ON
                    BUILD_BYPRODUCTS ${LUM_PROGRAM_FILE} ${LUM_PROGRAM_DIR}/LUMCFG_LATE.EXE
                    USES_TERMINAL_BUILD ON)

# The help files the tool opens with F1 lie beside it, one per language of
# its resources (the string table names the file); each is written from the
# readable texts in resources/help (Japanese) or resources/help/en (English).
set(LUM_HELP_FILE ${CMAKE_BINARY_DIR}/LUMCFG.HLP)
set(LUM_HELP_FILE_EN ${CMAKE_BINARY_DIR}/LUMCFG_E.HLP)
# The writer runs during the build, so it is built for the build machine with
# its own compiler, not with the cross toolchain.
find_program(LUM_HOST_CXX NAMES c++ g++ REQUIRED)
set(LUM_HELP_WRITER ${CMAKE_BINARY_DIR}/tools/make_helpfile)
file(GLOB LUM_HELP_WRITER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
file(GLOB LUM_HELP_WRITER_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.h)
add_custom_command(OUTPUT ${LUM_HELP_WRITER}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools
                   COMMAND ${LUM_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror
                           ${LUM_HELP_WRITER_SOURCES} -o ${LUM_HELP_WRITER}
                   DEPENDS ${LUM_HELP_WRITER_SOURCES} ${LUM_HELP_WRITER_HEADERS}
                   COMMENT "Building the help file writer"
                   VERBATIM)
# Their generation date is the time of the last commit of their sources,
# checked at every build (cmake/help_date.cmake).
set(LUM_HELP_DATE_FILE ${CMAKE_BINARY_DIR}/help-date.txt)
add_custom_target(lumcfg_help_date
                  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DOUT=${LUM_HELP_DATE_FILE}
                          -P ${CMAKE_SOURCE_DIR}/cmake/help_date.cmake
                  BYPRODUCTS ${LUM_HELP_DATE_FILE}
                  COMMENT "Dating the help sources"
                  VERBATIM)
# Each help file has its contents file beside it (LUMCFG.CNT, LUMCFG_E.CNT).
function(lum_help_file out folder)
  file(GLOB topics CONFIGURE_DEPENDS ${folder}/topic-*.txt)
  string(REGEX REPLACE "\\.HLP$" ".CNT" contents ${out})
  add_custom_command(OUTPUT ${out} ${contents}
                     COMMAND ${LUM_HELP_WRITER} --date-file ${LUM_HELP_DATE_FILE}
                             --contents ${contents} ${out} ${folder}/lumcfg.txt ${topics}
                     DEPENDS ${LUM_HELP_WRITER} ${LUM_HELP_DATE_FILE} ${folder}/lumcfg.txt ${topics}
                     COMMENT "Writing the help file ${out}"
                     VERBATIM)
endfunction()
lum_help_file(${LUM_HELP_FILE} ${CMAKE_SOURCE_DIR}/resources/help)
lum_help_file(${LUM_HELP_FILE_EN} ${CMAKE_SOURCE_DIR}/resources/help/en)
set(LUM_CONTENTS_FILE ${CMAKE_BINARY_DIR}/LUMCFG.CNT)
set(LUM_CONTENTS_FILE_EN ${CMAKE_BINARY_DIR}/LUMCFG_E.CNT)
add_custom_target(lumcfg_help ALL DEPENDS ${LUM_HELP_FILE} ${LUM_HELP_FILE_EN})
add_dependencies(lumcfg_help lumcfg_help_date)
add_custom_target(LUMCFG ALL DEPENDS lumcfg_program lumcfg_help)
include(cmake/package.cmake)

# The dispatch benchmark, configured only on request (scripts/bench.sh).
if(LUM_BUILD_BENCH)
  add_subdirectory(bench)
endif()

include(CTest)
if(BUILD_TESTING)
  add_subdirectory(tests)
  # The app tests read the built program's resources and version block.
  add_dependencies(app_tests LUMCFG)
  target_link_libraries(app_tests PRIVATE version)
endif()
