# The print preview and the margin dialog's test sheet, through the main window.
hoxa_gtest(test_preview GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_preview.cpp ${CMAKE_CURRENT_LIST_DIR}/layout_readback.cpp
  TIMEOUT 120)
