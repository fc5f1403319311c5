target_sources(hoxa_core PRIVATE ObNumEditValue.cpp)
