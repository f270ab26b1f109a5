#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <type_traits>

// What hosts are told about a parameter beyond its JUCE class `Base`:
//  - its default, which a processor declares once it has put a new instance on
//    its starting values, so that a host's "reset to default", and a host that
//    shows the declared default until it asks for the value, give the sound a
//    new instance makes;
//  - that an integer has steps: JUCE gives formats the step count only for a
//    discrete parameter, and its integer class is not one, so hosts saw a
//    voice's mode as a continuous number.
class DeclaredDefault
{
public:
    virtual ~DeclaredDefault() = default;
    // Normalised, limited to 0..1.
    virtual void declareDefault (float normalised) noexcept = 0;
};

template <typename Base>
class PublishedParameter : public Base, public DeclaredDefault
{
public:
    using Base::Base;

    // Normalised; until one is declared, the value the parameter was made with.
    float getDefaultValue() const override { return declaredDefault.load (std::memory_order_relaxed); }

    void declareDefault (float normalised) noexcept override
    {
        declaredDefault.store (juce::jlimit (0.0f, 1.0f, normalised), std::memory_order_relaxed);
    }

    // Of JUCE's three classes only the float one is continuous.
    bool isDiscrete() const override { return ! std::is_base_of_v<juce::AudioParameterFloat, Base>; }

private:
    // JUCE's own default is private to its class; a new parameter holds it.
    std::atomic<float> declaredDefault { this->convertTo0to1 (static_cast<float> (this->get())) };
};
