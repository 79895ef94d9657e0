# Installation as a desktop game, and a Debian package of it.
#
#   cmake --install build --prefix P       (the layout of Debian's games)
#
#   P/games/flagrun                        launcher: cd to the data, exec the game
#   P/libexec/flagrun/flagrun              the game itself
#   P/share/games/flagrun/                 its run directory: bluedr.bmp,
#                                          Graphics/*.bmp, Sounds/*.wav,
#                                          data/font1, data/font2
#   P/share/applications/ID.desktop        menu entry; Exec holds the launcher's
#                                          absolute path, written at install time
#   P/share/metainfo/ID.metainfo.xml       AppStream metadata
#   P/share/icons/hicolor/NxN/apps/ID.png  N = 16, 32, 48, 64, 128, 256
#   P/share/man/man6/flagrun.6.gz
#   P/share/doc/flagrun/copyright, changelog.gz
#
#   ID is io.github.flagrun.flagrun.
#   cmake --build build --target uninstall   removes what was installed from build/
#   cpack --config build/CPackConfig.cmake   the Debian package (from any directory)

include(GNUInstallDirs)

set(FLAGRUN_APP_ID io.github.flagrun.flagrun)
set(FLAGRUN_INSTALL_GAMESDIR games CACHE STRING
  "Directory of the game's launcher, relative to the prefix")
# Empty means DATADIR/games/flagrun, and follows a later change of DATADIR.
set(FLAGRUN_INSTALL_GAMESDATADIR "" CACHE STRING
  "Directory of the game's sprites and fonts, relative to the prefix")
set(FLAGRUN_DATA_DESTINATION "${FLAGRUN_INSTALL_GAMESDATADIR}")
if(NOT FLAGRUN_DATA_DESTINATION)
  set(FLAGRUN_DATA_DESTINATION "${CMAKE_INSTALL_DATADIR}/games/flagrun")
endif()
set(FLAGRUN_INSTALL_PROGRAMDIR ${CMAKE_INSTALL_LIBEXECDIR}/flagrun)

# The launcher finds the data and the program from its own directory. Each
# path becomes one single-quoted shell word, so that no directory name is
# ever run as shell code.
function(flagrun_shell_word out text)
  string(REPLACE "'" "'\\''" quoted "${text}")
  set(${out} "'${quoted}'" PARENT_SCOPE)
endfunction()

function(flagrun_launcher_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(path "${dir}")
  elseif(IS_ABSOLUTE "${FLAGRUN_INSTALL_GAMESDIR}")
    # A launcher outside the prefix cannot find the prefix from its place.
    set(path "${CMAKE_INSTALL_PREFIX}/${dir}")
  else()
    file(RELATIVE_PATH path "/flagrun-prefix/${FLAGRUN_INSTALL_GAMESDIR}" "/flagrun-prefix/${dir}")
  endif()
  flagrun_shell_word(word "${path}")
  set(${out} "${word}" PARENT_SCOPE)
endfunction()
flagrun_launcher_path(FLAGRUN_LAUNCHER_DATADIR "${FLAGRUN_DATA_DESTINATION}")
flagrun_launcher_path(FLAGRUN_LAUNCHER_PROGRAM "${FLAGRUN_INSTALL_PROGRAMDIR}/flagrun")
configure_file(${CMAKE_SOURCE_DIR}/packaging/flagrun-launcher.sh.in
  ${CMAKE_BINARY_DIR}/packaging/flagrun-launcher @ONLY)

# The man page and the changelog go in compressed, as Debian wants them:
# best compression, no name or time stamp in the header.
set(FLAGRUN_DOCS)
foreach(doc flagrun.6 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" sh
      ${CMAKE_SOURCE_DIR}/packaging/${doc} ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${doc}
    VERBATIM)
  list(APPEND FLAGRUN_DOCS ${CMAKE_BINARY_DIR}/packaging/${doc}.gz)
endforeach()
add_custom_target(flagrun-docs ALL DEPENDS ${FLAGRUN_DOCS})

install(TARGETS flagrun RUNTIME DESTINATION "${FLAGRUN_INSTALL_PROGRAMDIR}")
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/flagrun-launcher
  DESTINATION "${FLAGRUN_INSTALL_GAMESDIR}" RENAME flagrun)

# The generated assets, file by file, so that a missing one fails the install.
install(FILES ${CMAKE_BINARY_DIR}/bluedr.bmp DESTINATION "${FLAGRUN_DATA_DESTINATION}")
foreach(sprite ${FLAGRUN_SPRITES})
  install(FILES ${CMAKE_BINARY_DIR}/Graphics/${sprite}.bmp
    DESTINATION "${FLAGRUN_DATA_DESTINATION}/Graphics")
endforeach()
foreach(sound ${FLAGRUN_SOUNDS})
  install(FILES ${CMAKE_BINARY_DIR}/Sounds/${sound}.wav
    DESTINATION "${FLAGRUN_DATA_DESTINATION}/Sounds")
endforeach()
foreach(font font1 font2)
  install(FILES
    ${CMAKE_BINARY_DIR}/data/${font}/font.ini
    ${CMAKE_BINARY_DIR}/data/${font}/font.raw
    ${CMAKE_BINARY_DIR}/data/${font}/font.dat
    DESTINATION "${FLAGRUN_DATA_DESTINATION}/data/${font}")
endforeach()
foreach(size ${FLAGRUN_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/flagrun-${size}.png
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
    RENAME ${FLAGRUN_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${FLAGRUN_APP_ID}.metainfo.xml
  DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES ${CMAKE_BINARY_DIR}/packaging/flagrun.6.gz DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION "${CMAKE_INSTALL_DOCDIR}")

# Last, at install time: strip the program of its comment and note sections
# when stripping, write the menu entry, and note what went where for the
# uninstall target.
install(CODE "
  set(FLAGRUN_OBJCOPY [==[${CMAKE_OBJCOPY}]==])
  set(FLAGRUN_PROGRAM [==[${FLAGRUN_INSTALL_PROGRAMDIR}/flagrun]==])
  set(FLAGRUN_DESKTOP_TEMPLATE [==[${CMAKE_SOURCE_DIR}/packaging/${FLAGRUN_APP_ID}.desktop.in]==])
  set(FLAGRUN_DESKTOP_DIR [==[${CMAKE_INSTALL_DATADIR}/applications]==])
  set(FLAGRUN_LAUNCHER [==[${FLAGRUN_INSTALL_GAMESDIR}/flagrun]==])
  set(FLAGRUN_RECORDS_DIR [==[${CMAKE_BINARY_DIR}/installed]==])
  set(FLAGRUN_SCRATCH_DIR [==[${CMAKE_BINARY_DIR}/packaging]==])
")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/install_finish.cmake)

# Removes every installation recorded above, with the directories of the
# game's own that it leaves empty.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND}
    -D "FLAGRUN_RECORDS_DIR=${CMAKE_BINARY_DIR}/installed"
    -D "FLAGRUN_DATA_DIR=${FLAGRUN_DATA_DESTINATION}"
    -D "FLAGRUN_PROGRAM_DIR=${FLAGRUN_INSTALL_PROGRAMDIR}"
    -D "FLAGRUN_DOC_DIR=${CMAKE_INSTALL_DOCDIR}"
    -P ${CMAKE_SOURCE_DIR}/cmake/uninstall.cmake
  VERBATIM)

# Debian package.
set(CPACK_PACKAGE_NAME flagrun)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the flagrun developers")
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
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/flagrun/flagrun)
# The dependencies come from the libraries the program links. The SDL 1.2
# headers belong to sdl12-compat, whose libSDL-1.2.so.0 comes in
# libsdl1.2-compat-shim; left alone, dpkg-shlibdeps would name the classic
# library's package, which apt on a fresh system satisfies with classic
# SDL 1.2 itself. A shlibs.local file, put in place just before, names the shim.
find_program(FLAGRUN_DPKG_SHLIBDEPS dpkg-shlibdeps)
set(FLAGRUN_SDL_PACKAGE "libsdl1.2-compat-shim (>= 1.2.60)")
if(FLAGRUN_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/cpack_shlibs.cmake)
  set(CPACK_FLAGRUN_SHLIBS_LOCAL "libSDL-1.2 0 ${FLAGRUN_SDL_PACKAGE}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "${FLAGRUN_SDL_PACKAGE}, libc6 (>= 2.34), libstdc++6 (>= 5), libenet7, libx11-6, libxext6")
endif()
include(CPack)
