#pragma once
// The values the report pages print, as small functions the scene's pages and the tests share.
// The pages themselves are FullScene::renderReport and FullScene::renderTitlePage (reports.cpp)
// and the views' exportPro; their layout is drawn in ui/view/reportpage.h.

#include "colour/color.h"

#include <QList>
#include <QString>

class ColorReference;
class Measure;

// Texts are translated in the context "FullScene", as the scene's own pages are.
namespace reports {

// The attached instrument's name; empty when none is attached.
QString sensorName(const Measure* measure);
// Today as "yyyy/MM/dd".
QString date();

// White and black luminance of the summary page: elements 0 and 1 of the gray list once it holds
// more than two colours, else 0 and 0.
struct Luminances
{
    double white = 0;
    double black = 0;
};
Luminances luminances(const QList<CColor>& gray);

// "Contrast: %1" with white / black; "Contrast: " alone when black is 0.
QString contrastText(const Luminances& l);
// "Gamma: ITU_BT1886", or "Gamma: %1" with one decimal ("Gamma: 2.2").
QString gammaHeading(const ColorReference& ref);

} // namespace reports
