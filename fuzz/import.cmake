# The SCCS importer's reader, with the importer's fixtures replayed in every
# build.
if(TARGET import_sccs)
  orv_add_fuzzer(fuzz_sccs_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_sccs_file.cpp LIBS import_sccs)
  file(GLOB sccs_corpus CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/import/tests/fixtures/s.*)
  add_test(NAME fuzz_sccs_file_corpus COMMAND fuzz_sccs_file ${sccs_corpus})
  set_tests_properties(fuzz_sccs_file_corpus PROPERTIES LABELS import)
endif()

# The PVCS importer's reader and writer.
if(TARGET import_pvcs)
  orv_add_fuzzer(fuzz_pvcs_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_pvcs_file.cpp LIBS import_pvcs)
endif()
