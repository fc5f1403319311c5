# Printer access layer: spooler, printer object, VpPrinter, dialogs, watcher.
target_sources(hoxa_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Spooler.h
  ${CMAKE_CURRENT_LIST_DIR}/CupsSpooler.h ${CMAKE_CURRENT_LIST_DIR}/CupsSpooler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CupsQueueState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CupsKeywords.h ${CMAKE_CURRENT_LIST_DIR}/CupsKeywords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CupsPrinterData.h ${CMAKE_CURRENT_LIST_DIR}/CupsPrinterData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TPrinter.h ${CMAKE_CURRENT_LIST_DIR}/TPrinter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VpPrinters.h ${CMAKE_CURRENT_LIST_DIR}/VpPrinters.cpp)
target_sources(hoxa_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VpPrinterDialogs.h ${CMAKE_CURRENT_LIST_DIR}/VpPrinterDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterWatcher.h ${CMAKE_CURRENT_LIST_DIR}/PrinterWatcher.cpp)
