#pragma once
// The pictures of the program are drawn here, at build time, rather than kept as binary files.
// Each picture is one drawing function registered under its resource path:
//
//   static void drawMyIcon(QPainter& p, const QSize& size) { ... }
//   QV_PICTURE("icons/resource/my.png", 64, 64, drawMyIcon);
//
// Put a group of related pictures in its own source file in this folder; the generator writes
// every registered picture as a PNG and lists it in the resource file, so ":/icons/resource/my.png"
// is available to the program.

#include <QPainter>
#include <QSize>
#include <QString>

#include <vector>

namespace pictures {

using DrawFunction = void (*)(QPainter& painter, const QSize& size);

struct Picture
{
    QString resourcePath; // path below ":/", e.g. "icons/resource/logo.png"
    QSize size;           // pixels
    DrawFunction draw;    // paints on a transparent image of `size`, antialiasing on
};

std::vector<Picture>& registry();

// A file of the program's reference data (the folder the build hands the generator, e.g.
// "cmf_cie1931_2deg_1nm.csv"); empty when the generator was given no data folder.
QString dataFile(const QString& name);

// The program's logo (a gamut triangle around its white point on a dark plate), filling `size`;
// the message boxes and the main window's title bar show it.
void drawLogo(QPainter& painter, const QSize& size);

struct Registrar
{
    Registrar(const char* path, int width, int height, DrawFunction draw)
    {
        registry().push_back({QString::fromUtf8(path), QSize(width, height), draw});
    }
};

// Shared palette of the dark style, so the pictures match the program's widgets.
namespace palette {
inline const QColor background(0x15, 0x15, 0x15); // message boxes, dialogs
inline const QColor panel(0x20, 0x20, 0x20);
inline const QColor frame(0x50, 0x50, 0x50);
inline const QColor foreground(0xff, 0xff, 0xff);
} // namespace palette

} // namespace pictures

#define QV_PICTURE_CONCAT2(a, b) a##b
#define QV_PICTURE_CONCAT(a, b) QV_PICTURE_CONCAT2(a, b)
#define QV_PICTURE(path, width, height, fn)                                                        \
    static const ::pictures::Registrar QV_PICTURE_CONCAT(qvPictureRegistrar_, __LINE__)(          \
        path, width, height, fn)
