# kavio_add_test(<name> SOURCES <files...> [LIBS <extra libs...>] [TIMEOUT <s>])
# Every test is a Qt Test executable that links the GUI library (which brings the core
# library) and the test support library, and runs offscreen.
function(kavio_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kavio_test_support kavio_gui ${T_LIBS} Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=60000;KAVIO_SOURCE_DIR=${PROJECT_SOURCE_DIR};LC_ALL=C.UTF-8")
endfunction()

# kavio_add_bench(<name> SOURCES <files...> [LIBS <extra libs...>])
function(kavio_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE kavio_test_support kavio_gui ${B_LIBS} benchmark::benchmark)
endfunction()
