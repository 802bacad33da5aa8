# Checks on the project as a whole, beside its tests.

# A gate runs only where its tool is installed. Where it is missing the
# gate is reported as skipped, and configuring says which tool it lacks.
function(vs_gate name tool)
  if(${tool})
    add_test(NAME ${name} COMMAND ${ARGN})
  else()
    # CLANG_TIDY names clang-tidy, MINGW_W64_HEADERS the mingw-w64 headers.
    string(TOLOWER "${tool}" missing)
    string(REPLACE "_" "-" missing "${missing}")
    message(STATUS "Gate ${name} is skipped: ${missing} not found")
    add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "skipped: ${missing} not found")
    set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "skipped:")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS gate WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
endfunction()

if(NOT WIN32)
  include(${PROJECT_SOURCE_DIR}/cmake/static_checks.cmake)
endif()

# Two builds from the same source, stamp included, give the same bytes.
set(VS_REPRO_ARGS)
if(CMAKE_TOOLCHAIN_FILE)
  list(APPEND VS_REPRO_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
endif()
add_test(NAME gate_reproducible_build
         COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/check_reproducible.sh ${PROJECT_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR}/reproducible $<TARGET_FILE_NAME:VolumeSalvager> ${VS_REPRO_ARGS})
set_tests_properties(gate_reproducible_build PROPERTIES LABELS gate TIMEOUT 600)

# The packages hold what a user needs; on Linux the .tar.gz is made from a
# static release build of its own.
add_test(NAME gate_packages
         COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/check_packages.sh ${PROJECT_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/package-check)
set_tests_properties(gate_packages PROPERTIES LABELS gate TIMEOUT 300)

# Debian's own checker accepts the .deb: an error fails the gate, warnings
# are printed.
if(NOT WIN32)
  find_program(LINTIAN lintian)
  vs_gate(gate_lintian LINTIAN bash ${PROJECT_SOURCE_DIR}/cmake/check_lintian.sh ${LINTIAN}
          ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/lintian-check)
  set_tests_properties(gate_lintian PROPERTIES TIMEOUT 300)
endif()
