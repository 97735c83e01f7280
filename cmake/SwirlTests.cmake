# Every GoogleTest executable of the project, defined once.
#
#   swirl_test(<target> LABEL unit|e2e|exhaustive SOURCES <files...>
#              [LIBRARIES <libraries...>] [PROGRAMS <BILM|KERVA|ZARN1|swirl>...]
#              [TIMEOUT <seconds>])
#
# makes the executable <target> from SOURCES, linked with LIBRARIES and
# GoogleTest (its main too) and built with the project's warnings, and finds
# its tests with gtest_discover_tests, labelled LABEL besides the directory's
# label.  The definitions are those of calculator_test_programs: EXAMPLES_DIR
# and, for each of PROGRAMS, <NAME>_PATH (SWIRL_PATH for swirl); an e2e test
# has the programs built before it.  TIMEOUT: 60 seconds for an e2e test
# when not given, none otherwise.
function(swirl_test target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LABEL;TIMEOUT" "SOURCES;LIBRARIES;PROGRAMS")
  if(NOT arg_LABEL MATCHES "^(unit|e2e|exhaustive)$")
    message(FATAL_ERROR "swirl_test(${target}): LABEL unit, e2e or exhaustive")
  endif()
  add_executable(${target} ${arg_SOURCES})
  target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} swirl_warnings GTest::gtest GTest::gtest_main)
  set(timeout ${arg_TIMEOUT})
  if(arg_LABEL STREQUAL "e2e")
    calculator_test_programs(${target} E2E ${arg_PROGRAMS})
    if(NOT timeout)
      set(timeout 60)
    endif()
  else()
    calculator_test_programs(${target} ${arg_PROGRAMS})
  endif()
  set(properties LABELS ${arg_LABEL} DISCOVERY_TIMEOUT 60)
  if(timeout)
    list(APPEND properties TIMEOUT ${timeout})
  endif()
  gtest_discover_tests(${target} PROPERTIES ${properties})
endfunction()
