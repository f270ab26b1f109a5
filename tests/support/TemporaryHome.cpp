#include "TemporaryHome.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace testsupport
{
TemporaryHome::TemporaryHome (const std::string& prefix) : folder ("/tmp/" + prefix + "-XXXXXX")
{
    valid = mkdtemp (folder.data()) != nullptr && setenv ("HOME", folder.c_str(), 1) == 0;
    // These would otherwise send the documents folder somewhere real.
    unsetenv ("XDG_CONFIG_HOME");
    unsetenv ("XDG_DOCUMENTS_DIR");
}

TemporaryHome::~TemporaryHome()
{
    if (valid)
    {
        std::error_code ignored;
        std::filesystem::remove_all (folder, ignored);
    }
}
} // namespace testsupport
