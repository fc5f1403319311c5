hoxa_gtest(test_app_window
  SOURCES test_app_window.cpp test_app_fields.cpp test_app_slots.cpp test_app_check.cpp
  GUI TIMEOUT 120)
hoxa_gtest(test_app_instance SOURCES test_app_instance.cpp GUI TIMEOUT 120
  WRAPPER ${PROJECT_SOURCE_DIR}/tests/print/with_cupsd.sh)
add_dependencies(test_app_instance hoxa_Nivora)
set_tests_properties(test_app_instance PROPERTIES SKIP_RETURN_CODE 77)  # no cupsd installed
hoxa_gtest(test_app_wm SOURCES test_app_wm.cpp GUI TIMEOUT 120
  WRAPPER ${PROJECT_SOURCE_DIR}/tests/support/with_xserver.sh)
set_tests_properties(test_app_wm PROPERTIES SKIP_RETURN_CODE 77)  # no X server or window manager installed
hoxa_gtest(test_app_batch SOURCES test_app_batch.cpp GUI TIMEOUT 120)
