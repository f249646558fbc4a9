# Where `cmake --install` puts things, relative to the prefix: the GNU install directories and
# ours. Known before the parts are read, so their tests can look at an installed tree.
include(GNUInstallDirs)

# Python finds the package here under prefixes it searches (Debian's for /usr); other prefixes
# add this folder to PYTHONPATH.
set(TELVANE_INSTALL_PYTHONDIR lib/python3/dist-packages CACHE STRING
    "Folder of the Python package, relative to the prefix")
set(TELVANE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Telvane)
set(TELVANE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/ringova)
