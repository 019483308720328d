# Debian packages, made by `cmake --build <build> --target package` (or cpack
# in the build folder) from the install rules' two components:
#   tolmer_<version>_<arch>.deb         client: "client" (app/CMakeLists.txt)
#   tolmer-server_<version>_<arch>.deb  server: "server" (server/CMakeLists.txt)
# See docs/packages.md.
set(TOLMER_PACKAGE_MAINTAINER "Tolmer developers <tolmer@example.org>"
    CACHE STRING "Maintainer named in the Debian packages")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolmer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL)
if(TARGET tolmer)
  list(APPEND CPACK_COMPONENTS_ALL client)
endif()
if(TARGET tolmer-server)
  list(APPEND CPACK_COMPONENTS_ALL server)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TOLMER_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends lists the shared libraries' packages, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME tolmer)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION net)
set(CPACK_DEBIAN_CLIENT_DESCRIPTION
    "ring tower bells together over the internet
Tolmer lets bell ringers ring a tower's bells together over the internet.
Each ringer names themself, starts a virtual tower on a Tolmer server or
joins one, and rings their own bells with the mouse or the keyboard; every
strike is sounded by everyone at once when the server sends it back.
A conductor allocates up to twelve bells and makes the calls.
tolmer-robot rings the bells nobody holds: it follows the method, the
conductor's calls and the band's rhythm.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME tolmer-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVER_DESCRIPTION
    "tower server for Tolmer bell ringers
The server Tolmer clients connect to. It holds any number of virtual towers
and relays each ringer's strikes, calls and chat to everyone in the tower.
A systemd unit runs it as a service with the flags set in
/etc/default/tolmer-server.")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/server/conffiles
    ${PROJECT_SOURCE_DIR}/packaging/server/postinst
    ${PROJECT_SOURCE_DIR}/packaging/server/prerm
    ${PROJECT_SOURCE_DIR}/packaging/server/postrm)

include(CPack)
