#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "UI/UIColumn.h"

#include <map>
#include <string>
#include <vector>

class UIContainer;

// A titled part of a page that places control containers on a grid of rows and
// weighted columns. The grid is computed with a fixed sequence of integer and
// float steps so that every control lands on the same pixel in every build.
class Section : public juce::Component
{
public:
    Section (std::vector<UIColumn> columns, std::string name, juce::Colour colour,
             std::map<int, std::vector<int>> siblings);
    ~Section() override;

    // True when the parameter has a slot here or is a slot's hidden alternative.
    bool containsParam (int id) const;
    // Adds the container as a visible child and remembers it for slot `id`.
    void addControl (int id, UIContainer* container);
    std::vector<int> getParams() const;
    std::vector<int> getSiblings() const;
    int getColumnCount() const { return static_cast<int> (columns.size()); }

    void paint (juce::Graphics& g) override;
    void resized() override;

    juce::Colour colour;
    std::string name;
    std::vector<UIColumn> columns;
    juce::Label titleLabel;
    juce::Rectangle<int> area;
    int titleHeight = 0;
    std::map<int, UIContainer*> controls; // not owning
    std::map<int, std::vector<int>> siblings;

private:
    void setTitle();
    void setControls();
    UIContainer* controlFor (int id) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Section)
};
