# Printer registration per paper feed and the print-position dialog.
hoxa_gtest(test_registration SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_registration.cpp)
hoxa_gtest(test_registration_window GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_registration_window.cpp ${CMAKE_CURRENT_LIST_DIR}/layout_readback.cpp
  TIMEOUT 120)
# One registration and print through a private cupsd.
hoxa_gtest(test_registration_cups GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_registration_cups.cpp
  WRAPPER ${CMAKE_CURRENT_LIST_DIR}/with_cupsd.sh
  TIMEOUT 120)
