# The Windows build: CorvaneMP3.dll from the same engine sources as the
# Linux library, linked statically (C++ runtime, winpthread and the
# third-party libraries that scripts/build-windows-deps.sh cross-builds into
# CORVANE_WINDOWS_DEPS), so that it needs nothing but system DLLs.
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
corvane_sources(engine_sources engine engine/win32)
list(FILTER engine_sources EXCLUDE REGEX "/engine/Exports\\.cpp$")
add_library(corvane_engine_core STATIC ${engine_sources})
target_include_directories(corvane_engine_core PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/decoder)
target_link_libraries(corvane_engine_core PUBLIC corvane_mpg123 corvane_portaudio corvane_kissfft Threads::Threads)
target_compile_definitions(corvane_engine_core PUBLIC CORVANE_BUILDING_LIBRARY UNICODE _UNICODE)
corvane_warnings(corvane_engine_core)

add_library(CorvaneMP3 SHARED engine/Exports.cpp engine/win32/CorvaneMP3.def)
target_link_libraries(CorvaneMP3 PRIVATE corvane_engine_core)
set_target_properties(CorvaneMP3 PROPERTIES PREFIX "" OUTPUT_NAME CorvaneMP3)
target_link_options(CorvaneMP3 PRIVATE ${corvane_static_runtime} -Wl,--kill-at
  $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:-Wl,--enable-stdcall-fixup>)
corvane_warnings(CorvaneMP3)

# --- what only Windows tests: a C client of the DLL ------------------------
add_executable(decoder_client tests/windows/DecoderClient.c)
target_include_directories(decoder_client PRIVATE ${PROJECT_SOURCE_DIR})
target_link_options(decoder_client PRIVATE ${corvane_static_runtime})
target_link_libraries(decoder_client PRIVATE user32)
