#include "ControlContainerTestHelpers.h"

#include "AllocationCounter.h"
#include "UI/Controls/OnOff/OnOffContainer.h"
#include "UI/Controls/Radio/RadioContainer.h"

#include <atomic>
#include <thread>

using namespace controltest;

namespace
{
constexpr unsigned long inputFilterType = 4;
constexpr unsigned long modeA = 5;
const std::vector<std::string> modes { "PRE", "FEEDBACK", "POST" };

int selectedButton (const RadioContainer& radio)
{
    int selected = -1;
    for (size_t i = 0; i < radio.buttons.size(); ++i)
        if (radio.buttons[i]->getToggleState())
        {
            EXPECT_EQ (selected, -1) << "two options selected";
            selected = static_cast<int> (i);
        }
    return selected;
}
} // namespace

class RadioContainerTest : public ProcessorBackedTest
{
};

TEST_F (RadioContainerTest, ColumnLayoutSharesTheHeightWithTwoPixelGaps)
{
    RadioContainer radio (kernelParameter (*processor, modeA), "Mode", modes);
    radio.setBounds (0, 0, 80, 100);
    ASSERT_EQ (radio.buttons.size(), 3u);
    EXPECT_EQ (radio.buttons[0]->getBounds(), juce::Rectangle<int> (0, 24, 80, 24));
    EXPECT_EQ (radio.buttons[1]->getBounds(), juce::Rectangle<int> (0, 50, 80, 24));
    EXPECT_EQ (radio.buttons[2]->getBounds(), juce::Rectangle<int> (0, 76, 80, 24));

    radio.setForceAdapt (true);
    EXPECT_EQ (radio.buttons[1]->getBounds(), juce::Rectangle<int> (9, 50, 62, 24));

    radio.setIsHorizontal (true);
    // (80 - 6 + 2) / 3 = 25 wide, 76 high.
    EXPECT_EQ (radio.buttons[0]->getBounds(), juce::Rectangle<int> (0, 24, 25, 76));
    EXPECT_EQ (radio.buttons[2]->getBounds(), juce::Rectangle<int> (54, 24, 25, 76));

    RadioContainer empty (kernelParameter (*processor, modeA), "Mode", {});
    empty.setBounds (0, 0, 80, 100);
    EXPECT_TRUE (empty.buttons.empty());
}

TEST_F (RadioContainerTest, HostValuesSelectByTruncationAndOutOfRangeChangesNothing)
{
    RadioContainer radio (kernelParameter (*processor, modeA), "Mode", modes);
    radio.attach (processor->parameterTree);
    radio.timerCallback();
    EXPECT_EQ (selectedButton (radio), 0);

    radio.parameterChanged ("PitchShifterModeA", 1.9f);
    radio.timerCallback();
    EXPECT_EQ (selectedButton (radio), 1);

    for (const float bad : { 3.0f, 7.5f, -1.0f, -200.0f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), 3.0e9f })
    {
        radio.parameterChanged ("PitchShifterModeA", bad);
        radio.timerCallback();
        EXPECT_EQ (selectedButton (radio), 1) << bad;
    }

    // Only the timer changes the buttons.
    setHostValue (*processor, "PitchShifterModeA", 2.0f);
    EXPECT_EQ (selectedButton (radio), 1);
    radio.timerCallback();
    EXPECT_EQ (selectedButton (radio), 2);
}

TEST_F (RadioContainerTest, ClickingAnOptionSetsTheParameter)
{
    RadioContainer radio (kernelParameter (*processor, modeA), "Mode", modes);
    radio.attach (processor->parameterTree);
    // What a click does: the radio group turns the button on, then its callback runs.
    radio.buttons[2]->setToggleState (true, juce::sendNotificationSync);
    radio.buttons[2]->onClick();
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchShifterModeA"), 2.0f);
    EXPECT_FLOAT_EQ (processor->getKernel().getParameter (modeA), 2.0f);

    // The selected option again, after the host moved elsewhere unseen.
    radio.buttons[2]->setToggleState (true, juce::dontSendNotification);
    setHostValue (*processor, "PitchShifterModeA", 0.0f);
    radio.updateState (radio.buttons[2].get(), 2);
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchShifterModeA"), 2.0f);

    // A button that is off sets nothing.
    radio.updateState (radio.buttons[0].get(), 0);
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchShifterModeA"), 2.0f);
}

TEST_F (RadioContainerTest, SwitchParameterTakesTheIndexOfTheIcon)
{
    RadioContainer type (kernelParameter (*processor, inputFilterType), "Type", { "lowshelf", "hipass" });
    type.setIsWaveform (true);
    type.attach (processor->parameterTree);
    type.buttons[1]->setToggleState (true, juce::dontSendNotification);
    type.updateState (type.buttons[1].get(), 1);
    EXPECT_FLOAT_EQ (hostValue (*processor, "InputFilterType"), 1.0f);

    // Icons, not texts, in white on the selected option.
    type.setBounds (0, 0, 60, 100);
    type.timerCallback();
    const auto image = snapshot (type);
    EXPECT_GT (countColour (image, { 0, 62, 60, 38 }, juce::Colours::white, 60), 20);
}

TEST_F (RadioContainerTest, DestroyedWhileAttachedLeavesNoListenerBehind)
{
    {
        RadioContainer radio (kernelParameter (*processor, modeA), "Mode", modes);
        radio.attach (processor->parameterTree);
    }
    // A notification after the container is gone must reach nobody.
    setHostValue (*processor, "PitchShifterModeA", 1.0f);
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchShifterModeA"), 1.0f);
}

TEST_F (RadioContainerTest, OnOffTextsLayoutAndAttachment)
{
    OnOffContainer oneLabel (kernelParameter (*processor, inputFilterType), "Type", { "A" });
    OnOffContainer threeLabels (kernelParameter (*processor, inputFilterType), "Type", { "A", "B", "C" });
    OnOffContainer twoLabels (kernelParameter (*processor, inputFilterType), "Type", { "HI", "LO" });
    EXPECT_EQ (oneLabel.lookAndFeel.onText, "ON");
    EXPECT_EQ (threeLabels.lookAndFeel.offText, "OFF");
    EXPECT_EQ (twoLabels.lookAndFeel.onText, "HI");
    EXPECT_EQ (twoLabels.lookAndFeel.offText, "LO");

    twoLabels.setBounds (0, 0, 90, 100);
    EXPECT_EQ (twoLabels.button->getBounds(), juce::Rectangle<int> (0, 24, 90, 76));
    twoLabels.setForceSmall (true);
    // 30 x 30, centred in the body below the title.
    EXPECT_EQ (twoLabels.button->getBounds(), juce::Rectangle<int> (30, 47, 30, 30));

    twoLabels.attach (processor->parameterTree);
    EXPECT_FALSE (twoLabels.button->getToggleState());
    twoLabels.button->setToggleState (true, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (hostValue (*processor, "InputFilterType"), 1.0f);
    setHostValue (*processor, "InputFilterType", 0.0f);
    EXPECT_FALSE (twoLabels.button->getToggleState());
}

// Automation on another thread while the message thread shows it: the
// listener stores an index and a flag only (no allocation, no race).
class RadioContainerThreads : public ProcessorBackedTest
{
};

TEST_F (RadioContainerThreads, AutomationIsOnlyStoredForTheTimer)
{
    RadioContainer radio (kernelParameter (*processor, modeA), "Mode", modes);
    radio.attach (processor->parameterTree);
    auto& parameter = hostParameter (*processor, "PitchShifterModeA");

    std::atomic<bool> done { false };
    std::size_t allocations = 0;
    std::thread automation ([&] {
        for (int i = 0; i <= 2000; ++i)
        {
            testsupport::ScopedAllocationCounter counter;
            const float normalised = parameter.convertTo0to1 (static_cast<float> ((i + 1) % 3));
            parameter.setValue (normalised);
            parameter.sendValueChangedMessageToListeners (normalised);
            allocations += counter.allocations();
        }
        done = true;
    });
    while (! done)
        radio.timerCallback();
    automation.join();
    radio.timerCallback();

    EXPECT_EQ (allocations, 0u);
    // 2001 % 3: the last value sent.
    EXPECT_EQ (selectedButton (radio), 0);
}
