// What a host reads of the parameters. After restoring a state: for every
// parameter, the number it read when it saved, whatever it wrote in between
// (values are arbitrary numbers between the plug-in's steps, written in a
// shuffled order each round, as an independent validator does). And from a
// new instance: the values and defaults it is told are the ones the plug-in
// plays.
#include "PluginValidator.h"

namespace hosttest
{
std::vector<int> PluginValidator::shuffledOrder (int count)
{
    std::vector<int> order ((size_t) count);
    for (int i = 0; i < count; ++i)
        order[(size_t) i] = i;
    for (int i = count - 1; i > 0; --i)
        std::swap (order[(size_t) i], order[(size_t) random.nextInt (i + 1)]);
    return order;
}

CheckResult PluginValidator::hostValuesAfterRestore()
{
    CheckResult result;
    juce::AudioBuffer<float> buffer (8, 512);
    auto renderSome = [&] (juce::AudioPluginInstance& instance) { renderAndHandOver (instance, buffer, 2, 20); };
    auto writeRandomValues = [&] (const std::vector<juce::AudioProcessorParameter*>& parameters)
    {
        for (const int i : shuffledOrder ((int) parameters.size()))
            parameters[(size_t) i]->setValue (random.nextFloat());
    };

    constexpr int rounds = 6;
    int differing = 0, compared = 0;
    juce::StringArray names, parametersDiffering;
    auto compare = [&] (const juce::String& where, const std::vector<juce::AudioProcessorParameter*>& parameters,
                        const std::vector<float>& expected)
    {
        for (size_t i = 0; i < parameters.size() && i < expected.size(); ++i)
        {
            ++compared;
            const float value = parameters[i]->getValue();
            if (sameValue (value, expected[i]))
                continue;
            ++differing;
            parametersDiffering.addIfNotAlreadyThere (parameters[i]->getName (64));
            if (names.size() < 6)
                names.add (where + " " + parameters[i]->getName (64) + " " + juce::String (value, 6) + ", saved "
                           + juce::String (expected[i], 6));
        }
    };

    for (int round = 0; round < rounds; ++round)
    {
        auto instance = open (48000.0, 512, result);
        if (instance == nullptr)
            return result;
        const auto parameters = automatable (*instance);
        renderSome (*instance);

        writeRandomValues (parameters);
        renderSome (*instance);
        std::vector<float> expected;
        for (auto* parameter : parameters)
            expected.push_back (parameter->getValue());
        const auto saved = stateOf (*instance);

        // Into the same running instance, after other values.
        writeRandomValues (parameters);
        renderSome (*instance);
        instance->setStateInformation (saved.getData(), (int) saved.getSize());
        renderSome (*instance);
        compare ("same instance:", parameters, expected);

        // Into a fresh instance, restored before its first prepare.
        auto fresh = create (48000.0, 512, result);
        if (fresh == nullptr)
            return result;
        fresh->setStateInformation (saved.getData(), (int) saved.getSize());
        prepare (*fresh, 48000.0, 512);
        renderSome (*fresh);
        compare ("fresh instance:", automatable (*fresh), expected);
    }

    if (differing > 0)
        result.fail (juce::String (differing) + " of " + juce::String (compared) + " host values differ after restore, on "
                     + juce::String (parametersDiffering.size()) + " parameters ("
                     + names.joinIntoString ("; ") + ")");
    else
        result.note (juce::String (compared) + " host values equal after restore, " + juce::String (rounds) + " rounds");
    return result;
}

CheckResult PluginValidator::hostViewOfNewInstance()
{
    CheckResult result;
    juce::AudioBuffer<float> buffer (8, 512);
    auto runOneBlock = [&] (juce::AudioPluginInstance& instance) { renderAndHandOver (instance, buffer, 1, 20); };

    // What a host shows of a new instance before it has run: each value and
    // the default it offers to reset to.
    auto fresh = create (48000.0, 512, result);
    if (fresh == nullptr)
        return result;
    const auto shown = automatable (*fresh);
    const auto saved = stateOf (*fresh);

    // What the instance plays: its saved state, as a host reads it once the
    // state is restored and a block has run.
    auto reference = open (48000.0, 512, result);
    if (reference == nullptr)
        return result;
    reference->setStateInformation (saved.getData(), (int) saved.getSize());
    runOneBlock (*reference);
    const auto played = automatable (*reference);
    if (played.size() != shown.size())
    {
        result.fail ("parameter count differs between instances");
        return result;
    }

    // Values printed into a format's metadata keep six digits.
    auto same = [] (float a, float b) { return std::abs (a - b) <= 1.0e-5f; };
    juce::StringArray differing, stepped;
    for (size_t i = 0; i < shown.size(); ++i)
    {
        const float value = played[i]->getValue();
        if (! same (shown[i]->getValue(), value) || ! same (shown[i]->getDefaultValue(), value))
            differing.add (shown[i]->getName (64) + " shows " + shown[i]->getText (shown[i]->getValue(), 64) + ", default "
                           + shown[i]->getText (shown[i]->getDefaultValue(), 64) + ", plays " + played[i]->getText (value, 64));
        if (const int steps = stepsOf (*shown[i]))
            stepped.add (shown[i]->getName (64) + " " + juce::String (steps) + " (" + shown[i]->getText (0.0f, 64) + ".."
                         + shown[i]->getText (1.0f, 64) + ")");
    }
    if (! differing.isEmpty())
        result.fail (juce::String (differing.size()) + " of " + juce::String ((int) shown.size())
                     + " parameters of a new instance are not what it plays: " + differing.joinIntoString ("; "));

    // A restore into a running instance whose values all differ: how many the
    // host still reads as before, at once and after one block.
    std::vector<float> restoredValues;
    for (auto* parameter : played)
        restoredValues.push_back (parameter->getValue());
    for (auto* parameter : played)
        parameter->setValue (legalValue (*parameter, parameter->getValue() < 0.5f ? 0.9f : 0.1f));
    runOneBlock (*reference);
    reference->setStateInformation (saved.getData(), (int) saved.getSize());
    auto countStale = [&]
    {
        int stale = 0;
        for (size_t i = 0; i < played.size(); ++i)
            stale += same (played[i]->getValue(), restoredValues[i]) ? 0 : 1;
        return stale;
    };
    const int staleAtOnce = countStale();
    runOneBlock (*reference);
    const int staleAfterBlock = countStale();
    if (staleAfterBlock > 0)
        result.fail (juce::String (staleAfterBlock) + " restored values unread after a block");
    // A VST3 host reads values from the plug-in's controller; an LV2 host
    // learns values that are not ports only from what the plug-in sends while
    // it runs.
    if (staleAtOnce > 0 && ! plugin.isLV2())
        result.fail (juce::String (staleAtOnce) + " restored values unread right after the restore");

    if (differing.isEmpty())
        result.note (juce::String ((int) shown.size()) + " parameters shown and declared as played at instantiation");
    result.note ("after a restore " + juce::String (staleAtOnce) + " of " + juce::String ((int) played.size())
                 + " read the old value until a block ran; stepped: " + (stepped.isEmpty() ? "none" : stepped.joinIntoString (", ")));
    return result;
}
} // namespace hosttest
