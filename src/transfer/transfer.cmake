target_sources(hoxa_core PRIVATE HalfWidth.cpp Transfer.cpp TransferSteps.cpp)
