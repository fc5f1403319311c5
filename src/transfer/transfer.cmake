target_sources(hoxa_core PRIVATE HalfWidth.cpp Transfer.cpp TransferCheck.cpp CheckText.cpp TransferSteps.cpp)
