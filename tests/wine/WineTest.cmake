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

function(marlwick_add_java_script_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;SCRIPT;TIMEOUT" "ARGUMENTS")
  marlwick_add_wine_prefix_fixture()
  add_test(NAME ${arg_NAME} COMMAND ${arg_SCRIPT} ${arg_ARGUMENTS})
  set_tests_properties(${arg_NAME} PROPERTIES TIMEOUT ${arg_TIMEOUT} LABELS "wine;java" FIXTURES_REQUIRED wine_prefix
    ENVIRONMENT "MARLWICK_BUILD_DIR=${CMAKE_BINARY_DIR};LANG=en_US.UTF-8")
endfunction()
