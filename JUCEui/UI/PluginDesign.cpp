#include "UI/PluginDesign.h"

#include "UI/PluginHeader.h"

PluginDesign::PluginDesign() = default;

// Out of line, where PluginHeader is complete.
PluginDesign::~PluginDesign()
{
    header.reset();
}

void PluginDesign::build (std::string productIdentifier)
{
    uiStack = getUiStack();
    uiSettings = getUiSettings();

    auto smallLogo = getSmallLogo();
    auto transparentLogo = getTransparentLogo();
    auto makerLogo = getKarvonLogo();

    header = std::make_unique<PluginHeader> (smallLogo, transparentLogo, makerLogo, false, productIdentifier);
}
