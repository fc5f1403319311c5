target_sources(hoxa_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WaybillLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WaybillDraw.cpp)
