# Installation as a desktop game, and a Debian package of it.
#
#   cmake --install build --prefix P
#
#   P/bin/flagrun                          launcher: cd to the data, exec the game
#   P/libexec/flagrun/flagrun              the game itself
#   P/share/flagrun/                       its run directory: bluedr.bmp,
#                                          Graphics/*.bmp, data/font1, data/font2
#   P/share/applications/flagrun.desktop   menu entry
#   P/share/icons/hicolor/64x64/apps/flagrun.png
#
#   cpack --config build/CPackConfig.cmake -G DEB   (from any directory)

include(GNUInstallDirs)

set(FLAGRUN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/flagrun)
set(FLAGRUN_INSTALL_PROGRAMDIR ${CMAKE_INSTALL_LIBEXECDIR}/flagrun)

# The launcher finds the data and the program relative to its own
# directory; only directories given as absolute paths are written in full.
function(flagrun_launcher_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(path "${dir}")
  else()
    file(RELATIVE_PATH relative /flagrun-prefix/${CMAKE_INSTALL_BINDIR} /flagrun-prefix/${dir})
    set(path "\$bindir/${relative}")
  endif()
  set(${out} "\"${path}\"" PARENT_SCOPE)
endfunction()
flagrun_launcher_path(FLAGRUN_LAUNCHER_DATADIR ${FLAGRUN_INSTALL_DATADIR})
flagrun_launcher_path(FLAGRUN_LAUNCHER_PROGRAM ${FLAGRUN_INSTALL_PROGRAMDIR}/flagrun)
configure_file(${CMAKE_SOURCE_DIR}/packaging/flagrun-launcher.sh.in
  ${CMAKE_BINARY_DIR}/packaging/flagrun-launcher @ONLY)

install(TARGETS flagrun RUNTIME DESTINATION ${FLAGRUN_INSTALL_PROGRAMDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/flagrun-launcher
  DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME flagrun)

# The generated assets, file by file, so that a missing one fails the install.
install(FILES ${CMAKE_BINARY_DIR}/bluedr.bmp DESTINATION ${FLAGRUN_INSTALL_DATADIR})
foreach(sprite ${FLAGRUN_SPRITES})
  install(FILES ${CMAKE_BINARY_DIR}/Graphics/${sprite}.bmp
    DESTINATION ${FLAGRUN_INSTALL_DATADIR}/Graphics)
endforeach()
foreach(font font1 font2)
  install(FILES
    ${CMAKE_BINARY_DIR}/data/${font}/font.ini
    ${CMAKE_BINARY_DIR}/data/${font}/font.raw
    ${CMAKE_BINARY_DIR}/data/${font}/font.dat
    DESTINATION ${FLAGRUN_INSTALL_DATADIR}/data/${font})
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/flagrun.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/flagrun.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
file(GLOB FLAGRUN_LICENSE_FILES ${CMAKE_SOURCE_DIR}/LICENSES/*)
if(FLAGRUN_LICENSE_FILES)
  install(FILES ${FLAGRUN_LICENSE_FILES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/licenses)
endif()

# Debian package.
set(CPACK_PACKAGE_NAME flagrun)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "flagrun developers")
set(CPACK_PACKAGE_CONTACT "flagrun developers <flagrun@localhost.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-player cooperative arena game")
set(CPACK_PACKAGE_DESCRIPTION
  "Two players share one keyboard to fight bouncing enemy tanks with lasers and\n\
grenades, and bring the red flag home to start a new round.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY flagrun)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies come from the libraries the program links: on current
# Debian libSDL-1.2.so.0 is the SDL 1.2 compatibility layer's shim, which
# provides the classic library's package name libsdl1.2debian.
find_program(FLAGRUN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(FLAGRUN_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl1.2-compat-shim | libsdl1.2debian, libc6 (>= 2.34), libstdc++6 (>= 5)")
endif()
include(CPack)
