# The journal window: every waybill printed, searched, reprinted, its tracking numbers and upload files.
target_sources(hoxa_gui PRIVATE
  JournalModel.h JournalModel.cpp JournalUnit.h JournalUnit.cpp JournalUnit_actions.cpp
  TrackingWalkUnit.h TrackingWalkUnit.cpp hoxa_dprintUnit_journal.cpp)
