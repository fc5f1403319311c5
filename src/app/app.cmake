# The main window, the program entry and its installation.
target_sources(hoxa_gui PRIVATE
  ButtonPictures.h ButtonPictures.cpp
  CpEdit.h CpEdit.cpp
  SingleInstance.h SingleInstance.cpp
  hoxa_dprintUnit.ui hoxa_dprintUnit.h hoxa_dprintUnit.cpp
  hoxa_dprintUnit_printer.cpp hoxa_dprintUnit_print.cpp
  hoxa_dprintUnit_printerstate.cpp)

add_executable(hoxa_Nivora hoxa_Nivora.cpp)
target_link_libraries(hoxa_Nivora PRIVATE hoxa_gui)
set_target_properties(hoxa_Nivora PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

include(GNUInstallDirs)
install(TARGETS hoxa_Nivora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/hoxa-nivora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/hoxa-nivora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
