# Registering Windows test programs that run under Wine (tests/wine/run.sh).
#
#   marlwick_add_wine_test(NAME <name> COMMAND <target or path> [arguments...]
#                          [TIMEOUT <seconds>] [ENVIRONMENT <NAME=value>...] [PREFIX <wine prefix>]
#                          [LOCALE <Unix locale, e.g. es_ES.UTF-8>])
#
# runs the program through run.sh in the build's Wine prefix (<build>/wineprefix, or PREFIX for a
# test that needs a prefix of its own), with a time limit (default 120 s), after the prefix fixture.
#
# LOCALE sets LANG and unsets every LC_* variable for the test: Wine takes each process's Windows
# locales from them when the process starts (system locale from LC_CTYPE, user locale and UI
# language from LC_MESSAGES, all of them from LC_ALL when set; see README.md), so one shared prefix
# serves every language. The Unix locale must exist (`locale -a`), or Wine falls back to English (en-US).
#
#   marlwick_add_wine_test_per_arch(NAME <name> COMMAND <target> [arguments...] [the options above]
#                                   [ARCH_PATHS <NAME=path inside a build folder>...] [PAIR])
#
# registers the test twice, as <name> against this build's launcher ("Marlwick 64.exe") and as
# <name>.x86 against the 32-bit build's ("Marlwick.exe" in MARLWICK_X86_BUILD_DIR). Each run gets
# MARLWICK_LAUNCHER, MARLWICK_LAUNCHER_ARCH (x64, x86), MARLWICK_FAKE_JVM_ROOT (the JVM double of
# that architecture) and MARLWICK_PAIR_LAUNCHER, MARLWICK_PAIR_FAKE_JVM_ROOT (the other build's);
# each ARCH_PATHS entry becomes NAME=<that build's folder>/path (test files built per architecture).
# When the 32-bit build is missing or Wine cannot run 32-bit programs here, <name>.x86 says so in
# one line and CTest reports it as skipped; with PAIR (the 64-bit launcher starts the 32-bit one as
# its pair product) <name> too.
#
#   marlwick_add_java_script_test(NAME <name> SCRIPT <script> ARGUMENTS <arguments...> TIMEOUT <seconds>)
#
# a shell script that lays out an application with the real Java runtime and starts it through
# run.sh itself, in the build's prefix and in English.
include_guard(GLOBAL)

set(MARLWICK_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/run.sh)
set(MARLWICK_WINE_SETUP ${CMAKE_CURRENT_LIST_DIR}/setup-prefix.sh)

function(marlwick_add_wine_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT;PREFIX;LOCALE" "COMMAND;ENVIRONMENT")
  if(NOT arg_NAME OR NOT arg_COMMAND)
    message(FATAL_ERROR "marlwick_add_wine_test needs NAME and COMMAND")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 120)
  endif()
  marlwick_add_wine_prefix_fixture()
  list(POP_FRONT arg_COMMAND program)
  if(TARGET ${program})
    set(program $<TARGET_FILE:${program}>)
  endif()
  add_test(NAME ${arg_NAME} COMMAND ${MARLWICK_WINE_RUN} ${program} ${arg_COMMAND})
  set(environment "MARLWICK_BUILD_DIR=${CMAKE_BINARY_DIR}" ${arg_ENVIRONMENT})
  if(arg_PREFIX)
    list(APPEND environment "MARLWICK_WINEPREFIX=${arg_PREFIX}")
  else()
    set_tests_properties(${arg_NAME} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
  if(arg_LOCALE)
    list(APPEND environment "LANG=${arg_LOCALE}")
    set(unset_categories "")
    foreach(category ALL CTYPE MESSAGES COLLATE NUMERIC TIME MONETARY PAPER NAME ADDRESS TELEPHONE MEASUREMENT
                     IDENTIFICATION)
      list(APPEND unset_categories "LC_${category}=unset:")
    endforeach()
    set_tests_properties(${arg_NAME} PROPERTIES ENVIRONMENT_MODIFICATION "${unset_categories}")
  endif()
  set_tests_properties(${arg_NAME} PROPERTIES TIMEOUT ${arg_TIMEOUT} ENVIRONMENT "${environment}")
endfunction()

# Creates <build>/wineprefix before the first test that needs it (about 10 s, once per build).
# Registered once per build, whichever folder calls it first.
function(marlwick_add_wine_prefix_fixture)
  get_property(done GLOBAL PROPERTY MARLWICK_WINE_PREFIX_FIXTURE)
  if(NOT done)
    set_property(GLOBAL PROPERTY MARLWICK_WINE_PREFIX_FIXTURE ON)
    add_test(NAME wine_prefix_setup COMMAND ${MARLWICK_WINE_SETUP})
    set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300
      ENVIRONMENT "MARLWICK_BUILD_DIR=${CMAKE_BINARY_DIR}")
  endif()
endfunction()

function(marlwick_add_wine_test_per_arch)
  cmake_parse_arguments(PARSE_ARGV 0 arg "PAIR" "NAME;TIMEOUT;PREFIX;LOCALE" "COMMAND;ENVIRONMENT;ARCH_PATHS")
  get_property(x64_jvm_root GLOBAL PROPERTY MARLWICK_FAKE_JVM_ROOT)
  set(x64_paths)
  set(x86_paths)
  foreach(entry ${arg_ARCH_PATHS})
    string(REGEX REPLACE "=.*" "" name "${entry}")
    string(REGEX REPLACE "^[^=]*=" "" path "${entry}")
    list(APPEND x64_paths "${name}=${CMAKE_BINARY_DIR}/${path}")
    list(APPEND x86_paths "${name}=${MARLWICK_X86_BUILD_DIR}/${path}")
  endforeach()
  set(x64_launcher $<TARGET_FILE:marlwick>)
  set(x86_launcher ${MARLWICK_X86_BUILD_DIR}/Marlwick.exe)
  set(x86_jvm_root ${MARLWICK_X86_BUILD_DIR}/tests/jvmdouble)
  set(passed COMMAND ${arg_COMMAND})
  foreach(option TIMEOUT PREFIX LOCALE)
    if(arg_${option})
      list(APPEND passed ${option} ${arg_${option}})
    endif()
  endforeach()
  set(x86_check "MARLWICK_NEEDS_X86=${x86_launcher}" "MARLWICK_X86_PROBE=${MARLWICK_X86_PROBE}")
  set(x64_check)
  if(arg_PAIR)
    set(x64_check ${x86_check})
  endif()
  marlwick_add_wine_test(NAME ${arg_NAME} ${passed} ENVIRONMENT ${arg_ENVIRONMENT}
    "MARLWICK_LAUNCHER=${x64_launcher}" "MARLWICK_LAUNCHER_ARCH=x64" "MARLWICK_FAKE_JVM_ROOT=${x64_jvm_root}"
    "MARLWICK_PAIR_LAUNCHER=${x86_launcher}" "MARLWICK_PAIR_FAKE_JVM_ROOT=${x86_jvm_root}" ${x64_paths} ${x64_check})
  if(arg_PAIR)
    set_tests_properties(${arg_NAME} PROPERTIES SKIP_RETURN_CODE 77)
  endif()
  marlwick_add_wine_test(NAME ${arg_NAME}.x86 ${passed} ENVIRONMENT ${arg_ENVIRONMENT}
    "MARLWICK_LAUNCHER=${x86_launcher}" "MARLWICK_LAUNCHER_ARCH=x86" "MARLWICK_FAKE_JVM_ROOT=${x86_jvm_root}"
    "MARLWICK_PAIR_LAUNCHER=${x64_launcher}" "MARLWICK_PAIR_FAKE_JVM_ROOT=${x64_jvm_root}"
    ${x86_check} ${x86_paths})
  set_tests_properties(${arg_NAME}.x86 PROPERTIES SKIP_RETURN_CODE 77 LABELS x86)
endfunction()

function(marlwick_add_java_script_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;SCRIPT;TIMEOUT" "ARGUMENTS")
  marlwick_add_wine_prefix_fixture()
  add_test(NAME ${arg_NAME} COMMAND ${arg_SCRIPT} ${arg_ARGUMENTS})
  set_tests_properties(${arg_NAME} PROPERTIES TIMEOUT ${arg_TIMEOUT} LABELS "wine;java" FIXTURES_REQUIRED wine_prefix
    ENVIRONMENT "MARLWICK_BUILD_DIR=${CMAKE_BINARY_DIR};LANG=en_US.UTF-8")
endfunction()
