# Helpers shared by every module's build.

# orv_add_test(<name> LABEL <label> SOURCES <files...> [LIBS <libs...>])
# Builds one GoogleTest program, with the shared test support (orv_test_support),
# and registers its tests under the module label.
function(orv_add_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} orv_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  # The fixture folder is compiled in: gtest_discover_tests cannot carry a
  # second variable in ENVIRONMENT (it splits the list).
  target_compile_definitions(${name} PRIVATE ORV_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/testdata")
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${T_LABEL}
               ENVIRONMENT "TZ=UTC"
    DISCOVERY_TIMEOUT 60)
endfunction()

# Adds every sub-folder of the current folder that has a build file of its own.
macro(orv_add_subfolders)
  file(GLOB _orv_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _orv_children)
  foreach(_orv_child ${_orv_children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_orv_child}/CMakeLists.txt)
      add_subdirectory(${_orv_child})
    endif()
  endforeach()
endmacro()

# Links a shared library with -Wl,--no-undefined, so a missing symbol shows at
# build time. Not with clang: there the sanitizer and coverage runtimes that
# the objects call live in the executable only, so the check is left to the
# g++ build.
function(orv_no_undefined target)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
