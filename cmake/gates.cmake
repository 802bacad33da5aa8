# Checks on the project as a whole, beside its tests.
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

# The packages hold what a user needs.
add_test(NAME gate_packages
         COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/check_packages.sh ${CMAKE_BINARY_DIR}
                 ${CMAKE_BINARY_DIR}/package-check)
set_tests_properties(gate_packages PROPERTIES LABELS gate TIMEOUT 300)
