# Missing, returning and stopped printers through the main window and a private cupsd.
hoxa_gtest(test_printer_state_cups GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_printer_state_cups.cpp ${CMAKE_CURRENT_LIST_DIR}/layout_readback.cpp
  WRAPPER ${CMAKE_CURRENT_LIST_DIR}/with_cupsd.sh
  TIMEOUT 120)
