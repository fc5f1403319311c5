target_sources(hoxa_core PRIVATE cp932.cpp Codec.cpp Fonts.cpp)
target_sources(hoxa_gui PRIVATE MsgBox.cpp)
