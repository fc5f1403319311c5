target_sources(hoxa_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WaybillLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WaybillDraw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Vp_d97Y_DotUnit.cpp)
