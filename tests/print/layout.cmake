hoxa_gtest(test_layout SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_layout.cpp)
hoxa_gtest(test_layout_readback GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_layout_readback.cpp ${CMAKE_CURRENT_LIST_DIR}/layout_readback.cpp
  TIMEOUT 60)
hoxa_gtest(test_layout_job GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_layout_job.cpp ${CMAKE_CURRENT_LIST_DIR}/layout_readback.cpp
  TIMEOUT 60)
# One whole print from the main window through a private cupsd.
hoxa_gtest(test_layout_cups GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_layout_cups.cpp ${CMAKE_CURRENT_LIST_DIR}/layout_readback.cpp
  WRAPPER ${CMAKE_CURRENT_LIST_DIR}/with_cupsd.sh
  TIMEOUT 120)
