# The window's postal-code fill, and the data file beside the built program and
# in the installed data folder.
target_sources(hoxa_gui PRIVATE hoxa_dprintUnit_postal.cpp)

include(GNUInstallDirs)
set(postal_data ${PROJECT_SOURCE_DIR}/data/postal-codes.dat)
configure_file(${postal_data} ${PROJECT_BINARY_DIR}/postal-codes.dat COPYONLY)
install(FILES ${postal_data} DESTINATION ${CMAKE_INSTALL_DATADIR}/hoxa-nivora)
