// What a host reads back after restoring a state: for every parameter, the
// number it read when it saved, whatever it wrote in between. Values are
// arbitrary numbers between the plug-in's steps and are written in a shuffled
// order each round, as an independent validator does.
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
    auto renderSome = [&] (juce::AudioPluginInstance& instance)
    {
        renderNoise (instance, buffer, 2);
        // Hosts hand reported changes over on their message thread.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    };
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
} // namespace hosttest
