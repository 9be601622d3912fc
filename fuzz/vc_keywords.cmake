# Keyword processing of stored and working-file text, and the Borland
# project-file reader.
orv_add_fuzzer(fuzz_keyword_expander
  SOURCES ${CMAKE_SOURCE_DIR}/vc/revisions/keywords/tests/keyword_fuzz.cpp
  LIBS vc_keywords)
orv_add_fuzzer(fuzz_bcc_project_reader
  SOURCES ${CMAKE_SOURCE_DIR}/vc/bccprj/tests/bcc_project_fuzz.cpp
  LIBS vc_bccprj)
