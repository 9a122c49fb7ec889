# mz_add_test(NAME name SOURCES ... [LIBRARIES ...] LABEL unit|db|gui [QT] [TIMEOUT s]
#             [DEFINITIONS ...])
# Builds one GoogleTest program and registers each of its tests with CTest under its lane's
# label. "unit" tests need neither root, nor a database server, nor a display; "db" tests start
# private MariaDB servers (a window test that does is "db" too; on Windows they share the test
# script's server, one at a time); "gui" tests need Qt. QT runs the tests on Qt's offscreen
# platform.
function(mz_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 ARG "QT" "NAME;LABEL;TIMEOUT" "SOURCES;LIBRARIES;DEFINITIONS")
  if(NOT ARG_NAME OR NOT ARG_SOURCES OR NOT ARG_LABEL MATCHES "^(unit|db|gui)$")
    message(FATAL_ERROR "mz_add_test needs NAME, SOURCES and one LABEL of unit, db, gui")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBRARIES})
  if(ARG_DEFINITIONS)
    target_compile_definitions(${ARG_NAME} PRIVATE ${ARG_DEFINITIONS})
  endif()
  set(properties "")
  if(ARG_QT)
    list(APPEND properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  if(WIN32 AND ARG_LABEL STREQUAL "db")
    # Windows tests share the one server of scripts/windows/test.sh, and each test empties it.
    list(APPEND properties RESOURCE_LOCK mariadb)
  endif()
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} ${properties})
endfunction()
