#pragma once
// Libraries of other makers bound while the program runs, found the way the program finds its
// instrument libraries: the first of
//   1. the directory named by the environment variable KW_LIBRARY_DIR,
//   2. the directory of the running program,
//   3. the system's library search path (the bare file name)
// that loads. The device library has no Qt, so this is its own small copy over dlopen.

#include <string>

namespace tavrin {

// Environment variable naming the directory searched first.
inline constexpr char kLibraryDirVariable[] = "KW_LIBRARY_DIR";

// Loads `fileName`; the dlopen handle, or null with `why` telling each place tried and its error.
void* openRuntimeLibrary(const char* fileName, std::string* why);

// The address of `name` in a loaded library, or null.
void* runtimeSymbol(void* library, const char* name);

// Resolves `name` into the function pointer `entry`; false when the library lacks it.
template<typename Fn>
bool resolveRuntimeEntry(void* library, const char* name, Fn& entry)
{
    entry = reinterpret_cast<Fn>(runtimeSymbol(library, name));
    return entry != nullptr;
}

void closeRuntimeLibrary(void* library);

} // namespace tavrin
