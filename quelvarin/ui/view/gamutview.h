#pragma once
// The gamut page of the result scene (measurement mode 1). It draws from Measure::gamutList:
// white, red, green, blue, yellow, cyan, magenta.
//
// Windows, with the page's left edge X, width W and height H (half = (H - 18) / 2,
// left = W - H + 13, tw = H - half - 18 when the tolerance chart is shown):
//
//   +-- table (X+13, 0, left, half-47) ---+  +-- gamut chart ----------+
//   |                                     |  | (2W - 13 - (H - 52), 0, |
//   +-------------------------------------+  |  H - 52, H - 5)         |
//   +-- dE2000 bars --------+ +-tolerance-+  |                         |
//   | (X+13, half-34, ...)  | | HDTV Rec709|  |                         |
//   |                       | | on u'v'    |  |                         |
//   +-----------------------+ +-----------+  +-------------------------+
//
// Per result: its table row, its marker on the gamut chart, its dE2000 bar and (white, red,
// green, blue, while the tolerance chart is on the page) its target on the tolerance chart. The
// outline of the measured triangle and the coverage figure are replaced as results arrive. A
// failed reading gets its table row but no marker, target or bar; a list longer than the seven
// patches (an imported file) shows its first seven.

#include "ui/view/baseview.h"

#include "colour/color.h"
#include "ui/view/reportpage.h"

#include <QList>
#include <QPainterPath>
#include <QPixmap>
#include <QString>
#include <QStringList>

class DelteWindow;
class GamutDataWindow;
class GmtGamut;
class ToleranceWindow;
class QDataStream;
class QGraphicsPathItem;
class QGraphicsTextItem;

class GamutView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 1;
    // Patches of a gamut run: white, red, green, blue, yellow, cyan, magenta.
    static constexpr int Patches = 7;

    GamutView(QGraphicsScene* scene, Measure* measure);
    ~GamutView() override;

    void layout() override;
    // clear() (the frame's) removes the markers, bars, outline and targets and empties the
    // table; the coverage figure is the page's own item and stays until the next result (or
    // the next drawing of an empty list, which shows 0).
    void refresh() override;

    // Its section of the measurement data file and its page picture (viewdata.cpp). exportData is
    // false when the picture could not be saved; loadData replaces the engine's list only with a
    // whole valid section.
    bool exportData(QString baseName, QDataStream& out);
    bool loadData(QDataStream& in);

    // The gamut page of the detailed report when the list holds all seven patches, and the
    // charts of the summary page (gamutreport.cpp).
    void exportPro(QPainter* painter, QPrinter* printer) override;
    void renderCharts(QPainter* painter) override;
    // The eleven values of one row of the report table against the white's luminance.
    static QStringList reportRowValues(const CColor& c, double Yw);

    // "<ratio x 100>% of Coverage".
    static QString coverageFigure(double ratio);

    // Whether the last layout placed the tolerance chart (HDTV Rec709 on the u'v' chart).
    bool toleranceShown() const { return tolerancePlaced; }

    // What the page drew.
    QGraphicsPathItem* gamutOutline() const;
    QGraphicsTextItem* coverageItem() const;
    // Markers on the gamut chart, targets on the tolerance chart and bars, in list order.
    QList<QGraphicsItem*> markerItems() const;
    QList<QGraphicsItem*> toleranceMarkers() const;
    QList<QGraphicsItem*> barItems() const;

    DelteWindow* delteWindow = nullptr;
    GmtGamut* gamutWindow = nullptr;
    GamutDataWindow* dataWindow = nullptr;
    ToleranceWindow* toleranceWindow = nullptr;

protected:
    void resetDrawing() override;
    // Element i: table row i - 1, then drawTarget and drawBar, then the coverage.
    void drawResult(const QList<CColor>& list, int i) override;
    void drawNoResults() override;

private:
    enum Slot { OutlineSlot, CoverageSlot };
    enum Kind { MarkerKind = 1, ToleranceKind, BarKind };

    void drawTarget(const QList<CColor>& list, int index);
    void drawBar(const QList<CColor>& list, int index);
    // The coverage slot is to show `text`.
    void showCoverage(const QString& text);
    QList<QGraphicsItem*> itemsOf(Kind kind) const;

    bool tolerancePlaced = false;
    // The measured triangle as far as it is known, and whether all its corners are readings.
    QPainterPath gamutPath;
    bool outlineComplete = false;
    // The coverage figure on show, or null.
    QGraphicsTextItem* coverageText = nullptr;
    QPixmap measMarker;
    QPixmap targetPictures[4];
    QPixmap barPictures[Patches];
};
