target_sources(hoxa_core PRIVATE ObNumEditModel.cpp)
target_sources(hoxa_gui PRIVATE ObNumEdit.cpp ObNumEdit_paint.cpp ObNumEdit_input.cpp ObNumEdit_menu.cpp)
