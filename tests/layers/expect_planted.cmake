# Runs the layering check on the planted tree and expects it to fail, naming
# each planted violation once and nothing else.
#   cmake -DCHECKER=<check_layers.cmake> -DFIXTURE=<planted tree> -P expect_planted.cmake

cmake_minimum_required(VERSION 3.20)

set(expected
  "code/game/a_core.cpp includes \"game/shell/a_shell.h\" of game_shell, which is not below game"
  "code/game/bonus/a_puzzle.cpp includes \"game/scenes/a_room.h\" of game_scenes, which is not below game_bonus"
  "code/game/scenes/a_room.cpp includes \"game/shell/a_shell.h\" of game_shell, which is not below game_scenes"
  "code/mirel/a_stray.h belongs to no module"
  "code/mirel/base/a_low.cpp includes \"mirel/gfx/a_high.h\" of mirel_gfx, which is not below mirel_base"
  "code/mirel/base/a_quiet.cpp includes \"mirel/sound/a_sound.h\" of mirel_sound, which is not below mirel_base"
  "code/mirel/gfx/a_high.cpp includes \"game/a_scene.h\" of game, which is not below mirel_gfx"
  "code/mirel/platform/a_device.cpp includes \"mirel/gfx/a_high.h\" of mirel_gfx, which is not below mirel_platform"
  "code/mirel/sound/a_sound.cpp includes \"mirel/gfx/a_high.h\" of mirel_gfx, which is not below mirel_sound"
  "splash/splash.cpp includes \"mirel/base/a_low.h\" of mirel_base, which is not below splash"
  "splash/splash_scene.cpp includes \"../code/game/a_scene.h\" of game, which is not below splash")

execute_process(
  COMMAND ${CMAKE_COMMAND} -DROOT=${FIXTURE} -DMAP=${FIXTURE}/layers.cmake -P ${CHECKER}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")

set(found)
string(REGEX MATCHALL "layer violation: [^\n]*" lines "${output}")
foreach(line ${lines})
  string(REPLACE "layer violation: " "" line "${line}")
  list(APPEND found "${line}")
endforeach()

set(problems)
if(result EQUAL 0)
  list(APPEND problems "the check passed a tree with planted violations")
endif()
foreach(line ${expected})
  if(NOT line IN_LIST found)
    list(APPEND problems "not reported: ${line}")
  endif()
endforeach()
foreach(line ${found})
  if(NOT line IN_LIST expected)
    list(APPEND problems "reported without cause: ${line}")
  endif()
endforeach()
list(LENGTH found found_count)
list(LENGTH expected expected_count)
if(NOT found_count EQUAL expected_count)
  list(APPEND problems "${found_count} violations reported, ${expected_count} planted")
endif()
if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "${text}")
endif()
