# What `cmake --install` puts where (GNU install directories), for the whole product.
# A new program or library joins with its target name in one of the lists below.
# Folders: cmake/TelvaneInstallDirs.cmake.
include(CMakePackageConfigHelpers)

set(TELVANE_INSTALL_PROGRAMS telvane_app telvane-wire pbxsim ringova_app)
set(TELVANE_INSTALL_LIBRARIES kestrix telvane_platform ringova_outlook_module)

# Names of targets not built yet are skipped, as is a name that is not a program or a shared
# library.
foreach(target IN LISTS TELVANE_INSTALL_PROGRAMS TELVANE_INSTALL_LIBRARIES)
  if(NOT TARGET ${target})
    continue()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" AND target IN_LIST TELVANE_INSTALL_PROGRAMS)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  elseif(type MATCHES "^(SHARED|MODULE)_LIBRARY$" AND target IN_LIST TELVANE_INSTALL_LIBRARIES)
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
endforeach()

# libtelvane.so with its public headers (include/telvane holds those and nothing else), the
# CMake package Telvane (Telvane::telvane) and telvane.pc.
install(TARGETS telvane_module EXPORT TelvaneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/telvane DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# A sanitized library needs its runtime in the host: the package says so.
set(TELVANE_HOST_LINK_FLAGS "")
if(TELVANE_SANITIZE STREQUAL "address")
  set(TELVANE_HOST_LINK_FLAGS -fsanitize=address,undefined)
elseif(TELVANE_SANITIZE STREQUAL "thread")
  set(TELVANE_HOST_LINK_FLAGS -fsanitize=thread)
endif()
if(TELVANE_HOST_LINK_FLAGS)
  target_link_options(telvane_module INTERFACE $<INSTALL_INTERFACE:${TELVANE_HOST_LINK_FLAGS}>)
endif()

install(EXPORT TelvaneTargets NAMESPACE Telvane:: DESTINATION ${TELVANE_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TelvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TelvaneConfig.cmake INSTALL_DESTINATION ${TELVANE_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TelvaneConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TelvaneConfig.cmake ${PROJECT_BINARY_DIR}/TelvaneConfigVersion.cmake
  DESTINATION ${TELVANE_INSTALL_CMAKEDIR})

# telvane.pc finds its prefix from its own folder, so `cmake --install --prefix` anywhere works.
file(RELATIVE_PATH TELVANE_PC_TO_PREFIX /p/${CMAKE_INSTALL_LIBDIR}/pkgconfig /p)
string(REGEX REPLACE "/$" "" TELVANE_PC_TO_PREFIX "${TELVANE_PC_TO_PREFIX}")
string(JOIN " " TELVANE_PC_LIBS_EXTRA ${TELVANE_HOST_LINK_FLAGS})
configure_file(${PROJECT_SOURCE_DIR}/cmake/telvane.pc.in ${PROJECT_BINARY_DIR}/telvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/telvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Python package, told where the library lies relative to it.
if(EXISTS ${PROJECT_SOURCE_DIR}/python/telvane)
  file(RELATIVE_PATH TELVANE_PY_TO_LIBDIR /p/${TELVANE_INSTALL_PYTHONDIR}/telvane
       /p/${CMAKE_INSTALL_LIBDIR})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/telvane_location.py.in
    ${PROJECT_BINARY_DIR}/python/_location.py @ONLY)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/telvane DESTINATION ${TELVANE_INSTALL_PYTHONDIR}
    PATTERN __pycache__ EXCLUDE)
  install(FILES ${PROJECT_BINARY_DIR}/python/_location.py ${PROJECT_BINARY_DIR}/python/control.pyi
    DESTINATION ${TELVANE_INSTALL_PYTHONDIR}/telvane)
endif()

# Data of the add-in: the country list it installs when the machine has none, the sample
# mailbox. (The string tables are compiled in.)
install(FILES ${PROJECT_SOURCE_DIR}/ringova_outlook/dialing/data/telephony_countries.txt
  DESTINATION ${TELVANE_INSTALL_DATADIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/outlook/sample
  DESTINATION ${TELVANE_INSTALL_DATADIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
  PATTERN run_example.py EXCLUDE)

# The installed version, in the machine registry store of the prefix: <prefix>/etc/telvane/
# machine.reg (/etc/telvane/machine.reg, the registry's default, for the prefix /usr).
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(telvane_store \"/etc/telvane/machine.reg\")
  else()
    set(telvane_store \"\${CMAKE_INSTALL_PREFIX}/etc/telvane/machine.reg\")
  endif()
  set(telvane_store \"\$ENV{DESTDIR}\${telvane_store}\")
  message(STATUS \"Installing: DisplayVersion ${PROJECT_VERSION} in \${telvane_store}\")
  execute_process(COMMAND \"$<TARGET_FILE:telvane-install-registry>\" \"\${telvane_store}\"
    \"${PROJECT_VERSION}\" RESULT_VARIABLE telvane_rc)
  if(NOT telvane_rc EQUAL 0)
    message(FATAL_ERROR \"cannot write \${telvane_store}\")
  endif()")

# ringova on the desktop: its entry (the phone-link schemes), its icons in the hicolor theme and
# the session bus's service file, so a click starts it when it is not running. Installing never
# makes it the default handler (the README shows the xdg-mime line for that).
set(ringova_desktop ${PROJECT_SOURCE_DIR}/apps/ringova/desktop)
install(FILES ${ringova_desktop}/org.telvane.Ringova.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ringova_desktop}/org.telvane.Ringova.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128)
  install(FILES ${ringova_desktop}/org.telvane.Ringova-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME org.telvane.Ringova.png)
endforeach()
# The service names the program by its installed path, known only at install time.
install(CODE "
  set(ringova_service \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/dbus-1/services/org.telvane.Ringova.service\")
  message(STATUS \"Installing: \${ringova_service}\")
  file(WRITE \"\${ringova_service}\"
    \"[D-BUS Service]\\nName=org.telvane.Ringova\\nExec=\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ringova\\n\")")
