#include "ui/window/basewindow.h"

#include "appcore/application.h"

#include <QBrush>
#include <QFont>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPen>

namespace {

const char* const kTitleLeftPath = ":/title/resource/sub_top_1.png";
const char* const kTitleMiddlePath = ":/title/resource/sub_top_2.png";
const char* const kTitleRightPath = ":/title/resource/sub_top_3.png";

// Frame corners are quarter circles of this radius (drawn in boxes twice as large).
const int kCornerRadius = 5;
const QColor kFrameOutline(80, 80, 80);

// The title bar overhangs the frame by one pixel on the left and sits two pixels above it, so the
// pieces' own rounded edges cover the frame's corners.
const int kTitleOffsetX = -1;
const int kTitleOffsetY = -2;
// The middle piece is stretched three pixels wider than the gap between the side pieces; with the
// right piece moved two pixels out, the three meet without gap or overlap.
const int kMiddleExtraWidth = 3;
const int kRightPieceOffsetX = 2;

const QPoint kIconOffset(10, 6);
const QPoint kTitleTextOffset(50, 10);
const int kTitlePointSize = 11;
const int kTitleWeight = 50; // QFont::Normal
const QColor kTitleTextColour(200, 200, 200);

} // namespace

int BaseWindow::s_frameLevel = BaseWindow::TranslucentFrameLevel;

BaseWindow::BaseWindow(const QString& title, const QString& iconPath, QGraphicsScene* scene,
                       Measure* measure)
    : QObject(nullptr)
    , scene(scene)
    , measure(measure)
    , title(title)
{
    // A picture that cannot be loaded stays empty; the rest of the window is drawn as usual.
    titleLeft.load(QString::fromLatin1(kTitleLeftPath));
    titleMiddle.load(QString::fromLatin1(kTitleMiddlePath));
    titleRight.load(QString::fromLatin1(kTitleRightPath));
    icon.load(iconPath);
}

BaseWindow::~BaseWindow() = default;

void BaseWindow::place(int x, int y, int w, int h)
{
    this->x = x;
    this->y = y;
    width = w;
    height = h;
    drawFrame();
    drawTitle();
    draw();
}

void BaseWindow::draw() {}

void BaseWindow::setTranslucent(bool translucent)
{
    s_frameLevel = translucent ? TranslucentFrameLevel : OpaqueFrameLevel;
}

int BaseWindow::frameLevel()
{
    return s_frameLevel;
}

void BaseWindow::drawFrame()
{
    if (!scene)
        return;
    const int d = 2 * kCornerRadius;
    QPainterPath path;
    path.moveTo(x + width, y + kCornerRadius);
    path.arcTo(x + width - d, y, d, d, 0, 90);
    path.lineTo(x + kCornerRadius, y);
    path.arcTo(x, y, d, d, 90, 90);
    path.lineTo(x, y + height - kCornerRadius);
    path.arcTo(x, y + height - d, d, d, 180, 90);
    path.lineTo(x + width - kCornerRadius, y + height);
    path.arcTo(x + width - d, y + height - d, d, d, 270, 90);
    path.closeSubpath();

    const int level = s_frameLevel;
    scene->addPath(path, QPen(kFrameOutline, 1, Qt::SolidLine),
                   QBrush(QColor(level, level, level, 255), Qt::SolidPattern));
}

void BaseWindow::drawTitle()
{
    if (!scene)
        return;
    const int left = titleLeft.width();
    const int right = titleRight.width();
    const int barX = x + kTitleOffsetX;
    const int barY = y + kTitleOffsetY;

    scene->addPixmap(titleLeft)->setPos(barX, barY);

    // A window too narrow for the side pieces gets no middle piece: scaling to a width of zero or
    // less yields an empty picture.
    const int middleWidth = width - left - right + kMiddleExtraWidth;
    const QPixmap middle = titleMiddle.scaled(middleWidth, titleMiddle.height(),
                                              Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scene->addPixmap(middle)->setPos(x + left + kTitleOffsetX, barY);

    scene->addPixmap(titleRight)->setPos(x + width - right + kRightPieceOffsetX, barY);

    scene->addPixmap(icon)->setPos(x + kIconOffset.x(), y + kIconOffset.y());

    // The application font when the program runs; the toolkit's default font otherwise.
    const Application* app = Application::instance();
    QFont font = app ? app->appFont() : QGuiApplication::font();
    font.setPointSize(kTitlePointSize);
    font.setWeight(kTitleWeight);
    QGraphicsTextItem* text = scene->addText(title, font);
    text->setDefaultTextColor(kTitleTextColour);
    text->setPos(x + kTitleTextOffset.x(), y + kTitleTextOffset.y());
}
