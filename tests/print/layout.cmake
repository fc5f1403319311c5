hoxa_gtest(test_layout SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_layout.cpp)
