# Run by CPack once the files are staged: a shlibs.local beside the staging
# tree tells dpkg-shlibdeps which package to depend on for libSDL-1.2.so.0
# (see install.cmake). CPack removes the debian folder after use.
file(WRITE "${CPACK_TEMPORARY_DIRECTORY}/debian/shlibs.local" "${CPACK_FLAGRUN_SHLIBS_LOCAL}\n")
