# The main window, the program entry and its installation.
target_sources(hoxa_gui PRIVATE
  CpEdit.h CpEdit.cpp
  SingleInstance.h SingleInstance.cpp
  hoxa_dprintUnit.ui hoxa_dprintUnit.h hoxa_dprintUnit.cpp
  hoxa_dprintUnit_look.cpp hoxa_dprintUnit_keys.cpp hoxa_dprintUnit_fields.cpp
  hoxa_dprintUnit_sender.cpp hoxa_dprintUnit_transfer.cpp
  hoxa_dprintUnit_printer.cpp hoxa_dprintUnit_print.cpp hoxa_dprintUnit_check.cpp
  hoxa_dprintUnit_printerstate.cpp)
# The button pictures, used when the desktop theme has none.
qt_add_resources(hoxa_gui "app_pictures" PREFIX "/app" BASE res/pictures FILES
  res/pictures/transfer.png res/pictures/transfer@2x.png res/pictures/clear.png res/pictures/clear@2x.png
  res/pictures/save.png res/pictures/save@2x.png res/pictures/help.png res/pictures/help@2x.png
  res/pictures/mail.png res/pictures/mail@2x.png res/pictures/printer.png res/pictures/printer@2x.png
  res/pictures/margin.png res/pictures/margin@2x.png
  res/pictures/hoxa-nivora.png res/pictures/hoxa-nivora@2x.png)

add_executable(hoxa_Nivora hoxa_Nivora.cpp)
target_link_libraries(hoxa_Nivora PRIVATE hoxa_gui)
set_target_properties(hoxa_Nivora PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

# Installation: the program, its launcher, the menu entry, icons, AppStream data and
# the manual page.  tools/package.sh turns the same rules into the Debian package.
include(GNUInstallDirs)
install(TARGETS hoxa_Nivora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu starts the launcher, which enters the user's hoxa folder first.  It names
# the program by the prefix configured (CMAKE_INSTALL_PREFIX, /usr for the package).
configure_file(res/hoxa-nivora.in ${CMAKE_CURRENT_BINARY_DIR}/hoxa-nivora @ONLY)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/hoxa-nivora DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/hoxa-nivora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/jp.example.hoxa.nivora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNG icons are made from the SVG once and kept in the repository:
#   for s in 48 256; do rsvg-convert -w $s -h $s hoxa-nivora.svg -o hoxa-nivora-$s.png; done
install(FILES res/hoxa-nivora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
  install(FILES res/hoxa-nivora-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME hoxa-nivora.png)
endforeach()

# One page for both commands: hoxa-nivora(1) is a link to hoxa_Nivora(1).
install(FILES res/hoxa_Nivora.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(CODE "file(CREATE_LINK hoxa_Nivora.1
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/hoxa-nivora.1\" SYMBOLIC)")
