#pragma once

#include <string>

// A parameter identifier as a display title: a space before every capital
// letter but the first, then everything in capitals ("PreDelay" -> "PRE DELAY").
// Works on bytes: only ASCII letters are touched.
std::string convertStringForDislay (std::string s);
