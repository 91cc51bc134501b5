#pragma once
// The gray-scale page of the result scene (measurement mode 0). It draws from
// Measure::grayList: the white, then the gray levels 0/steps to steps/steps.

#include "ui/view/baseview.h"

#include "colour/color.h"
#include "ui/view/reportpage.h"

#include <QString>
#include <QStringList>

class QDataStream;

class GrayView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 0;

    GrayView(QGraphicsScene* scene, Measure* measure);

    void clear() override;
    void layout() override;
    void refresh() override;

    // Takes the page's table out of the scene before the scene is cleared.
    void releaseDataTable();

    // Its section of the measurement data file and its page picture (viewdata.cpp). exportData is
    // false when the picture could not be saved; loadData replaces the engine's list only with a
    // whole valid section.
    bool exportData(QString baseName, QDataStream& out);
    bool loadData(QDataStream& in);

    // The gray-scale page of the detailed report, when the list holds more than steps + 1
    // colours (reportpages.cpp).
    void exportPro(QPainter* painter, QPrinter* printer) override;
    // The thirteen values of one row of the report table, with the white's and black's Y.
    static QStringList reportRowValues(const CColor& c, double Yw, double Yb);
    // White over black, or 1e19 when the black is 1e-11 or less.
    static double reportContrast(double Yw, double Yb);
    // The charts of the report page, left to right: dE2000, gamma, RGB levels.
    reportpage::ChartRender reportChart(int which);

public slots:
    // A result was appended to the list of `mode`; only the view of that mode redraws.
    void drawColor(int mode);

private:
    void drawResults();
};
