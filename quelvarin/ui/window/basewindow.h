#pragma once
// The frame every chart and table window of the result pages shares: a rounded panel with a
// 47-pixel title bar, drawn as items into the one result scene. A window is a plain QObject, not a
// widget; its view hands it a rectangle in scene coordinates through place(), and every place()
// draws a fresh frame, title bar and content. The window keeps no handle on those items: whoever
// owns the scene clears it before the windows are placed again.

#include "colour/color.h"

#include <QObject>
#include <QPixmap>
#include <QString>

class QGraphicsScene;
class Measure;

class BaseWindow : public QObject
{
    Q_OBJECT

public:
    // Height of the title band; every chart keeps its plot area below it.
    static constexpr int TitleBandHeight = 47;

    // Frame fill grey levels: the on-screen translucent look and the white of printed pictures.
    static constexpr int TranslucentFrameLevel = 32;
    static constexpr int OpaqueFrameLevel = 255;

    // Loads the three title-bar pieces and the icon; draws nothing. The window has no Qt parent.
    BaseWindow(const QString& title, const QString& iconPath, QGraphicsScene* scene,
               Measure* measure);
    ~BaseWindow() override;

    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    // Stores the rectangle, then draws the frame, the title bar and the content (draw()).
    void place(int x, int y, int w, int h);

    // The window's content inside its rectangle; nothing in the base.
    virtual void draw();

    // true: the translucent on-screen frame fill; false: opaque white frames for printed pictures.
    // Frames drawn afterwards take the new fill; frames already in the scene keep theirs.
    static void setTranslucent(bool translucent);
    static int frameLevel();

    QGraphicsScene* scene;
    Measure* measure;
    // White and black references of the measurement tables; the charts do not use them.
    CColor white;
    CColor black;
    QString title;
    QPixmap icon;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    QPixmap titleLeft;
    QPixmap titleMiddle;
    QPixmap titleRight;

protected:
    void drawFrame();
    void drawTitle();

private:
    static int s_frameLevel;
};
