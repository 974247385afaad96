# make install: the two libraries, the public headers, a CMake package
# (find_package(CorvaneMP3)), a pkg-config file, the cvmp3 program and the
# demo track. The installed tree is relocatable: the libraries and cvmp3 find
# each other through $ORIGIN, the package and the .pc file locate the prefix
# from their own place.
include(CMakePackageConfigHelpers)

# Headers of the component layers, kept in their folders below
# include/CorvaneMP3 so that "#include "player/CVMP3Player.h"" works.
file(GLOB_RECURSE corvane_public_headers RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/runtime/*.h ${PROJECT_SOURCE_DIR}/common/*.h
  ${PROJECT_SOURCE_DIR}/decoder/*.h ${PROJECT_SOURCE_DIR}/equalizer/*.h
  ${PROJECT_SOURCE_DIR}/playlist/*.h ${PROJECT_SOURCE_DIR}/player/*.h
  ${PROJECT_SOURCE_DIR}/about/*.h ${PROJECT_SOURCE_DIR}/automation/*.h)
# The Windows server's own headers (win32/ folders) are of no use here.
list(FILTER corvane_public_headers EXCLUDE REGEX "(^|/)win32/")
foreach(header IN LISTS corvane_public_headers)
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/CorvaneMP3/${dir})
endforeach()

# libCorvaneControls.so loads libCorvaneMP3.so by name from its own folder, so
# both go to the same library folder.
install(TARGETS CorvaneMP3 EXPORT CorvaneMP3Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS CorvaneControls EXPORT CorvaneMP3Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS cvmp3 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT CorvaneMP3Targets NAMESPACE CorvaneMP3::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/CorvaneMP3)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/CorvaneMP3Config.cmake.in
  ${PROJECT_BINARY_DIR}/CorvaneMP3Config.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/CorvaneMP3
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CorvaneMP3ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/CorvaneMP3Config.cmake ${PROJECT_BINARY_DIR}/CorvaneMP3ConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/CorvaneMP3)

# The .pc file finds the prefix from its own folder (libdir/pkgconfig).
file(RELATIVE_PATH CORVANE_PC_PREFIX_FROM_PCFILEDIR
  /corvane-prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /corvane-prefix)
string(REGEX REPLACE "/+$" "" CORVANE_PC_PREFIX_FROM_PCFILEDIR "${CORVANE_PC_PREFIX_FROM_PCFILEDIR}")
if(CORVANE_PC_PREFIX_FROM_PCFILEDIR STREQUAL "")
  set(CORVANE_PC_PREFIX_FROM_PCFILEDIR ".")
endif()
set(CORVANE_PC_DL_LIBS "")
if(CMAKE_DL_LIBS)
  set(CORVANE_PC_DL_LIBS "-l${CMAKE_DL_LIBS}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/corvanemp3.pc.in ${PROJECT_BINARY_DIR}/corvanemp3.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/corvanemp3.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The demo track that `cvmp3 play` plays when it is given no file.
install(FILES ${PROJECT_BINARY_DIR}/fixtures/demo.mp3 DESTINATION ${CMAKE_INSTALL_DATADIR}/corvanemp3 OPTIONAL)
