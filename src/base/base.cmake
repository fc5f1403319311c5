target_sources(hoxa_core PRIVATE cp932.cpp Codec.cpp Fonts.cpp NumericText.cpp)
target_sources(hoxa_gui PRIVATE DialogKeys.cpp MsgBox.cpp QtTexts.cpp)
