#pragma once
// The colour-checker page of the result scene (measurement mode 4). It shows one of two patch
// sets, as patchset::chosen() says: the colour checker (Measure::colorChkList, the white and 18
// patches) or EBU 3237 (Measure::ebuList, the white and 15 patches). On the left the patch table
// above a bar chart of each patch's difference from its target (CIEDE2000, or dE u*v* for EBU
// 3237), each bar painted with its patch's picture; on the right a square chromaticity chart
// with a marker on every measured colour.
//
// The whole page shows the set of its last layout: table rows, bar grid, list, names and bars
// agree. A run of the other set relayouts the scene when it starts (layoutOutdated()).

#include "measure/patchset.h"
#include "ui/view/baseview.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <functional>

class ChkGamut;
class ColorChkDataWindow;
class DelteWindow;
class QDataStream;

class ColorChkView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 4;

    ColorChkView(QGraphicsScene* scene, Measure* measure);
    ~ColorChkView() override;

    void layout() override;
    bool layoutOutdated() const override;

    // Its two sections of the measurement data file (colour checker, then EBU 3237) and a picture
    // of the page for each non-empty list (viewdata.cpp). `relayout` lays the whole scene out
    // anew; with it each picture shows the page drawn with its own set, and the scene is laid out
    // once more for the set of the settings afterwards, unless `restoreLayout` is false: a caller
    // that lays the scene out anew anyway leaves that to its own layout (layoutOutdated() tells
    // whether the page still shows the other set). No relayout for a page already drawn with the
    // picture's set. False when a picture could not be saved. loadData replaces the two lists
    // only when both sections are whole and valid.
    bool exportData(QString baseName, QDataStream& out,
                    const std::function<void()>& relayout = {}, bool restoreLayout = true);
    bool loadData(QDataStream& in);

    // The set the settings choose (patchset::chosen()), or the set of the picture being saved.
    int colorType() const;
    // The set the page was laid out with and shows.
    patchset::Set pageSet() const { return laidOutSet; }

    // The page of the detailed report: "ColorChecker" with 19 entries or more, or "  EBUColor  "
    // with 16 or more, for the set the settings choose.
    void exportPro(QPainter* painter, QPrinter* printer) override;

    // Resource paths of the bar pictures of a set, patch 1 first (18 or 15 paths).
    static QStringList barPicturePaths(patchset::Set set);

    QList<QGraphicsItem*> markers() const;
    QList<QGraphicsItem*> bars() const;

    ColorChkDataWindow* dataWindow = nullptr;
    DelteWindow* delteWindow = nullptr;
    ChkGamut* gamutWindow = nullptr;

protected:
    QList<CColor> results() const override;
    void beginResults(const QList<CColor>& list, int first) override;
    void drawResult(const QList<CColor>& list, int i) override;

private:
    void drawMarker(const CColor& colour, const QString& name);
    void drawBar(const QList<CColor>& list, int i);
    static QList<CColor> setList(const Measure* measure, patchset::Set set);

    // Set while a picture of one set is saved; -1 follows the setting.
    int shownSet = -1;
    patchset::Set laidOutSet = patchset::ColorChecker;
    QList<QPixmap> checkerBarPictures;
    QList<QPixmap> ebuBarPictures;
    QPixmap markerPicture;
    // Of the pass being drawn.
    QStringList names;
};
