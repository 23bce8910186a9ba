# Checks that every include points down the module order.
#
#   cmake -DROOT=<source tree> -DMAP=<layer map> -P check_layers.cmake
#
# The layer map is a CMake script that sets, with folders relative to ROOT:
#   LAYER_SCAN           folders whose sources and headers are checked
#   LAYER_INCLUDE_ROOTS  folders include names are looked up in ("mirel/...")
#   LAYER_UNITS          the units: modules, the game, the splash library
#   LAYER_DIR_<unit>     the unit's folder (a file belongs to the unit with the
#                        longest folder that holds it)
#   LAYER_BELOW_<unit>   the units whose headers the unit may include
# A file may include headers of its own unit and of the units below it. Each
# other include that names a file of the scanned tree is reported, and so is
# every scanned file that belongs to no unit. Includes that name no file of
# the tree (system and library headers) are not judged.

cmake_minimum_required(VERSION 3.20)

if(NOT ROOT OR NOT MAP)
  message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -DMAP=<layer map> -P check_layers.cmake")
endif()
get_filename_component(ROOT "${ROOT}" ABSOLUTE)
include("${MAP}")

# The unit of a path relative to ROOT, "" when none holds it.
function(layer_owner path out)
  set(best "")
  set(best_length 0)
  foreach(unit ${LAYER_UNITS})
    set(dir "${LAYER_DIR_${unit}}")
    string(LENGTH "${dir}" length)
    string(FIND "${path}" "${dir}/" at)
    if(at EQUAL 0 AND length GREATER best_length)
      set(best ${unit})
      set(best_length ${length})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(files)
foreach(folder ${LAYER_SCAN})
  file(GLOB_RECURSE found RELATIVE "${ROOT}" LIST_DIRECTORIES false
    "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.hpp" "${ROOT}/${folder}/*.inc"
    "${ROOT}/${folder}/*.c" "${ROOT}/${folder}/*.cc" "${ROOT}/${folder}/*.cpp")
  list(APPEND files ${found})
endforeach()
list(REMOVE_DUPLICATES files)
list(SORT files)

set(violations 0)
foreach(file ${files})
  layer_owner("${file}" unit)
  if(unit STREQUAL "")
    message("layer violation: ${file} belongs to no module")
    math(EXPR violations "${violations} + 1")
    continue()
  endif()
  get_filename_component(here "${ROOT}/${file}" DIRECTORY)
  file(STRINGS "${ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${lines})
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
      continue()
    endif()
    set(quote "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    set(candidates)
    if(quote STREQUAL "\"")
      list(APPEND candidates "${here}/${name}")
    endif()
    foreach(include_root ${LAYER_INCLUDE_ROOTS})
      list(APPEND candidates "${ROOT}/${include_root}/${name}")
    endforeach()
    set(target "")
    foreach(candidate ${candidates})
      if(EXISTS "${candidate}" AND NOT IS_DIRECTORY "${candidate}")
        get_filename_component(target "${candidate}" ABSOLUTE)
        break()
      endif()
    endforeach()
    if(target STREQUAL "")
      continue() # not a file of the tree
    endif()
    file(RELATIVE_PATH relative "${ROOT}" "${target}")
    if(relative MATCHES "^\\.\\./")
      continue() # outside the tree
    endif()
    layer_owner("${relative}" owner)
    if(owner STREQUAL "")
      message("layer violation: ${file} includes \"${name}\", which belongs to no module")
      math(EXPR violations "${violations} + 1")
    elseif(NOT owner STREQUAL unit AND NOT owner IN_LIST LAYER_BELOW_${unit})
      message("layer violation: ${file} includes \"${name}\" of ${owner}, which is not below ${unit}")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()

list(LENGTH files count)
if(violations GREATER 0)
  message(FATAL_ERROR "${violations} layer violation(s) in ${count} files")
endif()
message(STATUS "layers: ${count} files, every include points down")
