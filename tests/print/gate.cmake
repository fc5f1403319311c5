# The print gate on a scripted spooler (the window's side is in test_preview and
# test_printer_state_cups).
hoxa_gtest(test_print_gate GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_print_gate.cpp)
