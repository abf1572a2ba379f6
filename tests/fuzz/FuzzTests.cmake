# In the host build: when clang is installed, builds the libFuzzer harnesses in build/host/fuzz
# (a clang build of this project with MARLWICK_FUZZ) and runs each of them for a short fixed
# budget from its seed corpus. tools/fuzz.sh runs them for longer.
find_program(MARLWICK_CLANGXX clang++)
find_program(MARLWICK_CLANG clang)
if(NOT MARLWICK_CLANGXX OR NOT MARLWICK_CLANG)
  message(STATUS "clang not found: the fuzzing harnesses are left out")
  return()
endif()

include(ExternalProject)
include(${CMAKE_CURRENT_LIST_DIR}/Harnesses.cmake)
set(fuzz_build ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(marlwick_fuzzers
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${fuzz_build}
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS -DCMAKE_C_COMPILER=${MARLWICK_CLANG} -DCMAKE_CXX_COMPILER=${MARLWICK_CLANGXX}
             -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARLWICK_FUZZ=ON -DBUILD_TESTING=OFF
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON)

# Seconds per harness in the test run.
set(MARLWICK_FUZZ_SECONDS 4 CACHE STRING "Fuzzing budget of each harness in the test run")
foreach(name ${MARLWICK_FUZZ_HARNESSES})
  set(found ${fuzz_build}/found/${name})  # new inputs of this run; the seeds stay untouched
  add_test(NAME fuzz.${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
            ${fuzz_build}/tests/fuzz/fuzz_${name} -max_total_time=${MARLWICK_FUZZ_SECONDS} -timeout=10
            -rss_limit_mb=1024 -artifact_prefix=${fuzz_build}/ -print_final_stats=1
            ${found} ${CMAKE_CURRENT_LIST_DIR}/corpus/${name})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 60 LABELS fuzz FIXTURES_REQUIRED fuzz_folders)
endforeach()
set(found_folders "")
foreach(name ${MARLWICK_FUZZ_HARNESSES})
  list(APPEND found_folders ${fuzz_build}/found/${name})
endforeach()
add_test(NAME fuzz_folders COMMAND ${CMAKE_COMMAND} -E make_directory ${found_folders})
set_tests_properties(fuzz_folders PROPERTIES FIXTURES_SETUP fuzz_folders)
