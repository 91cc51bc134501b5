#pragma once
// Warnings of the device library, on the standard error stream in the library's own voice. They
// are for what a user can act on (a library that is missing, a device the user may not open);
// the caller tells each reason once.

#include <cstdio>
#include <string>

namespace tavrin {

inline void warn(const std::string& text)
{
    std::fprintf(stderr, "tavrin: warning: %s\n", text.c_str());
}

} // namespace tavrin
