#include "ProfileApplication.h"

namespace profile
{
namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
double runSeconds = 15.0;
bool playing = false;
} // namespace

void ProfileApplication::configure (double seconds, bool play)
{
    runSeconds = seconds;
    playing = play;
}

void ProfileApplication::initialise (const juce::String&)
{
    processor = VantrelProcessor::create();
    processor->setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor->prepareToPlay (sampleRate, blockSize);
    if (playing)
    {
        feeder = std::make_unique<RealTimeFeeder> (*processor, sampleRate, blockSize);
        feeder->startThread (juce::Thread::Priority::highest);
    }
    window = std::make_unique<EditorWindow> (*processor);
    juce::Timer::callAfterDelay (static_cast<int> (runSeconds * 1000.0), [] { quit(); });
}

void ProfileApplication::shutdown()
{
    feeder.reset();
    window.reset();
    processor.reset();
}
} // namespace profile
