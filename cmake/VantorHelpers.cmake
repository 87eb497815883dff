# Shared compile settings and small helpers used by every folder.

add_library(vantor_options INTERFACE)
target_compile_options(vantor_options INTERFACE -Wall -Wextra -Wpedantic)
target_include_directories(vantor_options INTERFACE "${CMAKE_SOURCE_DIR}")
target_link_libraries(vantor_options INTERFACE Threads::Threads)
if(VANTOR_WERROR)
  target_compile_options(vantor_options INTERFACE -Werror)
endif()

if(VANTOR_SANITIZE)
  string(REPLACE ";" "," _vantor_san "${VANTOR_SANITIZE}")
  add_compile_options(-fsanitize=${_vantor_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_vantor_san})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC's flow analysis reports false positives inside the standard library once the
    # sanitizers instrument it; keep the warning visible but do not fail the build on it.
    add_compile_options(-Wno-error=maybe-uninitialized)
  endif()
endif()

# vantor_add_library(name SOURCES... [DEPS libs...])
function(vantor_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC vantor_options ${ARG_DEPS})
endfunction()

# Tests that exercise threads are also built and run under ThreadSanitizer;
# they are collected in the aggregate target vantor_threaded_tests.
if(NOT TARGET vantor_threaded_tests)
  add_custom_target(vantor_threaded_tests)
endif()

# vantor_add_test(name SOURCES... [DEPS libs...] [THREADED] [LABELS ...])
function(vantor_add_test name)
  cmake_parse_arguments(ARG "THREADED" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE vantor_options ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    VANTOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VANTOR_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(labels ${ARG_LABELS})
  if(ARG_THREADED)
    list(APPEND labels threaded)
    add_dependencies(vantor_threaded_tests ${name})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 600 LABELS "${labels}")
endfunction()

# Programs that draw text add this source: see the file.
set(VANTOR_FONTCONFIG_LEAKS "${CMAKE_SOURCE_DIR}/cmake/FontconfigLeaks.cpp")
