#pragma once

#include "EditorWindow.h"
#include "RealTimeFeeder.h"
#include "VantrelProcessor.h"

#include <memory>

namespace profile
{
// The editor in a window for a number of seconds, idle or playing. A real
// application: the window system expects one behind a desktop window.
class ProfileApplication : public juce::JUCEApplication
{
public:
    static void configure (double seconds, bool play);

    const juce::String getApplicationName() override { return "vantrel-profile"; }
    const juce::String getApplicationVersion() override { return "1.1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String&) override;
    void shutdown() override;
    void systemRequestedQuit() override { quit(); }

private:
    std::unique_ptr<VantrelProcessor> processor;
    std::unique_ptr<RealTimeFeeder> feeder;
    std::unique_ptr<EditorWindow> window;
};
} // namespace profile
