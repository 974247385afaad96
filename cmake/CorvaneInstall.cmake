include(CMakePackageConfigHelpers)

file(GLOB_RECURSE corvane_public_headers RELATIVE ${PROJECT_SOURCE_DIR}
  ${PROJECT_SOURCE_DIR}/runtime/*.h ${PROJECT_SOURCE_DIR}/common/*.h
  ${PROJECT_SOURCE_DIR}/decoder/*.h ${PROJECT_SOURCE_DIR}/equalizer/*.h
  ${PROJECT_SOURCE_DIR}/playlist/*.h ${PROJECT_SOURCE_DIR}/player/*.h
  ${PROJECT_SOURCE_DIR}/about/*.h ${PROJECT_SOURCE_DIR}/automation/*.h)
foreach(header IN LISTS corvane_public_headers)
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/CorvaneMP3/${dir})
endforeach()

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
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/CorvaneMP3)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CorvaneMP3ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/CorvaneMP3Config.cmake ${PROJECT_BINARY_DIR}/CorvaneMP3ConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/CorvaneMP3)

configure_file(${PROJECT_SOURCE_DIR}/cmake/corvanemp3.pc.in ${PROJECT_BINARY_DIR}/corvanemp3.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/corvanemp3.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(EXISTS ${PROJECT_BINARY_DIR}/fixtures/demo.mp3 OR TARGET corvane_fixtures)
  install(FILES ${PROJECT_BINARY_DIR}/fixtures/demo.mp3 DESTINATION ${CMAKE_INSTALL_DATADIR}/corvanemp3 OPTIONAL)
endif()
