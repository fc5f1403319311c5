target_sources(hoxa_core PRIVATE Profile.cpp AtomicFile.cpp StaleFiles.cpp SaveLock.cpp)
