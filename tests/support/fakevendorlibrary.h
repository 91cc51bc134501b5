#pragma once
// Reaches one of the fake vendor libraries (tests/support/vendorlibs) for a test: while it lives,
// KW_LIBRARY_DIR points at the fakes' directory, so a driver loads the fake under the vendor's
// file name, and the test scripts it and reads its call log through its control exports (fake_*).
// The test keeps its own handle open, so the fake's state outlives a driver that unloads it.
//
//   FakeVendorLibrary fake("Spyder3.dll");
//   fake.call<void (*)(int, int, int, int)>("fake_push_xyz")(1500, 2000, 2500, 1);
//   ... driver->init(), GetColor() ...
//   QCOMPARE(fake.log(), QString("Startup;SetLED(1,255);..."));

#include <QByteArray>
#include <QString>

#include <memory>

class FakeVendorLibrary
{
public:
    enum Variant {
        Complete,   // every entry point
        Incomplete, // one entry point the driver needs is missing
        Older,      // one entry point the driver can do without is missing (the bridge's only)
    };

    // Opens the fake `fileName` of `variant`, resets it and points KW_LIBRARY_DIR at its folder.
    explicit FakeVendorLibrary(const QString& fileName, Variant variant = Complete);
    ~FakeVendorLibrary(); // restores KW_LIBRARY_DIR and closes the handle

    bool isOpen() const { return m_handle != nullptr; }
    QString path() const { return m_path; }

    // A control export (or any export) of the fake; fails the test process when missing.
    void* symbol(const char* name) const;
    template <typename Fn>
    Fn call(const char* name) const
    {
        return reinterpret_cast<Fn>(symbol(name));
    }

    void reset() const;
    // The calls received since the last reset, separated by ';'.
    QString log() const;

    // The folder of the fakes of `variant`.
    static QString directory(Variant variant);

private:
    void* m_handle = nullptr;
    QString m_path;
    QByteArray m_previousDir;
    bool m_hadPreviousDir = false;
};

// Points KW_LIBRARY_DIR at an empty folder while it lives, so no vendor library is found there
// (nor, in the test tree, in the program's folder or on the system path).
class NoVendorLibraries
{
public:
    NoVendorLibraries();
    ~NoVendorLibraries();

private:
    QByteArray m_previousDir;
    bool m_hadPreviousDir = false;
    QString m_dir;
};

// The vendor library a test case starts from, chosen by a number in the test's table: 0 none is
// found, 1 the complete fake of `fileName`, 2 its incomplete build, 3 its older build. Lives as
// long as the case.
class VendorLibraryCase
{
public:
    VendorLibraryCase(const QString& fileName, int which);
    ~VendorLibraryCase();

    // The fake, or null when the case has none.
    FakeVendorLibrary* fake() const { return m_fake.get(); }

private:
    std::unique_ptr<NoVendorLibraries> m_none;
    std::unique_ptr<FakeVendorLibrary> m_fake;
};
