#pragma once
// The one graphics scene of the result pages: six pages side by side, one per measurement mode,
// each one page wide. The scene creates the six views, feeds them the engine's results, lays them
// out whenever the page size or the reference changes, and clears the page of a mode when a run of
// that mode starts.
//
//   page:   gray     gamut    saturation  colour scale  colour checker  free
//   mode:   0        1        2           3             4               5
//   x:      0        W        2W          3W            4W              5W

#include <QGraphicsScene>
#include <QList>
#include <QSize>

class BaseView;
class ColorChkView;
class ColorLumaView;
class FreeView;
class GamutView;
class GrayView;
class Measure;
class QPainter;
class SaturatView;

class FullScene : public QGraphicsScene
{
    Q_OBJECT

public:
    // Scene background behind and between the pages.
    static const QColor Background;

    // Creates the six views, connects the engine's colorMeasured(int) to each view's drawColor(int)
    // and lays the pages out at `width` x `height`.
    FullScene(int width, int height, Measure* measure, QObject* parent = nullptr);
    ~FullScene() override;

    FullScene(const FullScene&) = delete;
    FullScene& operator=(const FullScene&) = delete;

    // Throws away every item of the scene and has every view place its windows and redraw all its
    // results anew.
    void layoutViews();
    // Stores the page size, then lays the pages out anew.
    void setPageSize(int width, int height);
    void setBackground();

    int pageWidth() const { return m_pageWidth; }
    int pageHeight() const { return m_pageHeight; }

    // The view of a measurement mode 0 to 5; null for any other value.
    BaseView* view(int mode) const;
    GrayView* grayView() const { return m_grayView; }
    GamutView* gamutView() const { return m_gamutView; }
    ColorChkView* colorChkView() const { return m_colorChkView; }
    SaturatView* saturatView() const { return m_saturatView; }
    ColorLumaView* colorLumaView() const { return m_colorLumaView; }
    FreeView* freeView() const { return m_freeView; }

    // Data export and import (dataexport.cpp). exportTo writes baseName + ".data", the page
    // pictures and the two PDF reports, and they replace any earlier export of that base name as
    // a whole (its pictures that are not written again go too); importFrom replaces the engine's
    // lists from a data file only when the whole file is valid. Both tell the user the outcome
    // and return it.
    bool exportTo(const QString& baseName);
    bool importFrom(const QString& fileName);
    // The summary report's texts and frames, and the detailed report's title page (reports.cpp).
    void renderReport(QPainter* painter);
    void renderTitlePage(QPainter* painter, int pageWidth);
    // Page size of the scene while its charts are rendered into the reports.
    static const QSize printPageSize;

public slots:
    // Clears the page of the mode whose run starts: 0 gray, 1 gamut, 2 saturation, 3 colour scale,
    // 4 colour checker; any other value (free measurement 5, monitor calibration 7) the free page.
    void clearContent(int level);
    // Ask for a file name, then exportTo / importFrom. An export whose base name has files
    // already asks first whether to replace them; "No" writes nothing.
    void exportData();
    void importData();

private:
    // The six views in the order they are created, connected, released and placed.
    QList<BaseView*> views() const;

    QObject* parentObject;
    int m_pageWidth;
    int m_pageHeight;
    // Created, connected, released and placed in this order.
    GrayView* m_grayView;
    GamutView* m_gamutView;
    ColorChkView* m_colorChkView;
    SaturatView* m_saturatView;
    ColorLumaView* m_colorLumaView;
    FreeView* m_freeView;
    Measure* measure;
};
