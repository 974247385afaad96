# The Windows build: CorvaneMP3.dll from the same engine sources as the
# Linux library, linked statically (C++ runtime, winpthread and the
# third-party libraries that scripts/build-windows-deps.sh cross-builds into
# CORVANE_WINDOWS_DEPS), so that it needs nothing but system DLLs.
enable_language(RC)
set(CORVANE_WINDOWS_DEPS "" CACHE PATH "Prefix of the cross-built third-party libraries")
if(NOT EXISTS "${CORVANE_WINDOWS_DEPS}/lib/libmpg123.a")
  message(FATAL_ERROR "CORVANE_WINDOWS_DEPS must name the prefix scripts/build-windows-deps.sh printed")
endif()

function(corvane_windows_library name file)
  add_library(${name} STATIC IMPORTED)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${CORVANE_WINDOWS_DEPS}/lib/${file}
    INTERFACE_INCLUDE_DIRECTORIES ${CORVANE_WINDOWS_DEPS}/include INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()
corvane_windows_library(corvane_mpg123 libmpg123.a shlwapi)
corvane_windows_library(corvane_portaudio libportaudio.a winmm ole32 uuid setupapi)
corvane_windows_library(corvane_kissfft libkissfft-float.a)
set_property(TARGET corvane_kissfft PROPERTY INTERFACE_COMPILE_DEFINITIONS kiss_fft_scalar=float)

set(corvane_static_runtime -static -static-libgcc -static-libstdc++)

# --- the decoder library, CorvaneMP3.dll -----------------------------------
corvane_sources(engine_sources ${corvane_engine_dirs})
list(FILTER engine_sources EXCLUDE REGEX "/engine/api/Exports\\.cpp$")
add_library(corvane_engine_core STATIC ${engine_sources})
target_include_directories(corvane_engine_core PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/decoder)
target_link_libraries(corvane_engine_core PUBLIC corvane_mpg123 corvane_portaudio corvane_kissfft Threads::Threads)
target_compile_definitions(corvane_engine_core PUBLIC CORVANE_BUILDING_LIBRARY UNICODE _UNICODE)
corvane_warnings(corvane_engine_core)

add_library(CorvaneMP3 SHARED engine/api/Exports.cpp engine/api/win32/CorvaneMP3.def)
target_link_libraries(CorvaneMP3 PRIVATE corvane_engine_core)
set_target_properties(CorvaneMP3 PROPERTIES PREFIX "" OUTPUT_NAME CorvaneMP3)
target_link_options(CorvaneMP3 PRIVATE ${corvane_static_runtime} -Wl,--kill-at
  $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:-Wl,--enable-stdcall-fixup>)
corvane_warnings(CorvaneMP3)

# --- C clients of the DLL: the Windows tests' and the render benchmark's ---
add_executable(decoder_client tests/windows/DecoderClient.c)
add_executable(render_client bench/RenderClient.c)
foreach(client decoder_client render_client)
  target_include_directories(${client} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(${client} PRIVATE ${corvane_static_runtime})
endforeach()

# --- the component: runtime, shared module, binding, controls --------------
# A static library: the in-process server links it, and so do the tests.
corvane_sources(control_sources runtime runtime/win32 common common/win32 decoder decoder/win32
  equalizer playlist player about about/win32 automation)
add_library(CorvaneControls STATIC ${control_sources})
target_include_directories(CorvaneControls PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(CorvaneControls PUBLIC UNICODE _UNICODE PRIVATE CORVANE_ENGINE_FILE="CorvaneMP3.dll")
target_link_libraries(CorvaneControls PUBLIC Threads::Threads user32 gdi32 advapi32 winmm shell32)
corvane_warnings(CorvaneControls)
corvane_embed_art(CorvaneControls)
target_include_directories(CorvaneControls PUBLIC ${PROJECT_BINARY_DIR}/generated)

# --- the test programs of the portable layers, run under Wine -------------
add_library(corvane_decoder_fake STATIC tests/support/RecordingDecoderLibrary.cpp)
target_include_directories(corvane_decoder_fake PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(corvane_decoder_fake PUBLIC CorvaneControls)
find_package(GTest REQUIRED CONFIG PATHS ${CORVANE_WINDOWS_DEPS} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
add_library(corvane_test_support STATIC tests/support/Paths.cpp tests/support/Fixtures.cpp tests/support/WavFile.cpp
  tests/support/ToneAnalysis.cpp tests/support/ToneFiles.cpp tests/support/ReferenceDecode.cpp)
target_include_directories(corvane_test_support PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(corvane_test_support PUBLIC corvane_decoder_fake GTest::gtest GTest::gmock PRIVATE corvane_mpg123)
target_compile_definitions(corvane_test_support PRIVATE CORVANE_FIXTURE_DIR="" CORVANE_ENGINE_PATH="CorvaneMP3.dll"
  CORVANE_CLI_PATH="" CORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}" CORVANE_BINARY_DIR="${PROJECT_BINARY_DIR}")
# The host program is a Linux one, so its tests stay out.
foreach(area runtime common decoder equalizer playlist player engine about)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${area}/*.cpp)
  add_executable(test_${area} ${sources})
  target_link_libraries(test_${area} PRIVATE corvane_test_support GTest::gtest_main)
  target_link_options(test_${area} PRIVATE ${corvane_static_runtime})
endforeach()
target_link_libraries(test_engine PRIVATE corvane_engine_core)

# --- the in-process server, CorvaneMP3.ocx ---------------------------------
# widl compiles the one IDL file into the C++ declarations and the type
# library; a small step then sets what widl does not accept on a
# dispinterface. One library (32-bit system kind) serves both architectures.
find_program(CORVANE_WIDL NAMES ${CORVANE_MINGW_TRIPLE}-widl widl REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(CORVANE_WINE_IDL_INCLUDE /usr/include/wine/wine/windows CACHE PATH "Wine's IDL files (libwine-dev)")
set(CORVANE_STDOLE_FOLDER /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Folder holding stdole2.tlb")
set(typelib_dir ${PROJECT_BINARY_DIR}/automation)
file(MAKE_DIRECTORY ${typelib_dir})
add_custom_command(
  OUTPUT ${typelib_dir}/CorvaneMP3TypeLibrary.h ${typelib_dir}/CorvaneMP3.tlb
  COMMAND ${CORVANE_WIDL} --win32 -I${CORVANE_WINE_IDL_INCLUDE} -L${CORVANE_STDOLE_FOLDER}
          -h -H ${typelib_dir}/CorvaneMP3TypeLibrary.h -t -T ${typelib_dir}/CorvaneMP3.tlb
          ${PROJECT_SOURCE_DIR}/automation/CorvaneMP3.idl
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/automation/finish-typelib.py
          ${typelib_dir}/CorvaneMP3.tlb __CVMP3PlayList=1.1
  DEPENDS ${PROJECT_SOURCE_DIR}/automation/CorvaneMP3.idl ${PROJECT_SOURCE_DIR}/automation/finish-typelib.py
  COMMENT "Compiling the type library")
add_custom_target(corvane_typelib DEPENDS ${typelib_dir}/CorvaneMP3TypeLibrary.h ${typelib_dir}/CorvaneMP3.tlb)

# The four bitmaps, from the same pictures the controls draw.
set(server_bitmaps)
foreach(picture player/MP3_CONTROL player/30001 playlist/PLAYLIST_CONTROL playlist/30000)
  get_filename_component(name ${picture} NAME)
  add_custom_command(OUTPUT ${typelib_dir}/${name}.bmp
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/automation/art-to-bmp.py
            ${PROJECT_SOURCE_DIR}/${picture}.art ${typelib_dir}/${name}.bmp
    DEPENDS ${PROJECT_SOURCE_DIR}/${picture}.art ${PROJECT_SOURCE_DIR}/automation/art-to-bmp.py)
  list(APPEND server_bitmaps ${typelib_dir}/${name}.bmp)
endforeach()
add_custom_command(OUTPUT ${typelib_dir}/ABOUT16.bmp ${typelib_dir}/ABOUT256.bmp
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/about/product-pictures.py
          ${typelib_dir}/ABOUT16.bmp ${typelib_dir}/ABOUT256.bmp
  DEPENDS ${PROJECT_SOURCE_DIR}/about/product-pictures.py)
list(APPEND server_bitmaps ${typelib_dir}/ABOUT16.bmp ${typelib_dir}/ABOUT256.bmp)
add_custom_target(corvane_server_bitmaps DEPENDS ${server_bitmaps})

file(GLOB server_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/automation/win32/*.cpp)
add_library(CorvaneServer SHARED ${server_sources} automation/win32/CorvaneMP3.def automation/win32/CorvaneMP3.rc)
add_dependencies(CorvaneServer corvane_typelib corvane_server_bitmaps)
set_source_files_properties(automation/win32/CorvaneMP3.rc PROPERTIES
  OBJECT_DEPENDS "${typelib_dir}/CorvaneMP3.tlb;${server_bitmaps}")
target_include_directories(CorvaneServer PRIVATE ${typelib_dir} ${PROJECT_BINARY_DIR}/generated)
target_link_libraries(CorvaneServer PRIVATE CorvaneControls ole32 oleaut32 uuid advapi32 user32 gdi32)
set_target_properties(CorvaneServer PROPERTIES PREFIX "" OUTPUT_NAME CorvaneMP3 SUFFIX .ocx
  IMPORT_SUFFIX .ocx.a)
target_link_options(CorvaneServer PRIVATE ${corvane_static_runtime} -Wl,--kill-at
  $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:-Wl,--enable-stdcall-fixup>)
corvane_warnings(CorvaneServer)

# A C++ client of the server for what scripts cannot test (events, entry
# points, identities, the type library read back).
add_executable(server_client tests/windows/ServerClient.cpp automation/win32/Guids.cpp)
add_dependencies(server_client corvane_typelib)
target_include_directories(server_client PRIVATE ${typelib_dir} ${PROJECT_BINARY_DIR}/generated)
target_link_libraries(server_client PRIVATE ole32 oleaut32 uuid user32 gdi32)
target_link_options(server_client PRIVATE ${corvane_static_runtime} -municode)
