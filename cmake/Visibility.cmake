# Our libraries are linked into the plug-ins' shared objects. A host may load
# two plug-ins built on this framework, or two versions of this one: any symbol
# a plug-in exports can then bind to the other plug-in's copy of the code. So
# everything we compile is hidden and only the format entry points that JUCE's
# wrappers mark for export leave the .so (JUCE's own targets are hidden
# already). tests/hosts/exported-symbols.sh checks the list.
#
# Not for the test support library: its allocation hook replaces operator new
# and must stay visible to the C++ runtime.
function(vantrel_hidden_symbols)
  foreach(target IN LISTS ARGN)
    set_target_properties(${target} PROPERTIES
      C_VISIBILITY_PRESET hidden
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  endforeach()
endfunction()
