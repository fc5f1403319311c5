# Printer registration per paper feed and the print-position dialog.
target_sources(hoxa_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PrinterRegistration.h ${CMAKE_CURRENT_LIST_DIR}/PrinterRegistration.cpp)
target_sources(hoxa_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SLIP97YPrnUnit.ui
  ${CMAKE_CURRENT_LIST_DIR}/SLIP97YPrnUnit.h ${CMAKE_CURRENT_LIST_DIR}/SLIP97YPrnUnit.cpp)
qt_add_resources(hoxa_gui "print_pictures" PREFIX "/print" BASE ${CMAKE_CURRENT_LIST_DIR}/res FILES
  ${CMAKE_CURRENT_LIST_DIR}/res/margin-register.png)
