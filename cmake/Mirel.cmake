# Shared build settings and the helpers every module's CMakeLists uses.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# External libraries, one imported target each, visible everywhere.
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET GLOBAL zlib)
pkg_check_modules(ZZIP REQUIRED IMPORTED_TARGET GLOBAL zziplib)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET GLOBAL libjpeg)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET GLOBAL libpng)
pkg_check_modules(OGG REQUIRED IMPORTED_TARGET GLOBAL ogg)
pkg_check_modules(THEORADEC REQUIRED IMPORTED_TARGET GLOBAL theoradec)
pkg_check_modules(THEORAENC REQUIRED IMPORTED_TARGET GLOBAL theoraenc)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET GLOBAL sndfile)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET GLOBAL sdl2)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET GLOBAL x11)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET GLOBAL freetype2)
find_library(MNG_LIBRARY mng REQUIRED)
find_path(MNG_INCLUDE_DIR libmng.h REQUIRED)
add_library(Mirel::mng UNKNOWN IMPORTED GLOBAL)
set_target_properties(Mirel::mng PROPERTIES IMPORTED_LOCATION ${MNG_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${MNG_INCLUDE_DIR})
# Imported names to use in LIBS: PkgConfig::ZLIB PkgConfig::ZZIP PkgConfig::JPEG
# PkgConfig::PNG PkgConfig::OGG PkgConfig::THEORADEC PkgConfig::THEORAENC
# PkgConfig::SNDFILE PkgConfig::SDL2 PkgConfig::X11 PkgConfig::FREETYPE Mirel::mng

set(MIREL_WARNINGS -Wall -Wextra)
if(MIREL_WERROR)
  list(APPEND MIREL_WARNINGS -Werror)
endif()

# float-cast-overflow is not part of GCC's "undefined" group: named, so that
# both compilers catch a float converted to an integer that cannot hold it.
if(MIREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined,float-cast-overflow)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()
# ThreadSanitizer cannot share a program with AddressSanitizer: a build of
# its own, for the tests whose threads share data.
if(MIREL_SANITIZE_THREAD)
  if(MIREL_SANITIZE OR MIREL_FUZZ)
    message(FATAL_ERROR "MIREL_SANITIZE_THREAD goes with neither MIREL_SANITIZE nor MIREL_FUZZ")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(MIREL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

if(MIREL_FUZZ)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "")
endif()

# The root of every project include: #include "mirel/base/a_log.h"
set(MIREL_INCLUDE_ROOT ${PROJECT_SOURCE_DIR}/code)

# Adds every immediate sub-folder of the current source folder that has a CMakeLists.txt.
function(mirel_add_subdirectories)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# mirel_library(<name> SOURCES ... [MODULES ...] [LIBS ...])
# An OBJECT library with the project's warnings and include root. MODULES names
# the modules below it that its sources use (their headers and, for a program
# that links it, their objects); LIBS the external libraries it calls. Engine
# modules (mirel_<module>) are also collected into the static library `mirel`.
# A program that links an OBJECT library keeps every object of it, so sources
# that register themselves through static initialisers stay in; link modules
# with mirel_link_modules, which brings each module below once.
function(mirel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;MODULES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    return() # a module with no sources yet
  endif()
  add_library(${name} OBJECT ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${MIREL_INCLUDE_ROOT})
  target_compile_options(${name} PRIVATE ${MIREL_WARNINGS})
  # Between OBJECT libraries a link passes on usage needs only, not objects.
  target_link_libraries(${name} PUBLIC ${ARG_MODULES} ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES MIREL_IS_MODULE TRUE MIREL_MODULES "${ARG_MODULES}")
  set_property(GLOBAL APPEND PROPERTY MIREL_MODULE_LIBS ${name})
  if(name MATCHES "^mirel_")
    set_property(GLOBAL APPEND PROPERTY MIREL_ENGINE_LIBS ${name})
  endif()
endfunction()

# mirel_module_closure(<out> <module>...)
# The modules and every module below them, each once.
function(mirel_module_closure out)
  set(closure)
  set(stack ${ARGN})
  while(stack)
    list(POP_FRONT stack module)
    if(NOT module IN_LIST closure)
      list(APPEND closure ${module})
      get_target_property(below ${module} MIREL_MODULES)
      list(APPEND stack ${below})
    endif()
  endwhile()
  set(${out} ${closure} PARENT_SCOPE)
endfunction()

# mirel_link_modules(<target> <item>...)
# Links a program with each named module and every module below it, the
# objects of each once; other items (external or static libraries) are linked
# as they are.
function(mirel_link_modules target)
  set(modules)
  set(others)
  foreach(item ${ARGN})
    set(is_module FALSE)
    if(TARGET ${item})
      get_target_property(is_module ${item} MIREL_IS_MODULE)
    endif()
    if(is_module)
      list(APPEND modules ${item})
    else()
      list(APPEND others ${item})
    endif()
  endforeach()
  mirel_module_closure(closure ${modules})
  target_link_libraries(${target} PRIVATE ${closure} ${others})
endfunction()

# Stops the configuration when a module names something that is no module, or
# when the modules' declarations run in a circle, so that every module has a
# place in one order from bottom to top.
function(mirel_check_module_order)
  get_property(modules GLOBAL PROPERTY MIREL_MODULE_LIBS)
  foreach(module ${modules})
    _mirel_visit_module(${module} "")
  endforeach()
endfunction()

function(_mirel_visit_module module path)
  get_property(done GLOBAL PROPERTY _MIREL_ORDERED_${module})
  if(done)
    return()
  endif()
  list(APPEND path ${module})
  list(FIND path ${module} first)
  list(LENGTH path length)
  math(EXPR last "${length} - 1")
  if(NOT first EQUAL last)
    list(SUBLIST path ${first} -1 circle)
    list(JOIN circle " -> " text)
    message(FATAL_ERROR "Modules that use each other: ${text}")
  endif()
  get_target_property(below ${module} MIREL_MODULES)
  foreach(other ${below})
    set(is_module FALSE)
    if(TARGET ${other})
      get_target_property(is_module ${other} MIREL_IS_MODULE)
    endif()
    if(NOT is_module)
      message(FATAL_ERROR "${module} names ${other} among its MODULES, which is no module")
    endif()
    _mirel_visit_module(${other} "${path}")
  endforeach()
  set_property(GLOBAL PROPERTY _MIREL_ORDERED_${module} TRUE)
endfunction()

# mirel_test(<name> SOURCES ... [LIBS ...])
# A GoogleTest executable registered with ctest. Tests run from the build tree
# with MIREL_TEST_TMP pointing at a private scratch folder. LIBS names the
# modules the test uses (each comes with the modules below it, as in
# mirel_link_modules) and any other libraries; the same holds for fuzzers and
# benchmarks.
function(mirel_test name)
  if(NOT MIREL_TESTS OR MIREL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${MIREL_INCLUDE_ROOT} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${MIREL_WARNINGS})
  mirel_link_modules(${name} ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "MIREL_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp/${name}")
endfunction()

# mirel_fuzzer(<name> SOURCES ... [LIBS ...])
# A libFuzzer target; only built in a MIREL_FUZZ (clang) build. Every fuzzer
# is listed in fuzzers.txt in the build folder, which the test script runs.
function(mirel_fuzzer name)
  if(NOT MIREL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${MIREL_INCLUDE_ROOT} ${PROJECT_SOURCE_DIR}/tests)
  mirel_link_modules(${name} ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  add_dependencies(fuzzers ${name})
  file(APPEND ${CMAKE_BINARY_DIR}/fuzzers.txt "${name}\n")
endfunction()

# mirel_fuzz_seeds(<program>)
# In a fuzz build, runs the seed writer (a program taking <seeds folder>
# <regressions folder>, see tests/support/seed_writer.h) as part of
# `fuzzers`, into <build>/fuzz-seeds and <build>/fuzz-regressions, which
# test.sh hands to the fuzzers with the committed tests/fuzz-seeds.
function(mirel_fuzz_seeds program)
  if(NOT MIREL_FUZZ)
    return()
  endif()
  set(stamp ${CMAKE_BINARY_DIR}/fuzz-seeds/.${program}.made)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz-seeds ${CMAKE_BINARY_DIR}/fuzz-regressions
    COMMAND ${program} ${CMAKE_BINARY_DIR}/fuzz-seeds ${CMAKE_BINARY_DIR}/fuzz-regressions
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${program}
    COMMENT "Making fuzz seeds with ${program}")
  add_custom_target(${program}_seeds DEPENDS ${stamp})
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  add_dependencies(fuzzers ${program}_seeds)
endfunction()

# mirel_benchmark(<name> SOURCES ... [LIBS ...])
function(mirel_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${MIREL_INCLUDE_ROOT})
  target_compile_options(${name} PRIVATE ${MIREL_WARNINGS})
  mirel_link_modules(${name} ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
