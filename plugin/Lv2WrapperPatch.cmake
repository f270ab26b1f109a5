# JUCE 7.0.5's LV2 client only reports a parameter on its notify port when the
# value changes after instantiation, and it ignores patch:Get. LV2 hosts keep
# their own copy of each property and learn it from that port, so they showed
# every parameter as 0 until they set it themselves, and a restored state only
# reached them for the values that happened to differ.
#
# The LV2 target compiles a copy of the client with three additions: every
# parameter is reported in the first run, again after each state restore, and
# in answer to patch:Get (all of them, or the one patch:property names). The
# reports go through the client's own change cache, which the audio thread
# drains without allocating. Values between a parameter's steps pass
# unsnapped both ways, and the Turtle it writes lists a stepped parameter's
# steps in the parameter's units (see below).
#
# Each insertion is anchored on a line of the original; if any anchor is
# missing (another JUCE), the original client is compiled unchanged.

set(VANTREL_LV2_CLIENT "${JUCE_MODULES_DIR}/juce_audio_plugin_client/LV2/juce_LV2_Client.cpp")
set(VANTREL_LV2_CLIENT_ENTRY "${JUCE_MODULES_DIR}/juce_audio_plugin_client/juce_audio_plugin_client_LV2.cpp")
set(VANTREL_LV2_OVERRIDE_DIR "${CMAKE_CURRENT_BINARY_DIR}/juce_overrides/lv2_client")
file(READ "${VANTREL_LV2_CLIENT}" VANTREL_LV2_TEXT)
set(VANTREL_LV2_PATCHABLE TRUE)

# vantrel_lv2_replace(ANCHOR TEXT): TEXT replaces the one occurrence of ANCHOR.
function(vantrel_lv2_replace anchor text)
  string(FIND "${VANTREL_LV2_TEXT}" "${anchor}" first)
  string(FIND "${VANTREL_LV2_TEXT}" "${anchor}" last REVERSE)
  if(first EQUAL -1 OR NOT first EQUAL last)
    set(VANTREL_LV2_PATCHABLE FALSE PARENT_SCOPE)
    return()
  endif()
  string(REPLACE "${anchor}" "${text}" patched "${VANTREL_LV2_TEXT}")
  set(VANTREL_LV2_TEXT "${patched}" PARENT_SCOPE)
endfunction()

# vantrel_lv2_insert(ANCHOR TEXT BEFORE|AFTER): TEXT goes next to the one
# occurrence of ANCHOR.
function(vantrel_lv2_insert anchor text where)
  if(where STREQUAL "BEFORE")
    vantrel_lv2_replace("${anchor}" "${text}${anchor}")
  else()
    vantrel_lv2_replace("${anchor}" "${anchor}${text}")
  endif()
  set(VANTREL_LV2_TEXT "${VANTREL_LV2_TEXT}" PARENT_SCOPE)
  set(VANTREL_LV2_PATCHABLE "${VANTREL_LV2_PATCHABLE}" PARENT_SCOPE)
endfunction()

# Values in the parameter's units, both ways: a number the host writes between
# two of the parameter's steps reaches the parameter unsnapped (it keeps the
# host's number and holds the snapped value), and is reported back as written,
# so that the host's own copy after a restore is the number it saved. A value
# on a step goes both ways exactly as before.
vantrel_lv2_replace("                    return rangedParam->convertTo0to1 (value);\n" [==[
                {
                    const auto& range = rangedParam->getNormalisableRange();
                    const auto inRange = jlimit (range.start, range.end, value);
                    return range.snapToLegalValue (inRange) == inRange ? rangedParam->convertTo0to1 (inRange)
                                                                        : range.convertTo0to1 (inRange);
                }
]==])
vantrel_lv2_replace("                        return rangedParam->convertFrom0to1 (rangedParam->getValue());\n" [==[
                    {
                        const auto normalised = rangedParam->getValue();
                        const auto held = rangedParam->convertFrom0to1 (normalised);
                        return rangedParam->convertTo0to1 (held) == normalised
                                   ? held
                                   : rangedParam->getNormalisableRange().convertFrom0to1 (jlimit (0.0f, 1.0f, normalised));
                    }
]==])

# Stepped parameters. JUCE declares each one an enumeration with a scale point
# per step, labelled with the parameter's text for it (a mode's name, a pitch's
# number); hosts then offer only those values and show those texts. It wrote
# the scale points' values normalised, while every other value of the
# parameter, the ones it sends and receives included, is in the parameter's
# units: they are written in its units. An integer is also marked lv2:integer.
# Values stay floats on the wire, so a number a host writes between two steps
# is snapped by the plug-in as before, and the host's label for it, the
# nearest step, is the one the plug-in plays.
vantrel_lv2_insert("class ParameterStorage : private AudioProcessorListener\n" [==[
static float plainValueOf (const AudioProcessorParameter& param, float normalised)
{
    if (auto* rangedParam = dynamic_cast<const RangedAudioParameter*> (&param))
        return rangedParam->convertFrom0to1 (normalised);
    return normalised;
}

]==] BEFORE)
vantrel_lv2_replace("(param.isBoolean() ? \", lv2:toggled \" : \"\")"
                    "(param.isBoolean() ? \", lv2:toggled \" : \", lv2:integer \")")
vantrel_lv2_replace("                          \"\\t\\trdf:value \" << value << \" ;\\n\"\n"
                    "                          \"\\t\\trdf:value \" << plainValueOf (param, value) << \" ;\\n\"\n")

# ParameterStorage: queue every value (or one) for the notify port, and queue
# them all once at construction.
vantrel_lv2_insert("        processor.addListener (this);\n" [==[
        announceAll();
]==] AFTER)
vantrel_lv2_insert("    /*  This is the string that will be used to uniquely identify the parameter." [==[
    void announceAll() noexcept
    {
        for (size_t index = 0; index < indexToUridMap.size(); ++index)
            announceIndex (index);
    }

    void announce (LV2_URID urid) noexcept
    {
        const auto it = uridToIndexMap.find (urid);
        if (it != uridToIndexMap.end())
            announceIndex (it->second);
    }

    void announceIndex (size_t index) noexcept
    {
        if (auto* param = legacyParameters.getParamForIndex ((int) index))
        {
            stateCache.setValueAndBits (index, param->getValue(), newClientValue);
            changesPending.store (true, std::memory_order_release);
        }
    }

]==] BEFORE)

# LV2PluginInstance: answer patch:Get, and report the values after a restore.
vantrel_lv2_insert("            patchSetHelper.processPatchSet (event, Callback { *this });\n" [==[
            answerPatchGet (event);
]==] AFTER)
vantrel_lv2_insert("    void deactivate() {}\n" [==[
    void answerPatchGet (const LV2_Atom_Event* event) noexcept
    {
        if (event->body.type != patchSetHelper.mLV2_ATOM__Object)
            return;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*> (&event->body);
        if (object->body.otype != mLV2_PATCH__Get)
            return;

        const LV2_Atom* subject = nullptr;
        const LV2_Atom* property = nullptr;
        LV2_Atom_Object_Query query[] { { patchSetHelper.mLV2_PATCH__subject, &subject },
                                        { patchSetHelper.mLV2_PATCH__property, &property },
                                        LV2_ATOM_OBJECT_QUERY_END };
        lv2_atom_object_query (object, query);
        if (! patchSetHelper.isPlugin (subject))
            return;

        if (property == nullptr)
            parameters.announceAll();
        else if (property->type == patchSetHelper.mLV2_ATOM__URID)
            parameters.announce (reinterpret_cast<const LV2_Atom_URID*> (property)->body);
    }

]==] BEFORE)
vantrel_lv2_insert("            processor->setCurrentProgram (programIndex);\n" [==[
            parameters.announceAll();
]==] AFTER)
vantrel_lv2_insert("        processor->setStateInformation (block.getData(), (int) block.getSize());\n" [==[
        parameters.announceAll();
]==] AFTER)
vantrel_lv2_insert("    X (LV2_PATCH__Set)\n" [==[
    X (LV2_PATCH__Get)
]==] AFTER)

# The audio thread looks for changed parameters and a changed state before
# every block. Draining the change flags takes a locked exchange per word of
# them, and each waits for every store still pending from the block before
# (about 1 % of the plug-in's time at 32-frame blocks), though most blocks
# change nothing: one flag says whether any was set, and an exchange is made
# only once a plain load has seen something to take.
vantrel_lv2_insert("        stateCache.ifSet ([this, &callback] (size_t parameterIndex, float, uint32_t bits)\n" [==[
        if (! changesPending.load (std::memory_order_relaxed) || ! changesPending.exchange (false, std::memory_order_acq_rel))
            return;
]==] BEFORE)
vantrel_lv2_replace("stateCache.setValueAndBits ((size_t) parameterIndex, value, newClientValue);"
                    "{ stateCache.setValueAndBits ((size_t) parameterIndex, value, newClientValue); changesPending.store (true, std::memory_order_release); }")
vantrel_lv2_replace("stateCache.setBits ((size_t) parameterIndex, gestureBegan);"
                    "{ stateCache.setBits ((size_t) parameterIndex, gestureBegan); changesPending.store (true, std::memory_order_release); }")
vantrel_lv2_replace("stateCache.setBits ((size_t) parameterIndex, gestureEnded);"
                    "{ stateCache.setBits ((size_t) parameterIndex, gestureEnded); changesPending.store (true, std::memory_order_release); }")
vantrel_lv2_insert("    FlaggedFloatCache<3> stateCache { (size_t) legacyParameters.getNumParameters() };\n" [==[
    std::atomic<bool> changesPending { false };
]==] AFTER)
vantrel_lv2_replace("        if (shouldSendStateChange.exchange (false))\n"
                    "        if (shouldSendStateChange.load (std::memory_order_relaxed) && shouldSendStateChange.exchange (false))\n")

if(VANTREL_LV2_PATCHABLE)
  vantrel_write_if_changed("${VANTREL_LV2_OVERRIDE_DIR}/juce_LV2_Client.cpp" "${VANTREL_LV2_TEXT}")
  vantrel_write_if_changed("${VANTREL_LV2_OVERRIDE_DIR}/juce_audio_plugin_client_LV2.cpp"
                           "#include \"juce_LV2_Client.cpp\"\n")

  # The client reaches the LV2 target through JUCE's interface library for the
  # format; only that target links it.
  get_target_property(VANTREL_LV2_CLIENT_SOURCES juce_audio_plugin_client_LV2 INTERFACE_SOURCES)
  list(TRANSFORM VANTREL_LV2_CLIENT_SOURCES REPLACE "^.*/juce_audio_plugin_client_LV2\\.cpp$"
       "${VANTREL_LV2_OVERRIDE_DIR}/juce_audio_plugin_client_LV2.cpp")
  set_target_properties(juce_audio_plugin_client_LV2 PROPERTIES INTERFACE_SOURCES "${VANTREL_LV2_CLIENT_SOURCES}")
else()
  message(WARNING "JUCE's LV2 client differs from 7.0.5: compiled unchanged, hosts are not told the parameter values")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${VANTREL_LV2_CLIENT}")
