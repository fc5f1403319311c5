hoxa_gtest(test_app_window
  SOURCES test_app_window.cpp test_app_fields.cpp test_app_slots.cpp test_app_check.cpp
  GUI TIMEOUT 120)
hoxa_gtest(test_app_instance SOURCES test_app_instance.cpp GUI TIMEOUT 120)
add_dependencies(test_app_instance hoxa_Nivora)
