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
if(MIREL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

if(MIREL_FUZZ)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "")
endif()

# The root of every project include: #include "mirel/util/a_log.h"
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

# mirel_library(<name> SOURCES ... [LIBS ...])
# An OBJECT library with the project's warnings and include root. Engine
# modules (mirel_<module>) are also collected into the static library `mirel`;
# a program that links an OBJECT library directly keeps every object of it,
# so sources that register themselves through static initialisers stay in.
# A test may link just the modules it needs (their objects) instead of `mirel`.
# LIBS names external libraries only: never another mirel_ module, whose
# objects would then be linked twice. Modules reach each other's headers
# through the shared include root.
function(mirel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    return() # a module with no sources yet
  endif()
  add_library(${name} OBJECT ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${MIREL_INCLUDE_ROOT})
  target_compile_options(${name} PRIVATE ${MIREL_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(name MATCHES "^mirel_")
    set_property(GLOBAL APPEND PROPERTY MIREL_ENGINE_LIBS ${name})
    set_property(GLOBAL APPEND PROPERTY MIREL_ENGINE_EXTERNAL_LIBS ${ARG_LIBS})
  endif()
endfunction()

# mirel_test(<name> SOURCES ... [LIBS ...])
# A GoogleTest executable registered with ctest. Tests run from the build tree
# with MIREL_TEST_TMP pointing at a private scratch folder.
function(mirel_test name)
  if(NOT MIREL_TESTS OR MIREL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${MIREL_INCLUDE_ROOT} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${MIREL_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
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
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  add_dependencies(fuzzers ${name})
  file(APPEND ${CMAKE_BINARY_DIR}/fuzzers.txt "${name}\n")
endfunction()

# mirel_benchmark(<name> SOURCES ... [LIBS ...])
function(mirel_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${MIREL_INCLUDE_ROOT})
  target_compile_options(${name} PRIVATE ${MIREL_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
