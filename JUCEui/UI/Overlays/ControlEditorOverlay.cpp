#include "UI/Overlays/ControlEditorOverlay.h"

ControlEditorOverlay::ControlEditorOverlay()
{
    opacity = 0.95f;
    for (size_t i = 0; i < maxEntries; ++i)
    {
        auto panel = std::make_unique<ControlEditorParameter>();
        addChildComponent (*panel);
        panel->delegate = this;
        panels.push_back (std::move (panel));
    }
}

ControlEditorOverlay::~ControlEditorOverlay() = default;

void ControlEditorOverlay::setControls (std::vector<EditableParameter> entries)
{
    if (entries.size() > maxEntries)
        entries.resize (maxEntries);

    const int n = static_cast<int> (entries.size());
    if (n == 0)
    {
        panel = {};
        for (auto& p : panels)
            p->setVisible (false);
        return;
    }

    const int w = getWidth();
    const int h = getHeight();
    const int mx = static_cast<int> (w * (0.4 / n));
    const int my = static_cast<int> (0.35 * h);
    panel = { mx, my, juce::jmax (w - 2 * mx, 0), juce::jmax (h - 2 * my, 0) };

    for (int k = n - 1; k >= 0; --k)
    {
        auto& column = *panels[static_cast<size_t> (k)];
        column.setBounds (panel.getX() + (k * panel.getWidth()) / n, panel.getY(), panel.getWidth() / n, panel.getHeight());
        column.setControl (entries[static_cast<size_t> (k)]);
        column.setVisible (true);
    }

    for (size_t k = static_cast<size_t> (n); k < panels.size(); ++k)
        panels[k]->setVisible (false);
}

void ControlEditorOverlay::onConfirm()
{
    setVisible (false);
}

void ControlEditorOverlay::followValues()
{
    for (auto& p : panels)
        if (p->isVisible())
            p->followValue();
}

void ControlEditorOverlay::focusFirstValue()
{
    if (panels[0]->isVisible())
        panels[0]->focusValue();
}

void ControlEditorOverlay::mouseDown (const juce::MouseEvent& event)
{
    Overlay::mouseDown (event);
    if (! isVisible() && event.mods.isRightButtonDown() && onRightClickBeside)
        onRightClickBeside (event);
}
