#pragma once

#include "Basics/Editor.h"
#include "UI/Controls/ContainerBuilder.h"
#include "LookAndFeel/Palette.h"
#include "UI/Page.h"
#include "UI/PluginDesign.h"
#include "UI/PluginHeader.h"
#include "UI/Section.h"
#include "UI/Controls/UIContainer.h"
#include "VantrelProcessor.h"

#include <memory>
#include <vector>

// A design for the generic editor on the effect's 25 parameters: `pageCount`
// pages, page i holding one section that lists parameters 3i .. 3i+2 (slider
// kind unless the settings say otherwise).
namespace editortest
{
class TestDesign : public PluginDesign
{
public:
    explicit TestDesign (int pageCount)
    {
        for (int p = 0; p < pageCount; ++p)
        {
            const int first = 3 * p;
            sections.push_back (std::make_unique<Section> (
                std::vector<UIColumn> { { { { first, 1, 0, 1 }, { first + 1, 1, 0, 1 }, { first + 2, 1, 0, 1 } }, 1 } },
                juce::String ("section " + juce::String (p)).toStdString(), Karvon::green, std::map<int, std::vector<int>> {}));
            pages.push_back (std::make_unique<Page> (std::vector<UISection> { { sections.back().get(), 1 } },
                                                     juce::String ("PAGE" + juce::String (p)).toStdString()));
        }
        for (int index = 0; index < 25; ++index)
            settings[index] = ParameterUISettings (juce::String ("p" + juce::String (index)).toStdString(), 0, {}, {}, { false, false }, {});
    }
    ~TestDesign() override
    {
        pages.clear();
        sections.clear();
    }

    std::vector<Page*> getUiStack() override
    {
        ++stackRequests;
        std::vector<Page*> stack;
        for (auto& page : pages)
            stack.push_back (page.get());
        return stack;
    }
    std::map<int, ParameterUISettings> getUiSettings() override { return settings; }
    juce::Image getSmallLogo() override { return juce::Image (juce::Image::RGB, 28, 28, true); }
    juce::Image getTransparentLogo() override { return juce::Image (juce::Image::ARGB, 72, 72, true); }
    juce::Image getKarvonLogo() override { return juce::Image (juce::Image::RGB, 28, 28, true); }

    std::vector<std::unique_ptr<Section>> sections;
    std::vector<std::unique_ptr<Page>> pages;
    std::map<int, ParameterUISettings> settings;
    int stackRequests = 0;
};

inline std::unique_ptr<Editor> makeEditor (EffectProcessor& processor, std::unique_ptr<TestDesign> design,
                                           int width = 600, int height = 330)
{
    auto editor = std::make_unique<Editor> (processor, std::move (design), std::make_unique<ContainerBuilder>());
    editor->setSize (width, height);
    return editor;
}

inline juce::RangedAudioParameter& host (EffectProcessor& processor, const char* id)
{
    return *processor.parameterTree.getParameter (id);
}

// Sets a host parameter in its own units, as a host or a control does.
inline void setHostValue (EffectProcessor& processor, const char* id, float value)
{
    auto& p = host (processor, id);
    p.setValueNotifyingHost (p.convertTo0to1 (value));
}

inline float hostValue (EffectProcessor& processor, const char* id)
{
    auto& p = host (processor, id);
    return p.convertFrom0to1 (p.getValue());
}
} // namespace editortest
