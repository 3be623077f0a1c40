# The shipped program's run-time, built here for the i486: the C++ support
# (throw and catch, RTTI, new and delete, static-initialisation guards,
# terminate) and the DWARF-2 unwinder from the sources of the very GCC that
# is the cross compiler (Debian's gcc-12-source), our own start-up and C
# functions (framework/runtime/crt), and import libraries for the system
# DLLs that hold only the functions the program may import.

file(GLOB LUM_GCC_TARBALL /usr/src/gcc-12/gcc-*.tar.xz)
if(NOT LUM_GCC_TARBALL)
  message(FATAL_ERROR "GCC 12's sources are missing: install the gcc-12-source package")
endif()
list(GET LUM_GCC_TARBALL 0 LUM_GCC_TARBALL)
get_filename_component(LUM_GCC_TOP ${LUM_GCC_TARBALL} NAME)
string(REGEX REPLACE "-dfsg\\.tar\\.xz$|\\.tar\\.xz$" "" LUM_GCC_TOP ${LUM_GCC_TOP})
set(LUM_GCC_SRC ${CMAKE_BINARY_DIR}/gcc-source/${LUM_GCC_TOP})

set(LUM_SUPPORT_FILES
    array_type_info bad_alloc bad_array_length bad_array_new bad_cast bad_typeid
    class_type_info del_op del_ops del_opv del_opvs del_opnt del_opvnt dyncast eh_alloc
    eh_aux_runtime eh_call eh_catch eh_exception eh_personality eh_ptr eh_term_handler
    eh_terminate eh_throw eh_type eh_unex_handler enum_type_info function_type_info
    fundamental_type_info guard guard_error new_handler new_op new_opnt new_opv new_opvnt
    pbase_type_info pmem_type_info pointer_type_info si_class_type_info tinfo tinfo2 vec
    vmi_class_type_info)
list(TRANSFORM LUM_SUPPORT_FILES PREPEND ${LUM_GCC_SRC}/libstdc++-v3/libsupc++/)
list(TRANSFORM LUM_SUPPORT_FILES APPEND .cc)
set(LUM_UNWIND_FILES unwind-dw2.c unwind-dw2-fde.c unwind-c.c)
list(TRANSFORM LUM_UNWIND_FILES PREPEND ${LUM_GCC_SRC}/libgcc/)
set(LUM_GCC_HEADERS ${LUM_GCC_SRC}/libstdc++-v3/libsupc++/eh_globals.cc
                    ${LUM_GCC_SRC}/gcc/tsystem.h)

# Only the folders the program needs, at build time.
add_custom_command(OUTPUT ${LUM_SUPPORT_FILES} ${LUM_UNWIND_FILES} ${LUM_GCC_HEADERS}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/gcc-source
                   COMMAND tar -xJf ${LUM_GCC_TARBALL} -C ${CMAKE_BINARY_DIR}/gcc-source
                           ${LUM_GCC_TOP}/libstdc++-v3/libsupc++ ${LUM_GCC_TOP}/libgcc
                           ${LUM_GCC_TOP}/include ${LUM_GCC_TOP}/gcc/tsystem.h
                   COMMAND ${CMAKE_COMMAND} -E touch ${LUM_SUPPORT_FILES} ${LUM_UNWIND_FILES}
                           ${LUM_GCC_HEADERS}
                   DEPENDS ${LUM_GCC_TARBALL}
                   COMMENT "Unpacking GCC's C++ support and unwinder sources"
                   VERBATIM)

set(LUM_CRT_DIR ${CMAKE_SOURCE_DIR}/framework/runtime/crt)
add_library(lum_cxx_support STATIC ${LUM_SUPPORT_FILES} ${LUM_UNWIND_FILES}
                                   ${LUM_CRT_DIR}/exception_globals.cpp)
set_source_files_properties(${LUM_CRT_DIR}/exception_globals.cpp PROPERTIES OBJECT_DEPENDS
                                                                          "${LUM_GCC_HEADERS}")
# Their configuration headers come first; the code is GCC's, built as GCC
# builds it, with its own warnings left to it.
target_include_directories(lum_cxx_support BEFORE PRIVATE ${LUM_CRT_DIR}/gcc_config
                           ${CMAKE_SOURCE_DIR} ${LUM_GCC_SRC}/libstdc++-v3/libsupc++
                           ${LUM_GCC_SRC}/libgcc ${LUM_GCC_SRC}/gcc ${LUM_GCC_SRC}/include)
# GCC's code is built as GCC builds it, outside the link-time unit.
target_compile_options(lum_cxx_support PRIVATE -w -fno-lto
                       $<$<COMPILE_LANGUAGE:CXX>:-std=gnu++17>
                       $<$<COMPILE_LANGUAGE:C>:-fbuilding-libgcc -fexceptions>)
target_compile_definitions(lum_cxx_support PRIVATE $<$<COMPILE_LANGUAGE:C>:IN_GCC IN_LIBGCC2>)

# Import libraries with only the allowed functions: an import that is not
# on the list fails at link time.
set(LUM_ALLOWED_IMPORTS ${CMAKE_SOURCE_DIR}/tests/imports/allowed_imports.txt)
set(LUM_IMPORT_LIB_DIR ${CMAKE_BINARY_DIR}/import-libs)
set(LUM_IMPORT_LIBS kernel32 user32 gdi32 advapi32)
list(TRANSFORM LUM_IMPORT_LIBS PREPEND ${LUM_IMPORT_LIB_DIR}/lib OUTPUT_VARIABLE LUM_IMPORT_FILES)
list(TRANSFORM LUM_IMPORT_FILES APPEND .a)
add_custom_command(OUTPUT ${LUM_IMPORT_FILES}
                   COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/make_import_libs.py
                           ${LUM_ALLOWED_IMPORTS} ${LUM_IMPORT_LIB_DIR}
                   DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_import_libs.py ${LUM_ALLOWED_IMPORTS}
                   COMMENT "Making the system DLLs' import libraries from the allow list"
                   VERBATIM)
add_custom_target(lum_import_libs DEPENDS ${LUM_IMPORT_FILES})

# The frame tables' end mark goes after every library, where the link rule
# puts it; its start mark is the program's first source.
set(LUM_FRAME_END ${CMAKE_BINARY_DIR}/frame_table_end.obj)
add_custom_command(OUTPUT ${LUM_FRAME_END}
                   COMMAND ${CMAKE_CXX_COMPILER} -march=i486 -g1 -c
                           ${LUM_CRT_DIR}/frame_table_end.cpp -o ${LUM_FRAME_END}
                   DEPENDS ${LUM_CRT_DIR}/frame_table_end.cpp
                   VERBATIM)
add_custom_target(lum_frame_end DEPENDS ${LUM_FRAME_END})
set(CMAKE_CXX_LINK_EXECUTABLE
    "<CMAKE_CXX_COMPILER> <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> -Wl,--start-group <LINK_LIBRARIES> -Wl,--end-group ${LUM_FRAME_END}")
set(LUM_PROGRAM_RUNTIME_SOURCES ${LUM_CRT_DIR}/frame_table_start.cpp
                                ${LUM_CRT_DIR}/program_start.cpp ${LUM_CRT_DIR}/c_exports.cpp)
# Outside the link-time unit: the compiler may call the C functions after
# that unit is compiled, and the frame table's start mark must stay first.
set_source_files_properties(${LUM_PROGRAM_RUNTIME_SOURCES} PROPERTIES COMPILE_OPTIONS -fno-lto)

# The run-time pieces of a program: entry point, no compiler run-time.
function(lum_use_program_runtime name)
  add_dependencies(${name} lum_frame_end)
  target_link_libraries(${name} PRIVATE lum_cxx_support)
  target_link_options(${name} PRIVATE -nostdlib -nostartfiles
                      -Wl,--entry=_LumProgramStart@0 -Wl,--disable-auto-import)
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${LUM_FRAME_END})
endfunction()
