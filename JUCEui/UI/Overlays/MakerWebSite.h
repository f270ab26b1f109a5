#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>

// Where the maker lives on the web: the site that the header's logo, the
// new-version notice and the about panel open, and the service that answers
// the version query.
namespace MakerWebSite
{
inline const char* const address = "https://karvon.example/";
inline const char* const addressText = "www.karvon.example";

// The version service. KARVON_SERVICE_BASE_URL replaces the maker's host, so
// a test or a staging setup can answer the query itself.
inline juce::URL serviceBase()
{
    if (const char* overridden = std::getenv ("KARVON_SERVICE_BASE_URL"); overridden != nullptr && *overridden != '\0')
        return juce::URL (juce::String::fromUTF8 (overridden));
    return juce::URL ("http://karvon.example/");
}
} // namespace MakerWebSite
