# The controls' pictures are text files (*.art beside the code that uses
# them). Each becomes a C++ string literal the code includes as
# "<folder>/<name>.art.inc"; editing a picture re-runs the configuration.
function(corvane_embed_art target)
  file(GLOB arts CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/player/*.art ${PROJECT_SOURCE_DIR}/playlist/*.art)
  foreach(art IN LISTS arts)
    file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${art})
    file(READ ${art} text)
    file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/art/${name}.inc CONTENT "R\"art(${text})art\"\n" @ONLY)
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${art})
  endforeach()
  target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR}/art)
endfunction()
