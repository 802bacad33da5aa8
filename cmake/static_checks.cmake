# Gates run as tests of the native build: formatting, clang-tidy and
# cppcheck must report nothing on the project's own code.
file(GLOB_RECURSE VS_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/cli/*.cpp ${PROJECT_SOURCE_DIR}/cli/*.h
  ${PROJECT_SOURCE_DIR}/trailer/*.cpp ${PROJECT_SOURCE_DIR}/trailer/*.h
  ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h)
# clang-tidy needs the compile commands, which exist only for this
# platform's files.
set(VS_TIDY_SOURCES ${VS_SOURCES})
list(FILTER VS_TIDY_SOURCES INCLUDE REGEX "\\.cpp$")
list(FILTER VS_TIDY_SOURCES EXCLUDE REGEX "_win\\.cpp$")

find_program(CLANG_FORMAT clang-format)
find_program(CLANG_TIDY clang-tidy)
find_program(CPPCHECK cppcheck)

vs_gate(gate_clang_format CLANG_FORMAT ${CLANG_FORMAT} --dry-run --Werror ${VS_SOURCES})
vs_gate(gate_clang_tidy CLANG_TIDY
  bash ${PROJECT_SOURCE_DIR}/cmake/run_clang_tidy.sh ${CLANG_TIDY} ${CMAKE_BINARY_DIR} ${VS_TIDY_SOURCES})
vs_gate(gate_cppcheck CPPCHECK ${CPPCHECK}
  --enable=warning,style,performance,portability --std=c++17 --error-exitcode=1 --inline-suppr
  --quiet --library=googletest --library=posix -I ${PROJECT_SOURCE_DIR}
  # System headers are not given to cppcheck; test parameters are read
  # through GoogleTest's GetParam(), which cppcheck does not follow.
  --suppress=missingIncludeSystem --suppress=unusedStructMember
  ${PROJECT_SOURCE_DIR}/cli ${PROJECT_SOURCE_DIR}/trailer ${PROJECT_SOURCE_DIR}/tests)
set_tests_properties(gate_clang_tidy PROPERTIES TIMEOUT 600)

# The Windows files, checked against the mingw-w64 headers when they are
# installed.
set(VS_WIN_SOURCES ${VS_SOURCES})
list(FILTER VS_WIN_SOURCES INCLUDE REGEX "_win\\.cpp$")
file(GLOB MINGW_W64_HEADERS LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-win32/include/c++)
if(MINGW_W64_HEADERS)
  list(GET MINGW_W64_HEADERS 0 MINGW_W64_HEADERS)
else()
  set(MINGW_W64_HEADERS "MINGW_W64_HEADERS-NOTFOUND")
endif()
# Both are needed: the gate is skipped, naming the one that is missing.
if(NOT CLANG_TIDY)
  set(VS_WIN_TIDY CLANG_TIDY)
else()
  set(VS_WIN_TIDY MINGW_W64_HEADERS)
endif()
vs_gate(gate_clang_tidy_windows ${VS_WIN_TIDY} ${CLANG_TIDY} --quiet ${VS_WIN_SOURCES} --
  --target=x86_64-w64-mingw32 -std=c++17 -I${PROJECT_SOURCE_DIR}
  -isystem /usr/x86_64-w64-mingw32/include -isystem ${MINGW_W64_HEADERS}
  -isystem ${MINGW_W64_HEADERS}/x86_64-w64-mingw32)
