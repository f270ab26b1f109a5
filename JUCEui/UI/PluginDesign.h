#pragma once

#include <juce_graphics/juce_graphics.h>

#include "UI/ParameterUISettings.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class Page;
class PluginHeader;

// A product's editor, described: its pages of sections, the UI settings of
// each parameter and the images the header shows. The generic Editor builds
// the window from it. A subclass owns its pages and sections.
class PluginDesign
{
public:
    PluginDesign();
    virtual ~PluginDesign();
    PluginDesign (const PluginDesign&) = delete;
    PluginDesign& operator= (const PluginDesign&) = delete;

    virtual std::vector<Page*> getUiStack() = 0;
    virtual std::map<int, ParameterUISettings> getUiSettings() = 0;
    virtual juce::Image getSmallLogo() = 0;
    virtual juce::Image getTransparentLogo() = 0;
    virtual juce::Image getKarvonLogo() = 0;

    // Takes the pages and settings, and creates the header (replacing one made
    // by an earlier build).
    void build (std::string productIdentifier);

    std::vector<Page*> uiStack;
    std::map<int, ParameterUISettings> uiSettings;
    std::unique_ptr<PluginHeader> header;
};
