# The batch window: an order file's waybills listed, checked, edited and previewed.
target_sources(hoxa_gui PRIVATE
  BatchModel.h BatchModel.cpp BatchUnit.h BatchUnit.cpp BatchUnit_list.cpp
  ColumnMappingUnit.h ColumnMappingUnit.cpp hoxa_dprintUnit_batch.cpp)
