#pragma once
// Measurement data file (".data"): every result list of the six result pages in one file, so
// that pages and reports of an earlier measurement can be rebuilt without the instrument.
//
// A QDataStream of version 13 (Qt_5_0), big-endian, doubles written as 8-byte IEEE 754 values.
//
//   offset  bytes   field
//   ------  ------  -----------------------------------------------------------------------
//   0       4       magic    qint32 0x12345678                      12 34 56 78
//   4       4       version  qint32 0xFF000001 (negative as signed)  FF 00 00 01
//   8       ...     seven sections back to back, nothing between them and nothing after:
//                     1 "GRAYCNT"       gray list (white first, then the gray steps)
//                     2 "GAMUTCNT"      gamut list (W, R, G, B, Y, C, M)
//                     3 "COLORCHKCNT"   colour-checker list
//                     4 "COLOREBUCNT"   EBU 3237 list
//                     5 "COLORLUMACNT"  colour-scale list
//                     6 "SATCOLORCNT"   saturation list
//                     7 "FREECOLORCNT"  free-measurement list (no spectra)
//
// One section:
//
//   +0      4       key length L in bytes (quint32) = 2 x the key's characters
//   +4      L       key as UTF-16 code units, big-endian (a QString as QDataStream writes it)
//   +4+L    4       count n (qint32), the list's size when it was written
//   +8+L    n x 48  records: X, Y, Z, levelR, levelG, levelB (double each)
//                   the free section: n x 24, X, Y, Z only (its levels are not stored)
//
// So an empty export is 8 + 22 + 24 + 30 + 30 + 32 + 30 + 32 = 208 bytes; the empty gray
// section is 00 00 00 0E, "GRAYCNT" in UTF-16BE, 00 00 00 00.
//
// Reading validates before it commits: a section is read into a temporary list, with the key
// length, the key and the stream status checked, the count bounded by the bytes that are left
// and every value required to be a finite number (NaN and infinities are refused), and only a
// whole valid section (or file) replaces what the caller holds.

#include "colour/color.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QDataStream;

class MeasureDataFile
{
public:
    static const qint32 magic = 0x12345678;
    static const qint32 version = qint32(0xFF000001u);
    // QDataStream::Qt_5_0; every reader of the format relies on this exact encoding.
    static const int streamVersion = 13;

    // The sections in file order.
    enum Section {
        GraySection,
        GamutSection,
        ColorChkSection,
        EbuSection,
        ColorLumaSection,
        SatSection,
        FreeSection,
        SectionCount
    };

    static QString sectionKey(Section section);
    // Whether the section's records carry the three stimulus levels (all but the free section).
    static bool storesLevels(Section section);
    // Bytes of one record of the section: 48, or 24 in the free section.
    static int recordSize(Section section);

    // The seven result lists in file order.
    struct Contents
    {
        QList<CColor> lists[SectionCount];
        QList<CColor>& operator[](Section s) { return lists[s]; }
        const QList<CColor>& operator[](Section s) const { return lists[s]; }
    };

    enum class Status {
        Ok,
        VersionError, // wrong magic or version, or too short to hold them
        DataError,    // a section is damaged or the file ends inside one
    };

    // Version 13, big-endian, 8-byte doubles.
    static void setUpStream(QDataStream& stream);

    // Writers. They never fail by themselves: the caller checks the stream's status once the
    // whole file has been written.
    static void writeHeader(QDataStream& out);
    static void writeSection(QDataStream& out, Section section, const QList<CColor>& list);
    static QByteArray encode(const Contents& contents);

    // Readers. On success they fill *out; on failure *out is untouched and *error (when given)
    // says what was wrong and at which byte offset.
    static Status readHeader(QDataStream& in, QString* error = nullptr);
    static bool readSection(QDataStream& in, Section section, QList<CColor>* out,
                            QString* error = nullptr);
    static Status decode(const QByteArray& bytes, Contents* out, QString* error = nullptr);

    // Upper bound on a section key's byte length accepted by the reader: the longest key is
    // 24 bytes, and a damaged length must not make the reader swallow the rest of the file.
    static const quint32 maxKeyBytes = 64;
};
