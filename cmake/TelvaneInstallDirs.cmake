# Where `cmake --install` puts things, relative to the prefix: the GNU install directories and
# ours. Known before the parts are read, so their tests can look at an installed tree.
include(GNUInstallDirs)

# Python finds the package here under prefixes it searches (Debian's for /usr); other prefixes
# add this folder to PYTHONPATH.
set(TELVANE_INSTALL_PYTHONDIR lib/python3/dist-packages CACHE STRING
    "Folder of the Python package, relative to the prefix")
set(TELVANE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Telvane)
set(TELVANE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/ringova)

# Installed programs and libraries find the project's own shared libraries (the platform library
# every one of them needs) beside them or in the library folder, wherever the prefix is.
file(RELATIVE_PATH TELVANE_BIN_TO_LIBDIR /p/${CMAKE_INSTALL_BINDIR} /p/${CMAKE_INSTALL_LIBDIR})
set(CMAKE_INSTALL_RPATH "$ORIGIN;$ORIGIN/${TELVANE_BIN_TO_LIBDIR}")
