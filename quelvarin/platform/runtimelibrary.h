#pragma once
// Libraries of other instrument makers, bound while the program runs. A driver names the library
// by its file name; the first existing candidate of these places is loaded:
//   1. the directory named by the environment variable KW_LIBRARY_DIR (a test or an installer
//      points it at the libraries to use),
//   2. the program's own directory,
//   3. the system's normal library search path (the bare file name).
// A missing library or entry point fails only the connection of the instrument that needs it.

#include <QLibrary>
#include <QString>
#include <QStringList>

namespace platform {

// Environment variable naming the directory searched first.
inline constexpr char kLibraryDirVariable[] = "KW_LIBRARY_DIR";

// The paths tried for `fileName`, in order (the last one is the bare name).
QStringList libraryCandidates(const QString& fileName);

// Loads `fileName` into `library` from the first candidate that loads. True when loaded; on
// failure the library is left unloaded, with the bare name as its file name.
bool loadLibrary(QLibrary& library, const QString& fileName);

// Resolves `name` in a loaded library into the function pointer `entry` (null when missing).
template <typename Fn>
bool resolveEntry(QLibrary& library, const char* name, Fn& entry)
{
    entry = reinterpret_cast<Fn>(library.resolve(name));
    return entry != nullptr;
}

} // namespace platform
