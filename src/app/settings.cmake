target_sources(hoxa_core PRIVATE Settings.cpp SenderSlot.cpp)
