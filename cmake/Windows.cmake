# The Windows build (TOLMER_PLATFORM win32, cross-built with
# cmake/mingw-w64.cmake): tolmer.exe and its thirteen bell sounds, the tests
# that run under Wine, the installer and the portable zip. The server and the
# Linux tools are not part of it. Everything is linked statically, so
# tolmer.exe needs no DLL that Windows does not ship.
enable_language(RC)
add_link_options(-static $<$<CONFIG:Release>:-s>)
# -O2 as on Linux: at -O3 GCC 12 warns falsely about string copies (-Wrestrict).
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
# The client's texts are UTF-8; printf-style formats are the C99 ones.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

# GoogleTest from Debian's source package (googletest), built for Windows.
set(TOLMER_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built for the Windows tests")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TOLMER_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# The program icon from the same pictures as the other backends use.
find_program(TOLMER_CONVERT convert REQUIRED)
set(TOLMER_ICON_FILE ${CMAKE_BINARY_DIR}/resources/tolmer.ico)
add_custom_command(
  OUTPUT ${TOLMER_ICON_FILE}
  COMMAND ${TOLMER_CONVERT} ${PROJECT_SOURCE_DIR}/resources/bell32.xpm ${PROJECT_SOURCE_DIR}/resources/bell16.xpm
          ${TOLMER_ICON_FILE}
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/bell32.xpm ${PROJECT_SOURCE_DIR}/resources/bell16.xpm
  COMMENT "Making the program icon"
  VERBATIM)
add_custom_target(tolmer_icon DEPENDS ${TOLMER_ICON_FILE})
set(TOLMER_MANIFEST_FILE ${PROJECT_SOURCE_DIR}/resources/windows/tolmer.exe.manifest)
set(TOLMER_RESOURCE_SCRIPT ${CMAKE_BINARY_DIR}/resources/tolmer.rc)
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/tolmer.rc.in ${TOLMER_RESOURCE_SCRIPT} @ONLY)

include(cmake/ClientLibraries.cmake)
add_subdirectory(net)
add_subdirectory(platform)
foreach(folder tower lobby ringing review resources app)
  add_subdirectory(${folder})
endforeach()
# The bell sounds, synthesised by the tool built for Windows and run under Wine.
add_subdirectory(tools/make-bell-sounds)
# Strike to first render through WASAPI, for a check on a real PC.
add_subdirectory(bench/audio)
add_subdirectory(tests/session)
add_subdirectory(tests/wire)
add_subdirectory(tests/win32)
add_subdirectory(packaging/windows)
