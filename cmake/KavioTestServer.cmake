# The PostgreSQL server of a test run: started before the first test that needs it and
# stopped after the last (a CTest fixture), unless KAVIO_PG_SERVER names one already
# running (scripts/test.sh starts one for both builds).
set(KAVIO_PG_TEST_DIR ${CMAKE_BINARY_DIR}/pg-test-server)
add_test(NAME pg_server_start COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/pg-test-server.sh start ${KAVIO_PG_TEST_DIR})
add_test(NAME pg_server_stop COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/pg-test-server.sh stop ${KAVIO_PG_TEST_DIR})
set_tests_properties(pg_server_start PROPERTIES FIXTURES_SETUP kavio_pg TIMEOUT 120)
set_tests_properties(pg_server_stop PROPERTIES FIXTURES_CLEANUP kavio_pg TIMEOUT 60)

# kavio_use_test_server(<test>): the test runs with the server and finds its address.
function(kavio_use_test_server name)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED kavio_pg)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "KAVIO_PG_ADDRESS_FILE=${KAVIO_PG_TEST_DIR}/address")
endfunction()
