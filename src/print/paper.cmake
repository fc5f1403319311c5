# Custom page sizes, and the paper source and paper size each paper feed keeps.
target_sources(hoxa_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PaperSize.h ${CMAKE_CURRENT_LIST_DIR}/PaperSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedPaper.h ${CMAKE_CURRENT_LIST_DIR}/FeedPaper.cpp)
