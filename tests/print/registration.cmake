# Printer registration per paper feed and the print-position dialog.
hoxa_gtest(test_registration SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_registration.cpp)
