# Postal code to address.  The installed data folder is compiled in, so that an
# installed program finds postal-codes.dat wherever its binary is called from.
include(GNUInstallDirs)
target_sources(hoxa_core PRIVATE PostalCodes.cpp PostalMatch.cpp)
target_compile_definitions(hoxa_core PRIVATE HOXA_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}/hoxa-nivora")
