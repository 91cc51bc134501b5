#include "fakevendorlibrary.h"

#include "platform/runtimelibrary.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <vector>

namespace {

void setLibraryDir(const QString& dir)
{
    qputenv(platform::kLibraryDirVariable, QFile::encodeName(dir));
}

void restoreLibraryDir(bool had, const QByteArray& previous)
{
    if (had)
        qputenv(platform::kLibraryDirVariable, previous);
    else
        qunsetenv(platform::kLibraryDirVariable);
}

} // namespace

QString FakeVendorLibrary::directory(Variant variant)
{
    const QString base = QString::fromUtf8(QV_VENDOR_LIB_DIR);
    switch (variant) {
    case Incomplete:
        return base + QStringLiteral("/incomplete");
    case Older:
        return base + QStringLiteral("/older");
    case Complete:
        break;
    }
    return base;
}

FakeVendorLibrary::FakeVendorLibrary(const QString& fileName, Variant variant)
{
    m_hadPreviousDir = qEnvironmentVariableIsSet(platform::kLibraryDirVariable);
    m_previousDir = qgetenv(platform::kLibraryDirVariable);
    m_path = QDir(directory(variant)).filePath(fileName);
    m_handle = dlopen(QFile::encodeName(m_path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        std::fprintf(stderr, "fake library %s: %s\n", qPrintable(m_path), dlerror());
        std::abort();
    }
    setLibraryDir(directory(variant));
    reset();
}

FakeVendorLibrary::~FakeVendorLibrary()
{
    restoreLibraryDir(m_hadPreviousDir, m_previousDir);
    if (m_handle)
        dlclose(m_handle);
}

void* FakeVendorLibrary::symbol(const char* name) const
{
    void* s = dlsym(m_handle, name);
    if (!s) {
        std::fprintf(stderr, "fake library %s has no %s\n", qPrintable(m_path), name);
        std::abort();
    }
    return s;
}

void FakeVendorLibrary::reset() const
{
    call<void (*)()>("fake_reset")();
}

QString FakeVendorLibrary::log() const
{
    auto copy = call<int (*)(char*, int)>("fake_log");
    const int length = copy(nullptr, 0);
    std::vector<char> text(size_t(length) + 1, '\0');
    copy(text.data(), length + 1);
    return QString::fromLatin1(text.data(), length);
}

NoVendorLibraries::NoVendorLibraries()
{
    m_hadPreviousDir = qEnvironmentVariableIsSet(platform::kLibraryDirVariable);
    m_previousDir = qgetenv(platform::kLibraryDirVariable);
    // A folder that exists and is empty: the fakes' own folder holds no sub-folder of this name.
    m_dir = QDir(QString::fromUtf8(QV_VENDOR_LIB_DIR)).filePath(QStringLiteral("none"));
    QDir().mkpath(m_dir);
    setLibraryDir(m_dir);
}

NoVendorLibraries::~NoVendorLibraries()
{
    restoreLibraryDir(m_hadPreviousDir, m_previousDir);
}

VendorLibraryCase::VendorLibraryCase(const QString& fileName, int which)
{
    if (which == 0)
        m_none = std::make_unique<NoVendorLibraries>();
    else
        m_fake = std::make_unique<FakeVendorLibrary>(
            fileName, which == 1   ? FakeVendorLibrary::Complete
                      : which == 2 ? FakeVendorLibrary::Incomplete
                                   : FakeVendorLibrary::Older);
}

VendorLibraryCase::~VendorLibraryCase() = default;
