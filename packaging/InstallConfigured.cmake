# Installs files that name installed paths, such as the folder a desktop entry
# starts the client in or the binary a systemd unit runs.
#
# A Debian package installs with the prefix /usr whatever prefix the build was
# configured with (/usr/local unless told otherwise), so such paths are worked
# out when the install runs, from the prefix it runs with.
include_guard(GLOBAL)

# Installs <template> as <destination>/<name> for <component>. <destination> is
# relative to the prefix ("etc/..." lies below /etc for the prefixes / and
# /usr). In the template @CMAKE_INSTALL_FULL_BINDIR@, @CMAKE_INSTALL_FULL_DATADIR@
# and @CMAKE_INSTALL_FULL_SYSCONFDIR@ become the folders of the install.
# The caller includes GNUInstallDirs.
function(tolmer_install_configured template destination name component)
  install(CODE "
    include(\"${CMAKE_CURRENT_FUNCTION_LIST_FILE}\")
    tolmer_write_configured(\"${template}\" \"${CMAKE_CURRENT_BINARY_DIR}/installed/${name}\" \"${destination}\"
      \"${CMAKE_INSTALL_BINDIR}\" \"${CMAKE_INSTALL_DATADIR}\" \"${CMAKE_INSTALL_SYSCONFDIR}\")"
    COMPONENT ${component})
endfunction()

# Install time: sets <var> to the absolute folder of <relative> below the
# prefix of the install running, the way GNUInstallDirs places it.
function(tolmer_installed_dir var relative)
  string(REGEX REPLACE "/+$" "" prefix "${CMAKE_INSTALL_PREFIX}")
  if(IS_ABSOLUTE "${relative}")
    set(${var} "${relative}" PARENT_SCOPE)
  elseif(relative MATCHES "^etc(/|$)" AND prefix MATCHES "^(/usr)?$")
    set(${var} "/${relative}" PARENT_SCOPE)
  else()
    set(${var} "${prefix}/${relative}" PARENT_SCOPE)
  endif()
endfunction()

# Install time: writes the configured <template> to <staged>, then installs it.
function(tolmer_write_configured template staged destination bindir datadir sysconfdir)
  tolmer_installed_dir(CMAKE_INSTALL_FULL_BINDIR "${bindir}")
  tolmer_installed_dir(CMAKE_INSTALL_FULL_DATADIR "${datadir}")
  tolmer_installed_dir(CMAKE_INSTALL_FULL_SYSCONFDIR "${sysconfdir}")
  tolmer_installed_dir(destination "${destination}")
  configure_file("${template}" "${staged}" @ONLY)
  file(INSTALL "${staged}" DESTINATION "${destination}")
endfunction()
