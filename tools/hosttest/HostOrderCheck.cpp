// The host call orders around a new instance's first activation: the
// activation itself, and a project reopened by a host that activates the
// instance before restoring it and then sends its own copies of the values.
#include "PluginValidator.h"

#include <map>

namespace hosttest
{
namespace
{
// What a host keeps of each parameter: the value it set or saved itself,
// replaced by every change the plug-in reports.
class HostCopy : private juce::AudioProcessorParameter::Listener
{
public:
    HostCopy (const std::vector<juce::AudioProcessorParameter*>& list, const std::vector<float>& values)
        : parameters (list)
    {
        for (size_t i = 0; i < parameters.size(); ++i)
        {
            copy[parameters[i]->getParameterIndex()] = values[i];
            parameters[i]->addListener (this);
        }
    }
    ~HostCopy() override { stopListening(); }

    void stopListening()
    {
        for (auto* parameter : parameters)
            parameter->removeListener (this);
        parameters.clear();
    }

    float valueOf (const juce::AudioProcessorParameter& parameter) const { return copy.at (parameter.getParameterIndex()); }

private:
    void parameterValueChanged (int index, float value) override
    {
        copy[index] = value;
    }
    void parameterGestureChanged (int, bool) override {}

    std::vector<juce::AudioProcessorParameter*> parameters;
    std::map<int, float> copy;
};
} // namespace

CheckResult PluginValidator::hostCallOrders()
{
    CheckResult result;
    juce::AudioBuffer<float> buffer (8, 512);
    auto renderSome = [&] (juce::AudioPluginInstance& instance) { renderAndHandOver (instance, buffer, 4, 50); };

    // Values the plug-in keeps exactly: what a project holds.
    const auto values = settledValues (1, result);
    if (values.empty())
        return result;

    // 1. Activating a new instance changes nothing the host may already have
    //    read or set: its state before and after the first prepare is the
    //    same. (A host that learns of changes only from the render calls
    //    would otherwise take the new values for the ones to keep.)
    {
        auto instance = create (48000.0, 512, result);
        if (instance == nullptr)
            return result;
        const auto before = stateOf (*instance);
        prepare (*instance, 48000.0, 512);
        renderSome (*instance);
        if (stateOf (*instance) != before)
            result.fail ("the first prepare changed the instance's state");
    }

    // 2. A project reopened the way some hosts do it: create, activate,
    //    restore, then send the host's copies of the values it saved, kept up
    //    to date with what the plug-in reported in the meantime.
    {
        auto original = open (48000.0, 512, result);
        if (original == nullptr)
            return result;
        const auto originalParameters = automatable (*original);
        for (size_t i = 0; i < originalParameters.size(); ++i)
            originalParameters[i]->setValue (values[0][i]);
        renderSome (*original);
        const auto saved = stateOf (*original);

        auto reopened = create (48000.0, 512, result);
        if (reopened == nullptr)
            return result;
        const auto parameters = automatable (*reopened);
        HostCopy host (parameters, values[0]);
        prepare (*reopened, 48000.0, 512);
        renderSome (*reopened);
        reopened->setStateInformation (saved.getData(), (int) saved.getSize());
        renderSome (*reopened);
        host.stopListening();

        for (auto* parameter : parameters)
            parameter->setValue (host.valueOf (*parameter));
        renderSome (*reopened);

        for (size_t i = 0; i < parameters.size(); ++i)
            if (! sameValue (parameters[i]->getValue(), values[0][i]))
                result.fail ("reopened: " + parameters[i]->getName (64) + " is " + textOf (*parameters[i]) + ", saved "
                             + textOf (*originalParameters[i]));
    }

    if (result.passed)
        result.note ("activation changes nothing; reopened projects hold");
    return result;
}
} // namespace hosttest
