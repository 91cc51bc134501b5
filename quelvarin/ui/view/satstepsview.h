#pragma once
// The design the saturation and colour-scale pages share: the white, then five steps of red,
// green, blue, yellow, magenta and cyan. On the left the patch table above a bar chart of each
// patch's CIEDE2000 from its target (36 slots: one empty slot before each colour's five bars);
// on the right a square chromaticity chart with a marker on every measured colour. The two pages
// differ in their mode, result list, bar pictures, chart and report title.

#include "ui/view/baseview.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>

class DelteWindow;
class GamutWindow;
class SatDataWindow;

class SatStepsView : public BaseView
{
    Q_OBJECT

public:
    // Patches after the white, and the list entries the page has names, pictures and rows for.
    static constexpr int Patches = 30;
    static constexpr int Entries = Patches + 1;

    ~SatStepsView() override;

    void layout() override;

    // The page of the detailed report, when the list holds more than 30 entries.
    void exportPro(QPainter* painter, QPrinter* printer) override;

    // Resource path of the bar picture of patch p (0 .. 29): ":/bar/resource/<colour><step>"
    // with the step "20", "40", "60", "80" followed by `stepSuffix` and ".png", or "_pillar.png"
    // for the 100 % step.
    static QString barPicturePath(int patch, const QString& stepSuffix);
    // Bar slot (of 36) of list entry i (1 .. 30): one empty slot before each colour's group.
    static int barSlot(int i);

    // What the page drew: one marker per measured colour, one bar per patch after the white
    // (a failed reading has neither).
    QList<QGraphicsItem*> markers() const;
    QList<QGraphicsItem*> bars() const;

    SatDataWindow* dataWindow = nullptr;
    DelteWindow* delteWindow = nullptr;
    // The chromaticity chart, made by the page: the saturation chart or the gamut chart.
    GamutWindow* gamutWindow = nullptr;

protected:
    SatStepsView(QGraphicsScene* scene, Measure* measure, int mode, const QString& stepSuffix,
                 const char* reportTitle);

    void beginResults(const QList<CColor>& list, int first) override;
    void drawResult(const QList<CColor>& list, int i) override;

private:
    void drawMarker(const CColor& colour, const QString& name);
    void drawBar(const QList<CColor>& list, int i);

    QList<QPixmap> barPictures;
    QPixmap markerPicture;
    QStringList names;
    const char* reportTitleText;
};
