# The shipped program, LUMCFG.EXE: every byte of it runs on an i486 (no
# CMOV, no FCOMI), it brings its own run-time instead of the compiler's, it
# imports only what the allow list names, and it is stripped; the checks
# that can be made of it run right after its link. Its twin LUMCFG_LATE.EXE
# has one import too many, for the import check to refuse.

# The debug record of each object names its options, which the build checks
# after linking; the program itself is stripped. The framework and the tool
# are compiled again as one unit at the link (link-time optimisation, one
# partition), with the same machine options: across the whole program the
# compiler drops and folds what no path reaches, and one frame table header
# serves all of its code instead of one per source file. The link keeps that
# unit's object (-save-temps), for the check of its options. Each function in
# a section of its own, so that the linker can drop the unused ones.
set(LUM_PROGRAM_MACHINE -march=i486 -g1)
add_compile_options(${LUM_PROGRAM_MACHINE} -ffunction-sections -flto)
add_link_options(${LUM_PROGRAM_MACHINE} $<$<CONFIG:Release>:-Os> -ffunction-sections
                 -flto-partition=one -save-temps -Wl,--gc-sections)
include(cmake/framework.cmake)
include(cmake/program_runtime.cmake)
# The link map serves the size report, the search for what pulls an
# import, and the check that every object with code was built here for
# the i486.
function(lum_program name)
  add_executable(${name} WIN32 ${LUM_PROGRAM_RUNTIME_SOURCES}
                               framework/windows/application/program_entry.cpp app/config_app.cpp
                               resources/lumcfg.rc ${ARGN})
  # The images are drawn once, by their own target: listed as sources of
  # both programs they would be drawn twice at once in a parallel build.
  add_dependencies(${name} lumcfg_art)
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${name} SUFFIX .EXE)
  target_link_libraries(${name} PRIVATE lumapp)
  target_compile_definitions(${name} PRIVATE ${LUM_OLD_SYSTEMS})
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP932>)
  # Win32s loads every program into one address space: the relocations
  # stay, whatever the linker's default.
  target_link_options(${name} PRIVATE -s -Wl,-Map=${CMAKE_BINARY_DIR}/${name}.map
                                      -Wl,--enable-reloc-section)
  lum_use_program_runtime(${name})
endfunction()
lum_program(LUMCFG)
# Only the allowed imports exist for the program's link.
add_dependencies(LUMCFG lum_import_libs)
target_link_options(LUMCFG PRIVATE -L${LUM_IMPORT_LIB_DIR})
add_custom_command(TARGET LUMCFG POST_BUILD
                   COMMAND Python3::Interpreter
                           ${CMAKE_SOURCE_DIR}/scripts/check_program_objects.py
                           ${CMAKE_BINARY_DIR}/LUMCFG.map ${LUM_IMPORT_LIB_DIR}
                   COMMENT "Checking that every object in LUMCFG.EXE was built for the i486"
                   VERBATIM)
# The same program with one late import added, linked against the
# toolchain's full import libraries: the import check must refuse it.
lum_program(LUMCFG_LATE tests/imports/late_import.cpp)
