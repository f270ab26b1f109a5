# JUCE 7.0.5 opens an X display as soon as a plug-in is loaded (its plug-in
# message thread starts the window system), and when DISPLAY is not set it
# connects to ":0.0" anyway. A host running without a display (a render
# server, a session tool, a host started over ssh) then holds a connection to
# whatever X server happens to run as :0 on the machine, and when that server
# goes away Xlib ends the host's process. The X window system source is
# compiled from a copy that treats a missing DISPLAY as no X server, as every
# other X client does; the editor then simply has no display to open on.
#
# juce_gui_basics.cpp includes the file by a relative path, so the module's
# unity source is copied too, its other includes made absolute. Without the
# anchor (another JUCE) the originals are compiled unchanged.

set(VANTREL_GUI_MODULE "${JUCE_MODULES_DIR}/juce_gui_basics")
set(VANTREL_XWS_SOURCE "${VANTREL_GUI_MODULE}/native/x11/juce_linux_XWindowSystem.cpp")
set(VANTREL_GUI_OVERRIDE_DIR "${CMAKE_CURRENT_BINARY_DIR}/juce_overrides/gui_basics")
set(VANTREL_XWS_ANCHOR "    if (displayName.isEmpty())\n        displayName = \":0.0\";\n")

file(READ "${VANTREL_XWS_SOURCE}" VANTREL_XWS_TEXT)
string(FIND "${VANTREL_XWS_TEXT}" "${VANTREL_XWS_ANCHOR}" VANTREL_XWS_AT)
file(READ "${VANTREL_GUI_MODULE}/juce_gui_basics.cpp" VANTREL_GUI_UNITY)
string(FIND "${VANTREL_GUI_UNITY}" "#include \"native/x11/juce_linux_XWindowSystem.cpp\"" VANTREL_GUI_INCLUDE_AT)

if(VANTREL_XWS_AT GREATER -1 AND VANTREL_GUI_INCLUDE_AT GREATER -1)
  string(REPLACE "${VANTREL_XWS_ANCHOR}" "    if (displayName.isEmpty())\n        return false;\n"
         VANTREL_XWS_TEXT "${VANTREL_XWS_TEXT}")
  vantrel_write_if_changed("${VANTREL_GUI_OVERRIDE_DIR}/juce_linux_XWindowSystem.cpp" "${VANTREL_XWS_TEXT}")

  # Every include the module resolves beside itself becomes absolute; the
  # window system's points at the copy.
  string(REGEX MATCHALL "#include \"[^\"]+\"" VANTREL_GUI_INCLUDES "${VANTREL_GUI_UNITY}")
  list(REMOVE_DUPLICATES VANTREL_GUI_INCLUDES)
  foreach(line IN LISTS VANTREL_GUI_INCLUDES)
    string(REGEX REPLACE "#include \"([^\"]+)\"" "\\1" path "${line}")
    if(path STREQUAL "native/x11/juce_linux_XWindowSystem.cpp")
      # Beside the copy of the unity source: no build path in the text, so
      # that trees in other places share the compiler cache.
      string(REPLACE "${line}" "#include \"juce_linux_XWindowSystem.cpp\"" VANTREL_GUI_UNITY "${VANTREL_GUI_UNITY}")
    elseif(EXISTS "${VANTREL_GUI_MODULE}/${path}")
      string(REPLACE "${line}" "#include \"${VANTREL_GUI_MODULE}/${path}\"" VANTREL_GUI_UNITY "${VANTREL_GUI_UNITY}")
    endif()
  endforeach()
  vantrel_write_if_changed("${VANTREL_GUI_OVERRIDE_DIR}/juce_gui_basics.cpp" "${VANTREL_GUI_UNITY}")

  get_target_property(VANTREL_GUI_SOURCES juce_gui_basics INTERFACE_SOURCES)
  list(TRANSFORM VANTREL_GUI_SOURCES REPLACE "^.*/juce_gui_basics/juce_gui_basics\\.cpp$"
       "${VANTREL_GUI_OVERRIDE_DIR}/juce_gui_basics.cpp")
  set_target_properties(juce_gui_basics PROPERTIES INTERFACE_SOURCES "${VANTREL_GUI_SOURCES}")
else()
  message(WARNING "JUCE's X window system differs from 7.0.5: compiled unchanged, plug-ins connect to :0 without DISPLAY")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${VANTREL_XWS_SOURCE}" "${VANTREL_GUI_MODULE}/juce_gui_basics.cpp")
