# The batch window's print through the gate, with its progress bar.
target_sources(hoxa_gui PRIVATE PrintProgress.h PrintProgress.cpp hoxa_dprintUnit_batchprint.cpp)
