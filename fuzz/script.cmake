# The script language's line processor over arbitrary lines.
orv_add_fuzzer(script_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/script_fuzz.cpp LIBS revlib_core)
