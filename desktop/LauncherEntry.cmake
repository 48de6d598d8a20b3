# Part of the install: writes the launcher entry from its template with the full path of the
# installed link and installs it. Given: VOYANTA_APP_ID, template, entry (the file to write).
set(VOYANTA_LINK "${CMAKE_INSTALL_PREFIX}/bin/voyanta")
# Exec quotes the path; these characters would need escapes there that TryExec must not have.
if(VOYANTA_LINK MATCHES "[\"`$\\\\]")
  message(FATAL_ERROR "The install prefix \"${CMAKE_INSTALL_PREFIX}\" holds a quote, backquote, "
                      "dollar sign or backslash, which a launcher entry cannot name: choose another.")
endif()
configure_file("${template}" "${entry}" @ONLY)
file(INSTALL "${entry}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
