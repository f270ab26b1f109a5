#include "UI/Section.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/UIContainer.h"

#include <algorithm>
#include <cmath>

Section::Section (std::vector<UIColumn> sectionColumns, std::string sectionName, juce::Colour sectionColour,
                  std::map<int, std::vector<int>> sectionSiblings)
    : colour (sectionColour), name (std::move (sectionName)), columns (std::move (sectionColumns)),
      siblings (std::move (sectionSiblings))
{
}

Section::~Section() = default;

std::vector<int> Section::getParams() const
{
    std::vector<int> ids;
    for (const auto& column : columns)
        for (const auto& slot : column.params)
            ids.push_back (slot.id);
    return ids;
}

std::vector<int> Section::getSiblings() const
{
    std::vector<int> ids;
    for (const auto& [slot, alternatives] : siblings)
        ids.insert (ids.end(), alternatives.begin(), alternatives.end());
    return ids;
}

bool Section::containsParam (int id) const
{
    const auto params = getParams();
    if (std::find (params.begin(), params.end(), id) != params.end())
        return true;
    const auto alternatives = getSiblings();
    return std::find (alternatives.begin(), alternatives.end(), id) != alternatives.end();
}

void Section::addControl (int id, UIContainer* container)
{
    if (container == nullptr)
        return;
    addAndMakeVisible (container);
    controls[id] = container;
}

UIContainer* Section::controlFor (int id) const
{
    const auto found = controls.find (id);
    // Every slot and sibling gets its control before the first layout; a
    // design that breaks this leaves the slot empty.
    jassert (found != controls.end());
    return found != controls.end() ? found->second : nullptr;
}

void Section::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    const juce::Rectangle<float> fill (bounds.getX() + 1.0f, bounds.getY() + 1.0f,
                                       std::max (0.0f, bounds.getWidth() - 2.0f),
                                       std::max (0.0f, bounds.getHeight() - 2.0f));
    g.setGradientFill (juce::ColourGradient (colour.withAlpha (0.21f), 0.0f, bounds.getY() + 1.0f,
                                             colour.withAlpha (0.01f), 0.0f, bounds.getHeight() - 2.0f, false));
    g.fillRect (fill);
}

void Section::resized()
{
    area = juce::Rectangle<int> (4, 2, std::max (0, getWidth() - 8), std::max (0, getHeight() - 4));
    setTitle();
    if (! columns.empty())
        setControls();
}

void Section::setTitle()
{
    for (auto& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char> (c - 'a' + 'A');

    titleLabel.setText (juce::String::fromUTF8 (name.c_str()), juce::dontSendNotification);
    titleLabel.setJustificationType (juce::Justification::centred);
    titleHeight = static_cast<int> (static_cast<float> (area.getHeight()) * 0.1f);
    titleLabel.setBounds (area.getX(), area.getY(), area.getWidth(), titleHeight);
    titleLabel.setFont (juce::Font (Karvon::getFontLight()).withHeight (static_cast<float> (titleHeight) * 0.9f));
    titleLabel.setColour (juce::Label::textColourId, colour);
    addAndMakeVisible (titleLabel);
}

void Section::setControls()
{
    float totalWidth = 0.0f;
    float largestTotal = 0.0f;
    for (const auto& column : columns)
    {
        totalWidth += column.width;
        float total = 0.0f;
        for (const auto& slot : column.params)
            total += slot.height + slot.spaceBefore;
        largestTotal = std::max (largestTotal, total);
    }
    const int maxRows = static_cast<int> (largestTotal);

    // Designs always give a section at least one row and a positive width; a
    // grid without them has no cells to place anything in.
    if (maxRows <= 0 || ! (totalWidth > 0.0f))
        return;

    float xUnits = 0.0f;
    for (const auto& column : columns)
    {
        if (! column.params.empty())
        {
            const float unit = std::trunc (static_cast<float> (area.getWidth()) / totalWidth);
            const float rowHeight = static_cast<float> ((area.getHeight() - titleHeight) / maxRows);
            float y = 0.0f;
            float previousHeight = 0.0f;

            for (const auto& slot : column.params)
            {
                y += previousHeight + slot.spaceBefore;
                previousHeight = slot.height;

                auto* container = controlFor (slot.id);
                if (container == nullptr)
                    continue;

                // Stub lines must reach the slot's edges, so a control with
                // either line gets no inset.
                const bool hasLines = container->lines.size() >= 2 && (container->lines[0] || container->lines[1]);
                const int inset = hasLines ? 0 : 1;

                const int width = std::max (0, static_cast<int> (column.width * slot.widthFraction * unit) - 2 * inset);
                const int height = std::max (0, static_cast<int> (slot.height * rowHeight) - 2 * inset);
                const int x = static_cast<int> (static_cast<float> (area.getX()) + xUnits * unit) + inset;
                const int top = static_cast<int> (static_cast<float> (titleHeight)
                                                  + (y * rowHeight + static_cast<float> (area.getY())))
                                + inset;
                const juce::Rectangle<int> bounds (x, top, width, height);

                container->setBounds (bounds);
                container->setMainColor (colour);

                const auto alternatives = siblings.find (slot.id);
                if (alternatives == siblings.end())
                    continue;
                for (const int siblingId : alternatives->second)
                {
                    if (auto* sibling = controlFor (siblingId))
                    {
                        sibling->setBounds (bounds);
                        sibling->setVisible (false);
                        sibling->setMainColor (colour);
                    }
                }
            }
        }
        xUnits += column.width;
    }
}
