#pragma once
// The identity exports both spectrometer libraries have (name length, name, version and build
// number): what a test expects of them, and the check that they answer it and refuse null outputs.

#include <tavrin/errorcode.h>

#include <QtTest>

#include <cstdint>
#include <vector>

namespace tavrinemu {

struct LibraryIdentity {
    ERRORCODE (*getNameLength)(uint32_t* length);
    ERRORCODE (*getName)(char* name);
    ERRORCODE (*getVersion)(uint16_t* version);
    ERRORCODE (*getBuildNumber)(uint32_t* build);
    uint32_t nameLength;
    QByteArray nameStart;  // the first bytes of the name buffer, terminator and padding included
    int version;
    uint32_t buildNumber;
};

// A failed comparison returns from this check only; it is meant as the whole of a test function.
inline void checkLibraryIdentity(const LibraryIdentity& id)
{
    uint32_t length = 0;
    QCOMPARE(id.getNameLength(&length), ERRORCODE(0));
    QCOMPARE(length, id.nameLength);
    // Exactly the length the library states, so that a longer write is caught by the sanitizer.
    std::vector<char> name(id.nameLength, 'x');
    QCOMPARE(id.getName(name.data()), ERRORCODE(0));
    QCOMPARE(QByteArray(name.data(), id.nameStart.size()), id.nameStart);
    uint16_t version = 0;
    QCOMPARE(id.getVersion(&version), ERRORCODE(0));
    QCOMPARE(int(version), id.version);
    uint32_t build = 0;
    QCOMPARE(id.getBuildNumber(&build), ERRORCODE(0));
    QCOMPARE(build, id.buildNumber);
    QCOMPARE(id.getNameLength(nullptr), ERRORCODE(1));
    QCOMPARE(id.getName(nullptr), ERRORCODE(1));
    QCOMPARE(id.getVersion(nullptr), ERRORCODE(1));
    QCOMPARE(id.getBuildNumber(nullptr), ERRORCODE(1));
}

} // namespace tavrinemu
