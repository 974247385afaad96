# The Debian package, corvanemp3_VERSION_amd64.deb (`cpack -G DEB`, run by
# packaging/debian/make-deb.sh): what `make install` puts into a prefix, laid
# out under /usr. The package adds what Debian wants of it (the manual page,
# the copyright file and the changelog) and drops the relocatable install's
# RPATH: under /usr the libraries are in the loader's own search path, and
# libCorvaneControls.so loads libCorvaneMP3.so from its own folder by path.
# Both happen in cmake/CorvaneDebStage.cmake, on the staged tree only, so
# `make install` is left as it is.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvanemp3)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "CorvaneMP3 developers")
set(CPACK_PACKAGE_CONTACT "CorvaneMP3 developers <developers@corvanemp3.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "embeddable MPEG audio player and play-list controls")
set(CPACK_PACKAGE_DESCRIPTION [[
CorvaneMP3 plays MPEG audio files (Layers 1, 2 and 3) and organises
extended M3U play lists. A player control (playback, seeking, fading,
an equalizer with as many bands as the program sets, VU and spectrum
data, ID3 version 1 tags) and a play-list control are for programs to
embed; they load the decoder library, libCorvaneMP3, when they first
need it.

This package holds both libraries with their C and C++ headers, a
CMake package and a pkg-config file for building against them, and
cvmp3, a terminal host program that plays files and lists with a live
display, shows stream information, writes tags and edits play lists.]])

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs and libraries are linked with, as dpkg-shlibdeps
# finds them (libmpg123, PortAudio, kissfft, the C++ runtime).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file, so that other packages linking the libraries depend on this
# one; the ldconfig trigger refreshes the loader's cache when the libraries
# come or go (CPack's own postinst and postrm call ldconfig as well).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/triggers)

set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/CorvaneDebStage.cmake)
set(CPACK_CORVANE_SOURCE_DIR ${PROJECT_SOURCE_DIR})

include(CPack)
