#pragma once

#include <gtest/gtest.h>

#include <juce_audio_processors/juce_audio_processors.h>

#include "Parameters/Parameter.h"
#include "PlainProcessor.h"
#include "UI/Controls/UIContainerDelegate.h"

#include <memory>
#include <string>
#include <vector>

// A parameter tree of chosen parameters, for the containers that the effect's
// own list cannot exercise (ranges beyond the drawn axes, sixteen-step
// sequences), with the kernel parameters the containers are built from.
namespace furthertest
{
struct ParameterDescription
{
    std::string id;
    float min;
    float max;
    float defaultValue;
    bool isInteger = false;
};

class ParameterHost : public testsupport::PlainProcessor
{
public:
    explicit ParameterHost (const std::vector<ParameterDescription>& descriptions)
        : PlainProcessor ("host"),
          kernelParameters (makeKernelParameters (descriptions)),
          tree (*this, nullptr, "Parameters", makeLayout (descriptions))
    {
    }

    Parameter* parameter (std::size_t i) { return kernelParameters[i].get(); }
    std::vector<Parameter*> parameters (std::size_t from, std::size_t count)
    {
        std::vector<Parameter*> list;
        for (std::size_t i = from; i < from + count; ++i)
            list.push_back (parameter (i));
        return list;
    }

    juce::RangedAudioParameter& host (const juce::String& id) { return *tree.getParameter (id); }
    float value (const juce::String& id)
    {
        auto& p = host (id);
        return p.convertFrom0to1 (p.getValue());
    }
    void set (const juce::String& id, float v)
    {
        auto& p = host (id);
        p.setValueNotifyingHost (p.convertTo0to1 (v));
    }

private:
    static std::vector<std::unique_ptr<Parameter>> makeKernelParameters (const std::vector<ParameterDescription>& descriptions)
    {
        std::vector<std::unique_ptr<Parameter>> list;
        for (std::size_t i = 0; i < descriptions.size(); ++i)
        {
            auto p = std::make_unique<Parameter>();
            p->index = static_cast<int> (i);
            p->id = descriptions[i].id;
            p->min = descriptions[i].min;
            p->max = descriptions[i].max;
            p->defaultValue = descriptions[i].defaultValue;
            list.push_back (std::move (p));
        }
        return list;
    }

    static juce::AudioProcessorValueTreeState::ParameterLayout makeLayout (const std::vector<ParameterDescription>& descriptions)
    {
        juce::AudioProcessorValueTreeState::ParameterLayout layout;
        for (const auto& s : descriptions)
        {
            const juce::ParameterID id { juce::String (s.id), 1 };
            if (s.isInteger)
                layout.add (std::make_unique<juce::AudioParameterInt> (id, s.id, static_cast<int> (s.min),
                                                                       static_cast<int> (s.max), static_cast<int> (s.defaultValue)));
            else
                layout.add (std::make_unique<juce::AudioParameterFloat> (id, s.id, juce::NormalisableRange<float> (s.min, s.max),
                                                                         s.defaultValue));
        }
        return layout;
    }

    std::vector<std::unique_ptr<Parameter>> kernelParameters;

public:
    juce::AudioProcessorValueTreeState tree;
};

// Sets a host parameter in its own units, as a host's automation does, without
// building any string (so it can run inside an allocation count).
inline void automate (juce::RangedAudioParameter& parameter, float value)
{
    parameter.setValueNotifyingHost (parameter.convertTo0to1 (value));
}

struct RecordingDelegate : UIContainerDelegate
{
    void onRightClickOnControl (std::vector<ControlParameter> controls) override { reports.push_back (std::move (controls)); }
    std::vector<std::vector<ControlParameter>> reports;
};

// Counts the gestures a host sees on one parameter.
struct GestureCounter : juce::AudioProcessorParameter::Listener
{
    explicit GestureCounter (juce::AudioProcessorParameter& p) : parameter (p) { parameter.addListener (this); }
    ~GestureCounter() override { parameter.removeListener (this); }
    void parameterValueChanged (int, float) override {}
    void parameterGestureChanged (int, bool starting) override { ++(starting ? begins : ends); }
    juce::AudioProcessorParameter& parameter;
    int begins = 0;
    int ends = 0;
};

// A mouse event whose widget of origin differs from the component receiving it.
inline juce::MouseEvent mouseEventFrom (juce::Component& origin, juce::Component& target, float x, float y,
                                        juce::ModifierKeys mods)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { x, y }, mods,
                             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &target, &origin, now,
                             { x, y }, now, 1, false);
}

// The vertices of a path, in order.
inline std::vector<juce::Point<float>> vertices (const juce::Path& path)
{
    std::vector<juce::Point<float>> points;
    for (juce::Path::Iterator it (path); it.next();)
        if (it.elementType == juce::Path::Iterator::startNewSubPath || it.elementType == juce::Path::Iterator::lineTo)
            points.emplace_back (it.x1, it.y1);
    return points;
}

inline bool allFinite (const juce::Path& path)
{
    for (const auto& p : vertices (path))
        if (! std::isfinite (p.x) || ! std::isfinite (p.y))
            return false;
    return true;
}
} // namespace furthertest
