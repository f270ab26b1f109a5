#include "ControlContainerTestHelpers.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/DropdownList/DropdownListContainer.h"

using namespace controltest;

namespace
{
constexpr unsigned long modeA = 5;
constexpr unsigned long pitchA = 7;

struct RecordingDelegate : UIContainerDelegate
{
    void onRightClickOnControl (std::vector<ControlParameter> controls) override { reported = std::move (controls); }
    std::vector<ControlParameter> reported;
};
} // namespace

class DropdownListContainerTest : public ProcessorBackedTest
{
protected:
    std::unique_ptr<DropdownListContainer> makeModes()
    {
        auto list = std::make_unique<DropdownListContainer> (kernelParameter (*processor, modeA), "Mode",
                                                             std::vector<std::string> { "PRE", "FEEDBACK", "POST" });
        list->attach (processor->parameterTree);
        return list;
    }
    float mode() { return hostValue (*processor, "PitchShifterModeA"); }
};

TEST_F (DropdownListContainerTest, ArrowsStepWithWrapAround)
{
    auto list = makeModes();
    list->onPreviousClick();
    EXPECT_FLOAT_EQ (mode(), 2.0f);
    list->onNextClick();
    EXPECT_FLOAT_EQ (mode(), 0.0f);
    list->onNextClick();
    list->onNextClick();
    EXPECT_FLOAT_EQ (mode(), 2.0f);
    list->onPreviousClick();
    EXPECT_FLOAT_EQ (mode(), 1.0f);
}

TEST_F (DropdownListContainerTest, HostValuesRoundAndShowAtTheNextUpdate)
{
    auto list = makeModes();
    // The stored value is pending from attach on.
    EXPECT_TRUE (list->needsUpdate.load());
    list->update();
    EXPECT_EQ (list->valueLabel->getText(), "PRE");
    EXPECT_EQ (list->comboBox->getSelectedId(), 1);

    list->parameterChanged ("PitchShifterModeA", 1.6f);
    EXPECT_EQ (list->valueLabel->getText(), "PRE");
    list->update();
    EXPECT_EQ (list->valueLabel->getText(), "POST");
    EXPECT_EQ (list->comboBox->getSelectedId(), 3);

    setHostValue (*processor, "PitchShifterModeA", 1.0f);
    list->update();
    EXPECT_EQ (list->valueLabel->getText(), "FEEDBACK");
}

TEST_F (DropdownListContainerTest, ChoosingFromTheMenuWritesTheParameter)
{
    auto list = makeModes();
    list->update();
    list->comboBox->setSelectedId (3, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (mode(), 2.0f);
    list->update();
    EXPECT_EQ (list->valueLabel->getText(), "POST");
}

TEST_F (DropdownListContainerTest, AValueBeyondTheOptionsIsShownAsNoneAndLeftAlone)
{
    // Pitch runs -24..24; only three options are named.
    auto list = std::make_unique<DropdownListContainer> (kernelParameter (*processor, pitchA), "Pitch",
                                                         std::vector<std::string> { "A", "B", "C" });
    list->attach (processor->parameterTree);
    setHostValue (*processor, "PitchA", 12.0f);
    list->update();
    EXPECT_EQ (list->valueLabel->getText(), "");
    EXPECT_EQ (list->comboBox->getSelectedId(), 0);
    // Even a change message of the box must not pull the value to an option.
    list->onDropdownItemSelected();
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchA"), 12.0f);

    list->onNextClick();
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchA"), 0.0f);
    setHostValue (*processor, "PitchA", -7.0f);
    list->onPreviousClick();
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchA"), 2.0f);

    DropdownListContainer empty (kernelParameter (*processor, modeA), "Mode", {});
    empty.attach (processor->parameterTree);
    empty.onNextClick();
    empty.onPreviousClick();
    empty.update();
    EXPECT_FLOAT_EQ (mode(), 0.0f);
}

TEST_F (DropdownListContainerTest, LayoutPutsArrowsAtTheEdgesAroundTheLabel)
{
    auto list = makeModes();
    list->setBounds (0, 0, 100, 74);
    // a = 22, h = 50, o = 14, s = 20.
    EXPECT_EQ (list->previousButton->getBounds(), juce::Rectangle<int> (2, 40, 20, 20));
    EXPECT_EQ (list->nextButton->getBounds(), juce::Rectangle<int> (78, 40, 20, 20));
    EXPECT_EQ (list->valueLabel->getBounds(), juce::Rectangle<int> (24, 24, 52, 48));
    EXPECT_EQ (list->comboBox->getBounds(), juce::Rectangle<int> (0, 24, 100, 50));
    EXPECT_EQ (list->previousButton->getName(), "previous");
    EXPECT_EQ (list->nextButton->getName(), "next");
}

TEST_F (DropdownListContainerTest, ColourReachesLabelAndMenu)
{
    auto list = makeModes();
    list->setMainColor (juce::Colours::yellow);
    EXPECT_EQ (list->lookAndFeel.menuColour, juce::Colours::yellow);
    EXPECT_EQ (list->valueLabel->findColour (juce::Label::textColourId), juce::Colours::yellow);

    list->update();
    list->setBounds (0, 0, 100, 74);
    const auto image = snapshot (*list);
    EXPECT_GT (countColour (image, { 24, 24, 52, 48 }, juce::Colours::yellow, 60), 10);
}

TEST_F (DropdownListContainerTest, TheArrowsTakeTheSectionColour)
{
    auto list = makeModes();
    list->setMainColor (Karvon::green);
    list->update();
    list->setBounds (0, 0, 100, 74);
    const auto image = snapshot (*list);
    for (auto* arrow : { list->previousButton.get(), list->nextButton.get() })
    {
        EXPECT_GT (countColour (image, arrow->getBounds(), Karvon::green, 30), 20) << arrow->getName();
        EXPECT_EQ (countColour (image, arrow->getBounds(), Karvon::blue, 30), 0) << arrow->getName() << ": the colour it was built with";
    }
}

TEST_F (DropdownListContainerTest, RightClickReportsTheParameter)
{
    auto list = makeModes();
    RecordingDelegate delegate;
    list->delegate = &delegate;
    list->setBounds (0, 0, 100, 74);
    list->mouseDown (mouseEvent (*list, 50.0f, 50.0f, rightButton));
    ASSERT_EQ (delegate.reported.size(), 1u);
    EXPECT_EQ (delegate.reported[0].displayName, "MODE");
    EXPECT_EQ (delegate.reported[0].parameter, kernelParameter (*processor, modeA));
}
