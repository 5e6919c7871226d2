# Prints what the Windows build compiles: the sources, compile definitions and
# include folders of the program's targets, read from their own CMakeLists.txt
# with WIN32 set, so that every Windows branch there counts and none of the
# others. Lines: "SRC path", "DEF name[=value]", "INC folder".
# Usage: cmake -DROOT=<source tree> -DMURVANE_APP_ID=<id> -P windows_sources.cmake
set(WIN32 1)
unset(UNIX)
unset(MSVC)
set(sources)
set(definitions)
set(includes)

function(_murvane_add_sources)
  foreach(item IN LISTS ARGN)
    if(item MATCHES "\\.(cpp|cc|cxx)$")
      cmake_path(ABSOLUTE_PATH item BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
      list(APPEND sources "${item}")
    endif()
  endforeach()
  set(sources "${sources}" PARENT_SCOPE)
endfunction()

macro(add_library name)
  _murvane_add_sources(${ARGN})
endmacro()
macro(add_executable name)
  _murvane_add_sources(${ARGN})
endmacro()
macro(target_sources name)
  _murvane_add_sources(${ARGN})
endmacro()
macro(target_compile_definitions name)
  foreach(item ${ARGN})
    if(NOT item MATCHES "^(PUBLIC|PRIVATE|INTERFACE)$")
      list(APPEND definitions "${item}")
    endif()
  endforeach()
endmacro()
macro(target_include_directories name)
  foreach(item ${ARGN})
    if(NOT item MATCHES "^(PUBLIC|PRIVATE|INTERFACE|SYSTEM|BEFORE|AFTER)$")
      list(APPEND includes "${item}")
    endif()
  endforeach()
endmacro()
# What does not change which sources are compiled, nor their definitions.
foreach(command target_link_libraries target_link_options target_compile_options
                target_compile_features target_precompile_headers set_target_properties
                set_source_files_properties set_property add_dependencies add_custom_command
                add_custom_target install qt_add_resources find_package)
  cmake_language(EVAL CODE "macro(${command})\nendmacro()")
endforeach()

foreach(dir calendar store bar dialogs app)
  set(CMAKE_CURRENT_SOURCE_DIR "${ROOT}/${dir}")
  include("${ROOT}/${dir}/CMakeLists.txt")
endforeach()

list(REMOVE_DUPLICATES sources)
foreach(item IN LISTS sources)
  message("SRC ${item}")
endforeach()
foreach(item IN LISTS definitions)
  message("DEF ${item}")
endforeach()
foreach(item IN LISTS includes)
  message("INC ${item}")
endforeach()
