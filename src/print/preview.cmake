# The print preview (page model and window) and the margin dialog's test sheet.
target_sources(hoxa_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WaybillPage.h ${CMAKE_CURRENT_LIST_DIR}/WaybillPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CalibrationSheet.h ${CMAKE_CURRENT_LIST_DIR}/CalibrationSheet.cpp)
target_sources(hoxa_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WaybillPreviewUnit.h ${CMAKE_CURRENT_LIST_DIR}/WaybillPreviewUnit.cpp)
