# SPDX-License-Identifier: GPL-2.0-or-later
# suite_add_test(name SOURCES ... LIBS ... [QT | FORMS])
# A GoogleTest binary registered test by test with CTest. QT tests run offscreen and get a
# QApplication from tests/support/QtTestMain.cpp; FORMS tests (windows) also run each test as a
# fresh program of the window layer.
function(suite_add_test name)
  cmake_parse_arguments(T "QT;FORMS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest)
  if(T_FORMS)
    target_link_libraries(${name} PRIVATE suite_forms_test_main Qt6::Test)
  elseif(T_QT)
    target_link_libraries(${name} PRIVATE suite_qt_test_main Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    SUITE_SOURCE_DIR="${PROJECT_SOURCE_DIR}" SUITE_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 300)
  # And the binary once whole, in a shuffled order (the seed is in its output): a test that
  # leans on what another test left behind in the process fails here, which the runs of one
  # test per process above cannot see. Alone, so that it meets no copy of its own tests.
  add_test(NAME ${name}.WholeShuffled COMMAND ${name} --gtest_shuffle)
  set_tests_properties(${name}.WholeShuffled PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 900 RUN_SERIAL TRUE LABELS whole)
endfunction()
