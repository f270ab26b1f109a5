// Pages, sections and the page selector: section widths by weight, the grid of
// each section to the pixel, sibling controls, and the tabs.
#include <gtest/gtest.h>

#include "LookAndFeel/Palette.h"
#include "UI/Controls/UIContainer.h"
#include "UI/Page.h"
#include "UI/PageSelector.h"
#include "UI/Section.h"

#include <map>
#include <memory>

namespace
{
class PlainContainer : public UIContainer
{
public:
    using UIContainer::UIContainer;
    void attach (juce::AudioProcessorValueTreeState&) override {}
    void setMainColor (juce::Colour colour) override
    {
        UIContainer::setMainColor (colour);
        ++colourChanges;
    }
    int colourChanges = 0;
};

using Rect = juce::Rectangle<int>;

// A section with one container per slot and sibling id, built the way the
// editor fills it.
struct SectionRig
{
    SectionRig (std::vector<UIColumn> columns, std::map<int, std::vector<int>> siblings = {},
                juce::Colour colour = Karvon::orange)
        : section (std::move (columns), "input", colour, std::move (siblings))
    {
        auto ids = section.getParams();
        const auto more = section.getSiblings();
        ids.insert (ids.end(), more.begin(), more.end());
        for (const int id : ids)
        {
            parameters[id].id = juce::String ("P" + juce::String (id)).toStdString();
            containers[id] = std::make_unique<PlainContainer> (&parameters[id], "");
            section.addControl (id, containers[id].get());
        }
    }
    Rect bounds (int id) const { return containers.at (id)->getBounds(); }

    std::map<int, Parameter> parameters;
    std::map<int, std::unique_ptr<PlainContainer>> containers;
    Section section;
};

std::vector<UIColumn> inputColumns()
{
    return { { { { 3, 1, 0, 3 }, { 1, 1, 0, 1 } }, 1 }, { { { 15, 1, 1, 1 } }, 1 }, { { { 4, 1, 1, 1 } }, 1 } };
}

std::vector<UIColumn> shifterColumns()
{
    return { { { { 7, 1, 0, 1 }, { 8, 1, 0, 1 }, { 9, 1, 0, 1 } }, 1 }, { { { 5, 1, 0, 1 }, { 6, 2, 0, 1 } }, 1 } };
}

struct RecordingPageDelegate : PageSelectorDelegate
{
    void onPageSelected (int page) override { pages.push_back (page); }
    std::vector<int> pages;
};
} // namespace

TEST (Section, InputGridOfTheEffectToThePixel)
{
    SectionRig rig (inputColumns());
    rig.section.setBounds (0, 0, 174, 300);

    EXPECT_EQ (rig.section.area, Rect (4, 2, 166, 296));
    EXPECT_EQ (rig.section.titleHeight, 29);
    EXPECT_EQ (rig.section.name, "INPUT");
    EXPECT_EQ (rig.section.titleLabel.getText(), "INPUT");
    EXPECT_EQ (rig.section.titleLabel.getBounds(), Rect (4, 2, 166, 29));
    EXPECT_NEAR (rig.section.titleLabel.getFont().getHeight(), 26.1f, 1e-4f);
    EXPECT_EQ (rig.section.titleLabel.findColour (juce::Label::textColourId), Karvon::orange);

    EXPECT_EQ (rig.bounds (3), Rect (5, 32, 163, 131));
    EXPECT_EQ (rig.bounds (1), Rect (5, 165, 53, 131));
    EXPECT_EQ (rig.bounds (15), Rect (60, 165, 53, 131));
    EXPECT_EQ (rig.bounds (4), Rect (115, 165, 53, 131));
    for (auto& [id, container] : rig.containers)
    {
        EXPECT_EQ (container->mainColor, Karvon::orange) << id;
        EXPECT_TRUE (container->isVisible()) << id;
        EXPECT_EQ (container->getParentComponent(), &rig.section) << id;
    }
}

TEST (Section, ShifterDuckerAndMixGrids)
{
    SectionRig shifter (shifterColumns());
    shifter.section.setBounds (0, 0, 174, 300);
    EXPECT_EQ (shifter.bounds (7), Rect (5, 32, 81, 87));
    EXPECT_EQ (shifter.bounds (8), Rect (5, 121, 81, 87));
    EXPECT_EQ (shifter.bounds (9), Rect (5, 210, 81, 87));
    EXPECT_EQ (shifter.bounds (5), Rect (88, 32, 81, 87));
    EXPECT_EQ (shifter.bounds (6), Rect (88, 121, 81, 176));

    SectionRig ducker ({ { { { 21, 1, 0, 1 }, { 22, 1, 0, 1 }, { 23, 1, 0, 1 } }, 3 }, { { { 24, 3, 0, 1 } }, 1 } });
    ducker.section.setBounds (0, 0, 116, 300);
    EXPECT_EQ (ducker.bounds (21), Rect (5, 32, 79, 87));
    EXPECT_EQ (ducker.bounds (22), Rect (5, 121, 79, 87));
    EXPECT_EQ (ducker.bounds (23), Rect (5, 210, 79, 87));
    EXPECT_EQ (ducker.bounds (24), Rect (86, 32, 25, 265));

    SectionRig mix ({ { { { 0, 1, 0, 1 } }, 1 } });
    mix.section.setBounds (0, 0, 87, 300);
    EXPECT_EQ (mix.bounds (0), Rect (5, 32, 77, 265));
}

TEST (Section, ControlsWithStubLinesFillTheirSlotWithoutInset)
{
    SectionRig rig (shifterColumns());
    rig.containers[7]->lines = { true, false };
    rig.containers[6]->lines = { false, true };
    rig.section.setBounds (0, 0, 174, 300);
    EXPECT_EQ (rig.bounds (7), Rect (4, 31, 83, 89));
    EXPECT_EQ (rig.bounds (6), Rect (87, 120, 83, 178));
    EXPECT_EQ (rig.bounds (8), Rect (5, 121, 81, 87));
}

TEST (Section, SiblingsShareTheirSlotAndStayHidden)
{
    SectionRig rig (shifterColumns(), { { 8, { 40, 41 } } }, Karvon::green);
    EXPECT_TRUE (rig.section.containsParam (41));
    EXPECT_TRUE (rig.section.containsParam (6));
    EXPECT_FALSE (rig.section.containsParam (42));
    EXPECT_EQ (rig.section.getSiblings(), (std::vector<int> { 40, 41 }));
    EXPECT_EQ (rig.section.getParams(), (std::vector<int> { 7, 8, 9, 5, 6 }));
    EXPECT_EQ (rig.section.getColumnCount(), 2);

    rig.section.setBounds (0, 0, 174, 300);
    for (const int sibling : { 40, 41 })
    {
        EXPECT_EQ (rig.bounds (sibling), Rect (5, 121, 81, 87));
        EXPECT_FALSE (rig.containers[sibling]->isVisible());
        EXPECT_EQ (rig.containers[sibling]->mainColor, Karvon::green);
    }

    // Shown in between (say, by a control that swaps them), hidden again by the next layout.
    rig.containers[40]->setVisible (true);
    rig.section.setBounds (0, 0, 174, 301);
    EXPECT_FALSE (rig.containers[40]->isVisible());
    EXPECT_TRUE (rig.containers[8]->isVisible());
}

TEST (Section, ARepeatedLayoutAddsTheTitleOnceAndPlacesAgain)
{
    SectionRig rig (inputColumns());
    rig.section.setBounds (0, 0, 174, 300);
    const int children = rig.section.getNumChildComponents();
    rig.section.setBounds (0, 0, 348, 600);
    EXPECT_EQ (rig.section.getNumChildComponents(), children);
    EXPECT_EQ (rig.section.area, Rect (4, 2, 340, 596));
    EXPECT_EQ (rig.section.titleHeight, 59);
    // unit 113, rowHeight (596 - 59) / 2 = 268
    EXPECT_EQ (rig.bounds (3), Rect (5, 62, 337, 266));
    EXPECT_EQ (rig.bounds (15), Rect (118, 330, 111, 266));
}

TEST (Section, DegenerateSizesAndGridsNeitherCrashNorPlaceOutsideTheSection)
{
    SectionRig rig (inputColumns());
    for (auto size : { juce::Point<int> (0, 0), { 3, 2 }, { 8, 4 }, { 9, 5 }, { 174, 1 }, { 1, 300 } })
    {
        rig.section.setBounds (0, 0, size.x, size.y);
        EXPECT_GE (rig.section.area.getWidth(), 0);
        EXPECT_GE (rig.section.area.getHeight(), 0);
        for (auto& [id, container] : rig.containers)
        {
            EXPECT_GE (container->getWidth(), 0);
            EXPECT_GE (container->getHeight(), 0);
        }
        juce::Image image (juce::Image::ARGB, std::max (1, size.x), std::max (1, size.y), true);
        juce::Graphics g (image);
        rig.section.paintEntireComponent (g, true);
    }

    // Columns totalling less than one row, or no width: nothing to place, no division by zero.
    SectionRig flat ({ { { { 1, 0.5f, 0, 1 } }, 1 } });
    flat.section.setBounds (0, 0, 100, 100);
    EXPECT_EQ (flat.bounds (1), Rect());
    SectionRig narrow ({ { { { 1, 1, 0, 1 } }, 0 } });
    narrow.section.setBounds (0, 0, 100, 100);
    EXPECT_EQ (narrow.bounds (1), Rect());
    // A section without columns has only its title.
    Section empty ({}, "x", Karvon::blue, {});
    empty.setBounds (0, 0, 50, 50);
    EXPECT_EQ (empty.getNumChildComponents(), 1);
}

TEST (Section, BackgroundFadesDownwardsInTheSectionColour)
{
    SectionRig rig (inputColumns(), {}, Karvon::red);
    for (auto& [id, container] : rig.containers)
        container->setVisible (false);
    rig.section.titleLabel.setVisible (false);
    rig.section.setBounds (0, 0, 174, 300);
    rig.section.titleLabel.setVisible (false);

    auto image = rig.section.createComponentSnapshot (rig.section.getLocalBounds(), true, 1.0f);
    // The outermost pixel ring stays clear.
    EXPECT_EQ (image.getPixelAt (0, 150).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (173, 150).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (80, 0).getAlpha(), 0);
    // Near the top about 0.21 of the colour, near the bottom about 0.01.
    const auto top = image.getPixelAt (80, 2);
    const auto bottom = image.getPixelAt (80, 296);
    EXPECT_NEAR (top.getAlpha(), 0.21f * 255.0f, 4.0f);
    EXPECT_LT (bottom.getAlpha(), 6);
    EXPECT_GT (top.getAlpha(), image.getPixelAt (80, 150).getAlpha());
    EXPECT_NEAR (top.getRed(), Karvon::red.getRed(), 3);
    EXPECT_NEAR (top.getGreen(), Karvon::red.getGreen(), 3);
}

TEST (Page, SectionWidthsFollowTheWeightsAndTheRemainderStaysRight)
{
    std::vector<std::unique_ptr<Section>> sections;
    std::vector<UISection> placed;
    for (const int weight : { 6, 6, 6, 6, 4, 3 })
    {
        sections.push_back (std::make_unique<Section> (std::vector<UIColumn> {}, "s", Karvon::blue,
                                                       std::map<int, std::vector<int>> {}));
        placed.push_back ({ sections.back().get(), weight });
    }
    Page page (placed, "");
    page.setBounds (0, 30, 900, 300);

    const std::vector<Rect> expected { { 0, 0, 174, 300 },   { 174, 0, 174, 300 }, { 348, 0, 174, 300 },
                                       { 522, 0, 174, 300 }, { 696, 0, 116, 300 }, { 812, 0, 87, 300 } };
    for (std::size_t i = 0; i < sections.size(); ++i)
    {
        EXPECT_EQ (sections[i]->getBounds(), expected[i]) << i;
        EXPECT_EQ (sections[i]->getParentComponent(), &page);
        EXPECT_TRUE (sections[i]->isVisible());
    }
    EXPECT_EQ (page.getNumChildComponents(), 6);
    page.setBounds (0, 30, 900, 300);
    EXPECT_EQ (page.getNumChildComponents(), 6);

    // Weights summing to zero, and a page without sections, place nothing.
    Section lone ({}, "s", Karvon::blue, {});
    Page zero ({ { &lone, 0 } }, "zero");
    zero.setBounds (0, 0, 100, 100);
    EXPECT_EQ (lone.getBounds(), Rect());
    Page none ({}, "none");
    none.setBounds (0, 0, 100, 100);
    EXPECT_EQ (none.getNumChildComponents(), 0);
}

TEST (PageSelector, TabsOfEqualWidthReportTheirIndex)
{
    RecordingPageDelegate delegate;
    PageSelector selector (&delegate);
    selector.setBounds (0, 30, 300, 30);
    selector.init ({ "MAIN", "MOD", "FX" }, 2);

    ASSERT_EQ (selector.buttons.size(), 3u);
    EXPECT_EQ (selector.buttons[0]->getBounds(), Rect (1, 1, 99, 28));
    EXPECT_EQ (selector.buttons[1]->getBounds(), Rect (100, 1, 99, 28));
    EXPECT_EQ (selector.buttons[2]->getBounds(), Rect (199, 1, 99, 28));
    EXPECT_EQ (selector.buttons[1]->getButtonText(), "MOD");
    EXPECT_TRUE (selector.buttons[2]->getToggleState());
    EXPECT_FALSE (selector.buttons[0]->getToggleState());
    EXPECT_TRUE (delegate.pages.empty()); // the initial selection is not reported

    // What a click does: switch the tab on (its radio group switches the
    // others off), then run its click action.
    selector.buttons[0]->setToggleState (true, juce::dontSendNotification);
    selector.buttons[0]->onClick();
    EXPECT_EQ (delegate.pages, (std::vector<int> { 0 }));
    EXPECT_TRUE (selector.buttons[0]->getToggleState());
    EXPECT_FALSE (selector.buttons[2]->getToggleState()); // one radio group

    selector.updateState (1);
    EXPECT_EQ (delegate.pages, (std::vector<int> { 0, 1 }));

    PageSelector orphan (nullptr);
    orphan.init ({ "A", "B" }, 0);
    orphan.buttons[1]->onClick();
    orphan.updateState (0);
    SUCCEED();
}

TEST (PageSelector, SelectedTabIsALightBoxWithDarkText)
{
    PageSelector selector (nullptr);
    selector.setBounds (0, 0, 200, 30);
    selector.init ({ "ONE", "TWO" }, 0);
    EXPECT_TRUE (selector.lookAndFeel.useCustomColours);
    EXPECT_FALSE (selector.lookAndFeel.outline);
    EXPECT_TRUE (selector.lookAndFeel.gradientBackground);

    auto image = selector.createComponentSnapshot (selector.getLocalBounds(), true, 1.0f);
    // Inside the selected tab, away from its text: the warm white fill.
    EXPECT_EQ (image.getPixelAt (5, 5).getRed(), Karvon::white.getRed());
    EXPECT_EQ (image.getPixelAt (5, 5).getGreen(), Karvon::white.getGreen());
    // The other tab is only faintly shaded.
    EXPECT_LT (image.getPixelAt (105, 5).getAlpha(), 80);
}
