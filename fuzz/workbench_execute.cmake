# The command server's execute texts and the socket's frames over any bytes.
if(TARGET orv_shell)
  orv_add_fuzzer(fuzz_execute_text SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_execute_text.cpp
                 LIBS orv_shell)
endif()
