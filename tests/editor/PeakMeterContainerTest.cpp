#include "ControlContainerTestHelpers.h"

#include "UI/Controls/Meters/PeakMeterContainer.h"

using namespace controltest;

namespace
{
constexpr unsigned long meterIndex = 24;
const juce::Colour barColour = juce::Colours::red;

// Rows of column x that hold the full bar colour.
std::vector<int> barRows (const juce::Image& image, int x)
{
    std::vector<int> rows;
    for (int y = 0; y < image.getHeight(); ++y)
        if (isColour (image, x, y, barColour, 2))
            rows.push_back (y);
    return rows;
}
} // namespace

class PeakMeterContainerTest : public ProcessorBackedTest
{
protected:
    void SetUp() override
    {
        ProcessorBackedTest::SetUp();
        processor->setRateAndBufferSizeDetails (48000.0, 512);
        processor->prepareToPlay (48000.0, 512);
        meter = std::make_unique<PeakMeterContainer> (kernelParameter (*processor, meterIndex), "");
        meter->setMainColor (barColour);
        meter->attach (processor->parameterTree);
        meter->setBounds (0, 0, 40, 124);
    }

    void TearDown() override
    {
        meter.reset();
        ProcessorBackedTest::TearDown();
    }

    void setMeter (float value, int channel = 0)
    {
        (*processor->getKernel().outputValue (static_cast<int> (meterIndex)))[static_cast<size_t> (channel)].store (value);
    }

    std::unique_ptr<PeakMeterContainer> meter;
};

TEST_F (PeakMeterContainerTest, DecibelLevelsHangFromTheTopOfThePlot)
{
    ASSERT_NE (meter->peakValues, nullptr);
    // Narrow: 0.6 of 40 = 24 pixels wide at x = 8; plot from y = 24 to 124.
    setMeter (100.0f);
    EXPECT_TRUE (barRows (snapshot (*meter), 20).empty());

    setMeter (60.0f);
    auto image = snapshot (*meter);
    auto rows = barRows (image, 20);
    ASSERT_EQ (rows.size(), 75u);
    EXPECT_EQ (rows.front(), 24);
    EXPECT_TRUE (barRows (image, 7).empty());
    EXPECT_EQ (barRows (image, 8).size(), 75u);
    EXPECT_EQ (barRows (image, 31).size(), 75u);
    EXPECT_TRUE (barRows (image, 32).empty());
    // The rest of the plot carries the faint background.
    EXPECT_NEAR (image.getPixelAt (20, 110).getAlpha(), 0.15 * 255, 2);

    setMeter (0.0f);
    EXPECT_EQ (barRows (snapshot (*meter), 20).size(), 100u);
    setMeter (46.0f);
    EXPECT_EQ (barRows (snapshot (*meter), 20).size(), 100u);

    // Not a number: no bar rather than a garbage rectangle.
    setMeter (std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE (barRows (snapshot (*meter), 20).empty());
}

TEST_F (PeakMeterContainerTest, StereoBarsShareTheFullWidth)
{
    meter->isStereo = true;
    meter->isNarrow = false;
    meter->setBounds (0, 0, 100, 124);
    setMeter (0.0f, 0);
    setMeter (0.0f, 1);
    const auto image = snapshot (*meter);
    // (100 - 4 + 2) / 2 = 49 wide: at 0..48 and 51..99.
    EXPECT_EQ (barRows (image, 0).size(), 100u);
    EXPECT_EQ (barRows (image, 48).size(), 100u);
    EXPECT_TRUE (barRows (image, 49).empty());
    EXPECT_TRUE (barRows (image, 50).empty());
    EXPECT_EQ (barRows (image, 51).size(), 100u);
    EXPECT_EQ (barRows (image, 99).size(), 100u);
}

TEST_F (PeakMeterContainerTest, InvertedAndBipolarBars)
{
    meter->isDecibel = false;
    meter->isInverted = true;
    setMeter (0.25f);
    auto rows = barRows (snapshot (*meter), 20);
    // The complement, from the bottom edge up: 75 rows ending at 123.
    ASSERT_EQ (rows.size(), 75u);
    EXPECT_EQ (rows.back(), 123);

    meter->isInverted = false;
    meter->isBipolar = true;
    setMeter (0.5f);
    rows = barRows (snapshot (*meter), 20);
    ASSERT_EQ (rows.size(), 25u);
    EXPECT_EQ (rows.back(), 73);
    setMeter (-0.5f);
    rows = barRows (snapshot (*meter), 20);
    ASSERT_EQ (rows.size(), 25u);
    EXPECT_EQ (rows.front(), 74);
}

TEST_F (PeakMeterContainerTest, RepaintsOnlyWhenTheValueChanges)
{
    setMeter (50.0f);
    meter->timerCallback();
    const int afterFirst = meter->waitPhase;
    meter->timerCallback();
    meter->timerCallback();
    EXPECT_EQ (meter->waitPhase, afterFirst);

    setMeter (51.0f);
    meter->timerCallback();
    EXPECT_EQ (meter->waitPhase, afterFirst + 1);

    meter->setIsWaiting (true);
    meter->timerCallback();
    meter->timerCallback();
    EXPECT_EQ (meter->waitPhase, 2);
}

TEST_F (PeakMeterContainerTest, FindsTheKernelsValueOnceTheKernelIsPrepared)
{
    auto fresh = VantrelProcessor::create();
    PeakMeterContainer early (kernelParameter (*fresh, meterIndex), "");
    early.setBounds (0, 0, 40, 124);
    early.attach (fresh->parameterTree);
    EXPECT_EQ (early.peakValues, nullptr);
    // Nothing is drawn before there is a value, and the kernel's map is untouched.
    EXPECT_TRUE (barRows (snapshot (early), 20).empty());
    EXPECT_EQ (fresh->getKernel().outputValue (static_cast<int> (meterIndex)), nullptr);

    fresh->setRateAndBufferSizeDetails (48000.0, 512);
    fresh->prepareToPlay (48000.0, 512);
    early.timerCallback();
    EXPECT_EQ (early.peakValues, fresh->getKernel().outputValue (static_cast<int> (meterIndex)));
}

TEST_F (PeakMeterContainerTest, ShowsTheDuckersReadingAfterRendering)
{
    // A loud input with the threshold at its lowest: the ducker works and the
    // meter's value moves off its initial reading.
    setHostValue (*processor, "DuckingThreshold", -40.0f);
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    for (int block = 0; block < 40; ++block)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                buffer.setSample (c, i, 0.8f * std::sin (0.05f * static_cast<float> (block * 512 + i)));
        processor->processBlock (buffer, midi);
    }
    const float reading = (*meter->peakValues)[0].load();
    meter->timerCallback();
    EXPECT_EQ (meter->lastValues[0], reading);
    EXPECT_TRUE (std::isfinite (reading));
}
