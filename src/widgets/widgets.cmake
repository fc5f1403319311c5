target_sources(hoxa_core PRIVATE ObNumEditValue.cpp ObNumEditModel.cpp)
target_sources(hoxa_gui PRIVATE ObNumEdit.cpp)
