#pragma once

#include <string>

// Points HOME (and with it the user's documents and preset folders) at a fresh
// temporary folder for the life of the object, so that no test can read or
// write the real user's files; the folder is removed afterwards.
namespace testsupport
{
class TemporaryHome
{
public:
    explicit TemporaryHome (const std::string& prefix);
    ~TemporaryHome();
    TemporaryHome (const TemporaryHome&) = delete;
    TemporaryHome& operator= (const TemporaryHome&) = delete;

    // False when the folder could not be made or HOME could not be set.
    bool isValid() const noexcept { return valid; }
    const std::string& path() const noexcept { return folder; }

private:
    std::string folder;
    bool valid = false;
};
} // namespace testsupport
