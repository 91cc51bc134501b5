// Build-time tool: draws every registered picture into <output dir> and writes <output dir>/<qrc>
// listing them, ready for rcc. Usage: qv_picturegen <output dir> <qrc file name> [<data dir>]
// The data folder holds the reference tables some pictures are computed from.
#include "picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace pictures {
std::vector<Picture>& registry()
{
    static std::vector<Picture> all;
    return all;
}

namespace {
QString g_dataDir;
}

QString dataFile(const QString& name)
{
    return g_dataDir.isEmpty() ? QString() : QDir(g_dataDir).filePath(name);
}
} // namespace pictures

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // fonts for pictures that hold text
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: qv_picturegen <output dir> <qrc file name> [<data dir>]\n");
        return 2;
    }
    if (argc == 4)
        pictures::g_dataDir = QString::fromLocal8Bit(argv[3]);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    auto& all = pictures::registry();
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a.resourcePath < b.resourcePath;
    });
    // Two drawings registered under one path would leave it to the registration order which one
    // the program shows; refuse to build instead.
    const auto twin = std::adjacent_find(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a.resourcePath == b.resourcePath;
    });
    if (twin != all.end()) {
        std::fprintf(stderr, "qv_picturegen: \"%s\" is registered twice\n", qPrintable(twin->resourcePath));
        return 1;
    }

    QString qrc;
    QTextStream qrcText(&qrc);
    qrcText << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (const pictures::Picture& picture : all) {
        QImage image(picture.size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            picture.draw(painter, picture.size);
        }
        const QString file = out.filePath(picture.resourcePath);
        QDir().mkpath(QFileInfo(file).absolutePath());
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "qv_picturegen: cannot write %s\n", qPrintable(file));
            return 1;
        }
        qrcText << "  <file alias=\"" << picture.resourcePath << "\">" << picture.resourcePath
                << "</file>\n";
    }
    qrcText << "</qresource>\n</RCC>\n";
    qrcText.flush();

    QSaveFile qrcFile(out.filePath(QString::fromLocal8Bit(argv[2])));
    if (!qrcFile.open(QIODevice::WriteOnly) || qrcFile.write(qrc.toUtf8()) < 0 || !qrcFile.commit()) {
        std::fprintf(stderr, "qv_picturegen: cannot write the resource list\n");
        return 1;
    }
    return 0;
}
