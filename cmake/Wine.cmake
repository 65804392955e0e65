# Running the Win32 binaries under Wine: the project's prefix, the CTest
# emulator, the fixture that keeps one wineserver (and one virtual display)
# alive for a whole test run, and zen_add_test().

find_program(WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE64 NAMES wine64)
if(NOT WINE64)
  message(FATAL_ERROR "wine64 not found: run scripts/install-deps.sh")
endif()
get_filename_component(WINE_BINDIR "${WINE64}" DIRECTORY)

set(WINE_TEST_PREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix for the tests")
set(ZEN_WINE_STATE "${CMAKE_BINARY_DIR}/wine-state")
set(ZEN_SCRIPTS "${PROJECT_SOURCE_DIR}/scripts")

configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                   WORLD_READ WORLD_EXECUTE)
# Must be set before any add_executable: CTest prepends it to every test command.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

add_custom_command(OUTPUT ${WINE_TEST_PREFIX}/.zentrika-prefix
  COMMAND ${ZEN_SCRIPTS}/setup-prefix.sh ${WINE_TEST_PREFIX}
  DEPENDS ${ZEN_SCRIPTS}/setup-prefix.sh ${ZEN_SCRIPTS}/common.sh
  COMMENT "Creating the Wine prefix for the tests"
  USES_TERMINAL)
add_custom_target(wineprefix ALL DEPENDS ${WINE_TEST_PREFIX}/.zentrika-prefix)

enable_testing()
set(_ctl ${ZEN_SCRIPTS}/wineserver-ctl.sh)
add_test(NAME wine.start COMMAND ${_ctl} start ${WINE_TEST_PREFIX} ${ZEN_WINE_STATE})
add_test(NAME wine.stop  COMMAND ${_ctl} stop  ${WINE_TEST_PREFIX} ${ZEN_WINE_STATE})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 60)
set_tests_properties(wine.stop  PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# zen_add_test(NAME SOURCES ... [LIBS ...] [UI] [TIMEOUT s])
# One test executable is one CTest test and one Wine process. UI tests share
# the one virtual desktop, so they never run at the same time.
function(zen_add_test name)
  cmake_parse_arguments(T "UI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} zen_testsupport zen_unbuffered_output gmock gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    TIMEOUT ${T_TIMEOUT}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(T_UI)
    set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK desktop)
  endif()
endfunction()

# A test program that drives Zentrika.exe: it needs the program, the driver and
# the installation image built, its own device manager, and the program to
# itself (the single-instance mutex is the session's).
function(zen_phone_program_test name)
  zen_add_test(${name} UI ${ARGN})
  # The kit is built with the phone's tests (phone/tests).
  target_link_libraries(${name} PRIVATE zen_phone_program_kit)
  add_dependencies(${name} Zentrika ZentDrv zen_skins zen_sounds)
  zen_uses_devmgr(${name})
  set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK zentrika_exe)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
    "ZEN_DEVICE_ID=${name}" "ZEN_WAVE_CAPTURE=${CMAKE_CURRENT_BINARY_DIR}/${name}-capture.raw")
endfunction()
