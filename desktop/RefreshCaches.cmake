# Part of the install: refreshes the desktop's MIME, launcher and icon caches below the prefix
# with whichever of their tools is present. A missing tool or a failed refresh is reported and
# never fails the install: the files are in place, and the next refresh picks them up.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  message(STATUS "Not refreshing the desktop's caches in a staged install (DESTDIR)")
else()
  set(share "${CMAKE_INSTALL_PREFIX}/share")
  foreach(refresh IN ITEMS
      "update-mime-database;${share}/mime"
      "update-desktop-database;${share}/applications"
      "gtk-update-icon-cache;-f;-t;${share}/icons/hicolor")
    list(POP_FRONT refresh tool)
    find_program(tool_path_${tool} ${tool})
    if(NOT tool_path_${tool})
      message(STATUS "Not refreshed: ${tool} is not installed")
      continue()
    endif()
    list(JOIN refresh " " arguments)
    message(STATUS "Refreshing: ${tool} ${arguments}")
    execute_process(COMMAND ${tool_path_${tool}} ${refresh} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(WARNING "${tool} failed (${status}): the desktop may not show Voyanta until it runs again")
    endif()
  endforeach()
endif()
