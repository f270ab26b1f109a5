#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace lv2host
{
// "NAME=VALUE" from the command line: a parameter or port and a number.
struct Setting
{
    std::string name;
    float value = 0.0f;

    // Nothing when there is no '=' or VALUE is not a number.
    static std::optional<Setting> parse (const std::string& text)
    {
        const auto equals = text.find ('=');
        if (equals == std::string::npos)
            return std::nullopt;
        const std::string number = text.substr (equals + 1);
        char* end = nullptr;
        const float value = std::strtof (number.c_str(), &end);
        if (number.empty() || end != number.c_str() + number.size())
            return std::nullopt;
        return Setting { text.substr (0, equals), value };
    }
};
} // namespace lv2host
