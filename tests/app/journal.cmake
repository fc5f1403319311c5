# The journal through the main window; its server cases on the private PostgreSQL.
hoxa_gtest(test_app_journal SOURCES test_app_journal.cpp GUI TIMEOUT 180
  WRAPPER ${PROJECT_SOURCE_DIR}/tests/journal/with_postgres.sh)
set_tests_properties(test_app_journal PROPERTIES SKIP_RETURN_CODE 77)  # no PostgreSQL server installed
