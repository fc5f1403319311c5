# The journal through the main window, on the private PostgreSQL for its server cases; and the real
# program as two stations, killed while it works (X servers, print server, PostgreSQL).
hoxa_gtest(test_app_journal SOURCES test_app_journal.cpp GUI TIMEOUT 180
  WRAPPER ${PROJECT_SOURCE_DIR}/tests/journal/with_postgres.sh)
hoxa_gtest(test_app_journal_processes SOURCES test_app_journal_processes.cpp TIMEOUT 300
  WRAPPER ${CMAKE_CURRENT_LIST_DIR}/with_stations.sh)
add_dependencies(test_app_journal_processes hoxa_Nivora)
set_tests_properties(test_app_journal test_app_journal_processes PROPERTIES SKIP_RETURN_CODE 77)  # a server missing
