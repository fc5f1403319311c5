# The print gate: the questions before every print, the job of all its pages and
# the follow-up of the job handed over.
target_sources(hoxa_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PrintGate.h ${CMAKE_CURRENT_LIST_DIR}/PrintGate.cpp)
