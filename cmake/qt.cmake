# Qt for the window programs (the workbench and the merge program), found
# once for the whole build.
#
# A folder with Qt code turns on moc for its own targets with
#   set(CMAKE_AUTOMOC ON)
# and registers its window tests with orv_add_qt_test, which runs them on the
# offscreen platform (no display needed) under the shared Qt test main.

find_package(Qt6 REQUIRED COMPONENTS Widgets Test Network PrintSupport)

# Window tests need a QApplication before the first test: testing/qt_test_main.cpp.
add_library(orv_qt_test_main STATIC ${CMAKE_SOURCE_DIR}/testing/qt_test_main.cpp)
target_link_libraries(orv_qt_test_main PUBLIC Qt6::Widgets Qt6::Test GTest::gtest GTest::gmock)

# The environment of every window test: the offscreen platform, and under the
# sanitizers the suppressions of leaks that belong to Qt, fontconfig and glib
# when testing/lsan_qt.supp lists any (none show on Debian 12 so far; never
# list a leak of our own there).
set(ORV_QT_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen" "TZ=UTC")
if(ORV_SANITIZE AND EXISTS ${CMAKE_SOURCE_DIR}/testing/lsan_qt.supp)
  list(APPEND ORV_QT_TEST_ENVIRONMENT
       "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/testing/lsan_qt.supp:print_suppressions=0")
endif()

# orv_add_qt_test(<name> LABEL <label> SOURCES <files...> [LIBS <libs...>])
# Like orv_add_test, for tests that run real widgets. The tests are listed
# from the sources (gtest_add_tests) so that each carries the whole
# environment above; write them as TEST or TEST_F.
function(orv_add_qt_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${T_LIBS} orv_test_support orv_qt_test_main)
  target_compile_definitions(${name} PRIVATE ORV_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/testdata"
                                             ORV_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  gtest_add_tests(TARGET ${name} SOURCES ${T_SOURCES} TEST_LIST _orv_qt_tests)
  set_tests_properties(${_orv_qt_tests} PROPERTIES LABELS ${T_LABEL}
                       ENVIRONMENT "${ORV_QT_TEST_ENVIRONMENT}" TIMEOUT 300)
endfunction()
