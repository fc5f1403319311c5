# Printer access layer tests: the scripted spooler, the dialogs and watcher, and
# the CUPS spooler against a private cupsd.
hoxa_gtest(test_vpprinters GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_vpprinters.cpp)
hoxa_gtest(test_vpprinter_dialogs GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_vpprinter_dialogs.cpp TIMEOUT 60)
hoxa_gtest(test_cupsspooler GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cupsspooler.cpp
  WRAPPER ${CMAKE_CURRENT_LIST_DIR}/with_cupsd.sh TIMEOUT 120)
