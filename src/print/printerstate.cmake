# The printers as one snapshot sees them, and what the program says about
# printers that are missing, stopped or refusing jobs.
target_sources(hoxa_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CachingSpooler.h ${CMAKE_CURRENT_LIST_DIR}/CachingSpooler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterMessages.h ${CMAKE_CURRENT_LIST_DIR}/PrinterMessages.cpp)
