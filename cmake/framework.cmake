# The framework's layers and the tool's library, with the checks of their
# direction, and the resource images: the same in both builds.

# The framework in layers, each a library that links only downwards:
# runtime (state records, objects, memory, strings, collections), the
# three-dimensional look, the windows layer in its rooms (below). The tool
# (app/) sits on top.
# Before any of them compiles, an include against that direction fails the
# build.
set(LUM_LAYER_STAMP ${CMAKE_BINARY_DIR}/layers.stamp)
file(GLOB_RECURSE LUM_LAYERED_FILES CONFIGURE_DEPENDS framework/*.cpp framework/*.h app/*.cpp
     app/*.h)
add_custom_command(OUTPUT ${LUM_LAYER_STAMP}
                   COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check_layers.py
                           ${CMAKE_SOURCE_DIR} ${LUM_LAYER_STAMP}
                   DEPENDS ${CMAKE_SOURCE_DIR}/scripts/check_layers.py ${LUM_LAYERED_FILES}
                   COMMENT "Checking the layers' include direction"
                   VERBATIM)
add_custom_target(lum_layers DEPENDS ${LUM_LAYER_STAMP})

# The program entry goes into programs, not into a library.
set(LUM_PROGRAM_ONLY_SOURCES ".*/program_entry\\.cpp$")
function(lum_layer name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX ${LUM_PROGRAM_ONLY_SOURCES})
  add_library(${name} STATIC ${sources})
  add_dependencies(${name} lum_layers)
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE ${LUM_OLD_SYSTEMS})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
lum_layer(lum_runtime framework/runtime kernel32 user32)
lum_layer(lum_look3d framework/look3d lum_runtime user32 gdi32)
# The windows layer in rooms, each a library that links only downwards:
# the handle wrappers (tables, DCs, GDI objects, menus, image lists); the
# window objects and the road of a message (classes, window procedure,
# dispatch, maps, forms, context help, and the application and thread
# objects as windows see them); dialogs and their templates; and on top what
# the application and thread objects do (pump, idle, start-up).
lum_layer(lum_handles framework/windows/handles lum_look3d user32 gdi32)
lum_layer(lum_messaging framework/windows/messaging lum_handles user32 gdi32 advapi32)
lum_layer(lum_dialogs framework/windows/dialogs lum_messaging user32)
lum_layer(lum_application framework/windows/application lum_dialogs user32)
add_library(lum_windows INTERFACE)
target_link_libraries(lum_windows INTERFACE lum_application)
# The whole framework, for programs and tests.
add_library(lumfw INTERFACE)
target_link_libraries(lumfw INTERFACE lum_windows)

# The tool's logic, kept apart from its entry so that tests can link it.
file(GLOB LUMAPP_SOURCES CONFIGURE_DEPENDS app/*.cpp)
list(FILTER LUMAPP_SOURCES EXCLUDE REGEX ".*/app/config_app\\.cpp$")
add_library(lumapp STATIC ${LUMAPP_SOURCES})
add_dependencies(lumapp lum_layers)
target_link_libraries(lumapp PUBLIC lumfw)
target_compile_definitions(lumapp PRIVATE ${LUM_OLD_SYSTEMS})
# The tool's narrow literals are in the ANSI code page it runs under (932).
target_compile_options(lumapp PRIVATE -fexec-charset=CP932)

# The same direction for calls, read from the built libraries: a symbol a
# layer needs must be defined in that layer or below it.
set(LUM_LAYER_LIBRARIES $<TARGET_FILE:lum_runtime> $<TARGET_FILE:lum_look3d>
                        $<TARGET_FILE:lum_handles> $<TARGET_FILE:lum_messaging>
                        $<TARGET_FILE:lum_dialogs> $<TARGET_FILE:lum_application>
                        $<TARGET_FILE:lumapp>)
set(LUM_SYMBOL_STAMP ${CMAKE_BINARY_DIR}/layer_symbols.stamp)
add_custom_command(OUTPUT ${LUM_SYMBOL_STAMP}
                   COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check_layers.py
                           --symbols ${CMAKE_NM} ${LUM_LAYER_LIBRARIES}
                   COMMAND ${CMAKE_COMMAND} -E touch ${LUM_SYMBOL_STAMP}
                   DEPENDS ${CMAKE_SOURCE_DIR}/scripts/check_layers.py lum_runtime lum_look3d
                           lum_handles lum_messaging lum_dialogs lum_application lumapp
                   COMMENT "Checking that no layer calls a layer above it"
                   VERBATIM)
add_custom_target(lum_layer_symbols ALL DEPENDS ${LUM_SYMBOL_STAMP})

# The resource script's images are drawn as text in resources/art and made
# into image files at build time, where windres finds them.
set(LUM_ART_DIR ${CMAKE_BINARY_DIR}/art)
file(GLOB LUM_ART_DRAWINGS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/art/*.txt)
set(LUM_ART_FILES icon-1.bin icon-2.bin icon-5.bin icon-group.bin help-3.bin help-4.bin
                  help-group.bin glyphs.bmp check12x10.bmp arrows13.bmp arrows11.bmp)
list(TRANSFORM LUM_ART_FILES PREPEND ${LUM_ART_DIR}/)
add_custom_command(OUTPUT ${LUM_ART_FILES}
                   COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/make_artwork.py
                           ${LUM_ART_DIR} ${LUM_ART_DRAWINGS}
                   DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_artwork.py ${LUM_ART_DRAWINGS}
                   COMMENT "Drawing the resource images"
                   VERBATIM)
set_source_files_properties(resources/lumcfg.rc PROPERTIES OBJECT_DEPENDS
                                                           "${LUM_ART_FILES};${CMAKE_SOURCE_DIR}/resources/lumcfg.manifest"
                                                           INCLUDE_DIRECTORIES ${LUM_ART_DIR})
add_custom_target(lumcfg_art DEPENDS ${LUM_ART_FILES})

