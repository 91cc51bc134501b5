#include "runtimelibrary.h"

#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#include <vector>

namespace tavrin {

namespace {

std::string programDirectory()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return std::string();
    const std::string exe(path, size_t(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

std::vector<std::string> candidates(const char* fileName)
{
    std::vector<std::string> paths;
    if (const char* dir = std::getenv(kLibraryDirVariable); dir && *dir)
        paths.push_back(std::string(dir) + "/" + fileName);
    const std::string own = programDirectory();
    if (!own.empty())
        paths.push_back(own + "/" + fileName);
    paths.emplace_back(fileName);
    return paths;
}

} // namespace

void* openRuntimeLibrary(const char* fileName, std::string* why)
{
    std::string reasons;
    const std::vector<std::string> paths = candidates(fileName);
    for (const std::string& path : paths) {
        const bool bare = path == fileName;
        // A folder that does not hold the file is passed over quietly; only the bare name goes
        // to the system's search.
        if (!bare && access(path.c_str(), F_OK) != 0)
            continue;
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            return handle;
        const char* error = dlerror();
        if (!reasons.empty())
            reasons += "; ";
        reasons += error ? error : path;
    }
    if (why)
        *why = reasons;
    return nullptr;
}

void* runtimeSymbol(void* library, const char* name)
{
    return library ? dlsym(library, name) : nullptr;
}

void closeRuntimeLibrary(void* library)
{
    if (library)
        dlclose(library);
}

} // namespace tavrin
