#include "Basics/Editor.h"

#include "UI/Controls/ContainerBuilder.h"
#include "LookAndFeel/Palette.h"
#include "UI/Overlays/ControlEditorOverlay.h"
#include "UI/Page.h"
#include "UI/PageSelector.h"
#include "UI/PluginHeader.h"
#include "UI/Section.h"
#include "UI/Controls/UIContainer.h"

namespace
{
constexpr int headerHeight = 30;
constexpr int selectorHeight = 30;
// The control editor has two panels: one per parameter of a control.
constexpr std::size_t maxEditableParameters = 2;

// The header's overlays are held by raw or smart pointer; either way the
// editor only needs the component.
template <typename Pointer>
juce::Component* componentOf (Pointer& pointer)
{
    return pointer != nullptr ? &*pointer : nullptr;
}

juce::String sectionTitleOf (const juce::Component& container)
{
    auto* section = dynamic_cast<Section*> (container.getParentComponent());
    return section != nullptr ? juce::String::fromUTF8 (section->name.c_str()) : juce::String();
}

// The words of `title` that none of `others` has.
juce::String distinguishingWords (const juce::String& title, const juce::StringArray& others)
{
    juce::StringArray words;
    for (const auto& word : juce::StringArray::fromTokens (title, false))
    {
        bool shared = false;
        for (const auto& other : others)
            shared = shared || juce::StringArray::fromTokens (other, false).contains (word);
        if (! shared)
            words.add (word);
    }
    return words.joinIntoString (" ");
}
} // namespace

Editor::Editor (EffectProcessor& effectProcessor, std::unique_ptr<PluginDesign> pluginDesign,
                std::unique_ptr<ContainerBuilder> builder)
    : juce::AudioProcessorEditor (effectProcessor), processor (effectProcessor), design (std::move (pluginDesign))
{
    controlEditorOverlay = std::make_unique<ControlEditorOverlay>();
    // A right click beside the open control editor, on a control seen there,
    // is that control's: the editor opens again for it.
    controlEditorOverlay->onRightClickBeside = [this] (const juce::MouseEvent& e) {
        for (auto* c = getComponentAt (e.getEventRelativeTo (this).getPosition()); c != nullptr && c != this;
             c = c->getParentComponent())
        {
            if (auto* container = dynamic_cast<UIContainer*> (c))
            {
                container->mouseDown (e.getEventRelativeTo (container));
                return;
            }
        }
    };
    pageSelector = std::make_unique<PageSelector> (this);

    design->build (processor.productIdentifier);
    buildContainers (*builder);

    auto& header = getHeader();
    header.processor = &processor;
    header.setDelegate (this);

    builder.reset();
    startTimerHz (12);
    addKeyListener (&overlayCoordinator);
    // The editor holds the keyboard whenever no field, list or dialog does
    // (a closed overlay hands it back here): keys then act on nothing, rather
    // than on a control of the window around it, which cannot show focus.
    setWantsKeyboardFocus (true);

    // The browser opens on the list and row of the current preset.
    if (processor.stateRestoredPending)
        showRestoredPreset();
    else
        showCurrentPreset();
}

void Editor::buildContainers (ContainerBuilder& builder)
{
    auto& parameters = *processor.getKernel().parameters;
    for (const auto& entry : parameters)
    {
        auto& parameter = *entry;

        // An index the design does not describe gets (and keeps) default settings.
        const auto settings = design->uiSettings[parameter.index];

        std::vector<Parameter*> linked;
        for (const int index : settings.linkedParameters)
        {
            if (index < 0)
                throw std::out_of_range ("linked parameter index " + std::to_string (index));
            linked.push_back (&parameters.at (static_cast<unsigned long> (index)));
        }

        auto container = builder.build (&parameter, settings.name, settings.uiType, linked, settings.labels,
                                        settings.colours);
        if (container == nullptr)
            continue;

        container->attach (processor.parameterTree);
        container->delegate = this;
        container->lines = settings.lines;

        // The first section of each page that lists the parameter shows it.
        for (auto* page : design->uiStack)
        {
            if (page == nullptr)
                continue;
            for (const auto& placed : page->sections)
            {
                if (placed.section != nullptr && placed.section->containsParam (parameter.index))
                {
                    placed.section->addControl (parameter.index, container.get());
                    break;
                }
            }
        }
        containers[parameter.index] = std::move (container);
    }
}

Editor::~Editor()
{
    removeKeyListener (&overlayCoordinator);
    removeParameterListeners();
    stopTimer();
    containers.clear();
    design.reset();
    pageSelector.reset();
    controlEditorOverlay.reset();
}

void Editor::startListening()
{
    // Called once the object is complete (a derived editor's part included),
    // so that a notification from another thread never meets an editor still
    // under construction. Nothing is shown before the first layout.
    if (listening)
        return;
    listening = true;
    for (const auto& entry : *processor.getKernel().parameters)
    {
        const auto id = juce::String::fromUTF8 (entry->id.c_str());
        if (processor.parameterTree.getParameter (id) == nullptr)
            continue; // an output-only parameter has no host parameter
        processor.parameterTree.addParameterListener (id, this);
        listenedIDs.push_back (id);
    }
}

void Editor::removeParameterListeners()
{
    for (const auto& id : listenedIDs)
        processor.parameterTree.removeParameterListener (id, this);
    listenedIDs.clear();
}

PluginHeader& Editor::getHeader() const noexcept
{
    return *design->header;
}

void Editor::paint (juce::Graphics& g)
{
    g.fillAll (Karvon::background);
}

void Editor::resized()
{
    startListening();

    const int w = getWidth();
    const int h = getHeight();
    auto& header = getHeader();

    if (! childrenAdded)
        addAndMakeVisible (header);
    header.setBounds (0, 0, w, headerHeight);

    const bool severalPages = design->uiStack.size() > 1;
    const int selector = severalPages ? selectorHeight : 0;
    std::vector<std::string> names;
    for (auto* page : design->uiStack)
    {
        if (page == nullptr)
            continue;
        if (! childrenAdded)
            addAndMakeVisible (page);
        page->setBounds (0, headerHeight + selector, w, std::max (0, h - headerHeight - selector));
        names.push_back (page->name);
    }

    // The page remembered by the processor may belong to a design with more pages.
    const int pageCount = static_cast<int> (design->uiStack.size());
    if (processor.lastPage < 0 || processor.lastPage >= pageCount)
        processor.lastPage = 0;

    if (severalPages)
    {
        if (! childrenAdded)
        {
            pageSelector->init (names, processor.lastPage);
            addAndMakeVisible (*pageSelector);
        }
        pageSelector->setBounds (0, headerHeight, w, selectorHeight);
    }

    onPageSelected (processor.lastPage);

    // The overlays cover everything below the header and open only on request:
    // a new layout closes them. The last added is in front.
    const juce::Rectangle<int> overlayArea (0, headerHeight, w, std::max (0, h - headerHeight));
    for (auto* overlay : { static_cast<juce::Component*> (controlEditorOverlay.get()),
                           componentOf (header.presetBrowser), componentOf (header.aboutOverlay) })
    {
        if (overlay == nullptr)
            continue;
        if (! childrenAdded)
        {
            addChildComponent (overlay);
            overlayCoordinator.manage (*overlay);
        }
        overlay->setBounds (overlayArea);
        overlay->setVisible (false);
    }
    if (! childrenAdded && header.presetBrowser != nullptr)
    {
        overlayCoordinator.manageDialog (header.presetBrowser->confirmDialog);
        overlayCoordinator.manageDialog (header.presetBrowser->saveAsDialog);
    }

    childrenAdded = true;
    showList (viewedList);
}

void Editor::onPageSelected (int page)
{
    for (std::size_t i = 0; i < design->uiStack.size(); ++i)
        if (auto* shown = design->uiStack[i])
            shown->setVisible (static_cast<int> (i) == page);
    processor.lastPage = page;
}

void Editor::showRestoredPreset()
{
    processor.stateRestoredPending = false;
    controlEditorOverlay->setVisible (false);
    if (processor.restoredPresetFound || processor.restoredPresetName.isEmpty())
    {
        showCurrentPreset();
        return;
    }
    // A preset the project names but this machine does not have: its name is
    // shown (unmarked: there is nothing to compare with), nothing is selected.
    showList (processor.currentPresetList);
    auto& header = getHeader();
    header.showNoPreset();
    header.setPresetName (processor.restoredPresetName);
}

void Editor::showList (int list)
{
    if (list < 0 || list >= static_cast<int> (processor.presetLists.size()))
        return;
    viewedList = list;
    auto& header = getHeader();
    header.selectType (list);
    header.setPresets (processor.getPresetList (list));
    if (auto* current = processor.currentPreset; current != nullptr && list == processor.currentPresetList)
        header.presetBrowser->setSelectedPreset (processor.currentPresetIndex, current);
    else
        header.presetBrowser->clearSelectedPreset (current);
}

void Editor::showCurrentPreset()
{
    // Another preset (or the same one restored): what the control editor
    // showed, or what was typed into it, was meant for the values before.
    controlEditorOverlay->setVisible (false);
    auto& header = getHeader();
    auto* current = processor.currentPreset;
    if (current == nullptr)
    {
        showList (viewedList);
        header.showNoPreset();
        return;
    }
    showList (processor.currentPresetList);
    header.selectPreset (processor.currentPresetIndex);
    // Last: selecting clears the mark, but values restored with a project
    // (or edited while the window was closed) may differ from the preset.
    header.onCurrentStateGetsDifferentFromCurrentPreset (processor.differsFromPreset (*current));
}

void Editor::timerCallback()
{
    if (processor.stateRestoredPending)
        showRestoredPreset();
    getHeader().updateUI();
    if (controlEditorOverlay->isVisible())
        controlEditorOverlay->followValues();
}

void Editor::parameterChanged (const juce::String&, float)
{
    getHeader().onCurrentStateGetsDifferentFromCurrentPreset (true);
}

void Editor::onRightClickOnControl (std::vector<ControlParameter> controls)
{
    std::vector<EditableParameter> entries;
    for (const auto& control : controls)
    {
        if (control.parameter == nullptr || entries.size() == maxEditableParameters)
            continue;
        auto* host = processor.parameterTree.getParameter (juce::String::fromUTF8 (control.parameter->id.c_str()));
        if (host != nullptr)
            entries.push_back (EditableParameter { host, controlEditorTitle (control), control.parameter });
    }
    if (entries.empty())
        return;

    controlEditorOverlay->setControls (entries);
    controlEditorOverlay->setVisible (true);
    controlEditorOverlay->toFront (true);
    // Typing goes to the value, whatever had the keyboard before (an arrow
    // of the header would take Return for the next preset).
    controlEditorOverlay->focusFirstValue();
}

juce::String Editor::controlEditorTitle (const ControlParameter& control) const
{
    const auto own = containers.find (control.parameter->index);
    if (own == containers.end())
        return control.displayName;
    juce::StringArray others;
    for (const auto& [index, container] : containers)
        if (index != own->first && juce::String::fromUTF8 (container->name.c_str()) == control.displayName)
            others.add (sectionTitleOf (*container));
    if (others.isEmpty())
        return control.displayName;
    const auto words = distinguishingWords (sectionTitleOf (*own->second), others);
    return words.isEmpty() ? control.displayName : control.displayName + " " + words;
}
