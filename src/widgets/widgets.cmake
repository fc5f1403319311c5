target_sources(hoxa_core PRIVATE ObNumEditModel.cpp)
target_sources(hoxa_gui PRIVATE ObNumEdit.cpp)
