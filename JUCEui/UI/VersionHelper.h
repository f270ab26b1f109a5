#pragma once

#include <string>

// Dotted versions "major.minor.patch" as the version service writes them.
namespace VersionHelper
{
// Reads up to three integers separated by any single character into
// `components[0..2]`. Every component not read (the text ends, or does not
// continue with a number) is 0; nothing after the third integer is looked at.
// False, with all three 0, when a component is too large for an int: such a
// text is no version.
bool parse (int* components, const std::string& text);

// True when version `a` is older than version `b`; false when either is no
// version.
bool lessThanVersion (const std::string& a, const std::string& b);
} // namespace VersionHelper
