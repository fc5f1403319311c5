# A batch printed through the main window and a private cupsd.
hoxa_gtest(test_app_batch_cups GUI
  SOURCES test_app_batch_cups.cpp ${PROJECT_SOURCE_DIR}/tests/print/layout_readback.cpp
  WRAPPER ${PROJECT_SOURCE_DIR}/tests/print/with_cupsd.sh
  TIMEOUT 120)
