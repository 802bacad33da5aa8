# Tests of the cross-built .exe, run on the build host under Wine. The
# interactive ones type keys in a tmux pane, since Wine reads the console
# only when standard input is a terminal.
find_program(WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE64 NAMES wine64 wine)
find_program(TMUX tmux)
find_program(MINGW_OBJDUMP ${MINGW_PREFIX}-objdump)
find_program(XVFB Xvfb)
find_program(XDOTOOL xdotool)
foreach(tool WINE64 TMUX MINGW_OBJDUMP XVFB XDOTOOL)
  if(NOT ${tool})
    message(FATAL_ERROR "The Windows tests need wine64, tmux, ${MINGW_PREFIX}-objdump, Xvfb and "
                        "xdotool; ${tool} was not found; bash cmake/setup.sh test installs them all.")
  endif()
endforeach()

set(WINE_TESTS ${PROJECT_SOURCE_DIR}/tests/wine)
set(WINE_ENV
  WINE64=${WINE64}
  WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
  WINEDEBUG=-all
  LANG=C.UTF-8
  LC_ALL=C.UTF-8
  TMUX_BIN=${TMUX}
  XVFB_BIN=${XVFB}
  XDOTOOL_BIN=${XDOTOOL}
  VOLUME_SALVAGER_EXE=$<TARGET_FILE:VolumeSalvager>)

# Making the Wine prefix takes a while; it is done once for all tests.
add_test(NAME wine_prefix COMMAND bash ${WINE_TESTS}/make_prefix.sh)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${WINE_ENV}" TIMEOUT 300)

add_test(NAME wine_imports_only_system_dlls
         COMMAND bash ${WINE_TESTS}/imports.sh ${MINGW_OBJDUMP} $<TARGET_FILE:VolumeSalvager>)
add_test(NAME wine_exe_properties
         COMMAND bash ${WINE_TESTS}/exe_properties.sh ${MINGW_OBJDUMP} ${CMAKE_RC_COMPILER}
                 $<TARGET_FILE:VolumeSalvager> ${PROJECT_VERSION})

foreach(name outcomes dialogue window unicode_paths console_window read_only)
  add_test(NAME wine_${name} COMMAND bash ${WINE_TESTS}/${name}.sh)
  set_tests_properties(wine_${name} PROPERTIES
    FIXTURES_REQUIRED wine ENVIRONMENT "${WINE_ENV}" TIMEOUT 300
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    # 77: a case that cannot be shown here; the script prints why.
    SKIP_RETURN_CODE 77)
endforeach()
# It copies the shared Wine prefix, which no other test may be changing.
set_tests_properties(wine_console_window PROPERTIES RUN_SERIAL TRUE)
