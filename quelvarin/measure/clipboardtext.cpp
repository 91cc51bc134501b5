#include "measure/clipboardtext.h"

#include "measure/measure.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

namespace {

const QString kTab = QStringLiteral("\t");
const QString kNewLine = QStringLiteral("\n");
// Not translated: the column names are the quantities' symbols.
const QString kColumns = QStringLiteral("\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\t");

QString word(const char* text)
{
    return QCoreApplication::translate("Measure", text);
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

enum class LastColumn { DeltaE2000, DeltaEuv, None };

struct Section
{
    const char* heading;
    bool cct;
    LastColumn last;
};

void appendRow(QString& text, const CColor& entry, const Section& section, double ymax,
               double ymin)
{
    const CColor c(entry); // every conversion works on a copy, levels included
    if (section.cct)
        text += kTab + QString::number(c.GetCCT(), 10);
    const CColor xyY = c.toxyY();
    const CColor uv = c.toupvpY();
    const CColor lab = c.toLab(ymax);
    for (double v : {c[0], c[1], c[2], xyY[0], xyY[1], uv[0], uv[1], lab[0], lab[1], lab[2]})
        text += kTab + number(v);
    switch (section.last) {
    case LastColumn::DeltaE2000: text += kTab + number(c.GetDeltaE2000(ymax, ymin)); break;
    case LastColumn::DeltaEuv: text += kTab + number(c.GetDeltaEuvTarget(ymax, ymin)); break;
    case LastColumn::None: break;
    }
    text += kNewLine;
}

// One colour section. `first` is the first entry listed (1 for gray, whose white is not).
void appendSection(QString& text, const QList<CColor>& list, const Section& section, int first,
                   double ymin)
{
    text += word(section.heading) + kNewLine;
    if (section.cct)
        text += kTab + word(QT_TRANSLATE_NOOP("Measure", "CCT"));
    text += kColumns;
    switch (section.last) {
    case LastColumn::DeltaE2000: text += word(QT_TRANSLATE_NOOP("Measure", "dE2000")); break;
    case LastColumn::DeltaEuv: text += word(QT_TRANSLATE_NOOP("Measure", "dE u*v*")); break;
    case LastColumn::None: break;
    }
    text += kNewLine;
    const double ymax = list.first()[1];
    for (int i = first; i < list.size(); ++i)
        appendRow(text, list[i], section, ymax, ymin);
}

void appendSpectra(QString& text, const QList<SpectrumData>& spectra)
{
    text += word(QT_TRANSLATE_NOOP("Measure", "Spectrum:")) + kNewLine;
    const SpectrumData& first = spectra.first();
    text += kTab + word(QT_TRANSLATE_NOOP("Measure", "MinWaveLength:%1")).arg(first.minWaveLength)
            + kTab + word(QT_TRANSLATE_NOOP("Measure", "MaxWaveLength:%1")).arg(first.maxWaveLength)
            + kTab + word(QT_TRANSLATE_NOOP("Measure", "BandWidth:%1")).arg(first.count) + kNewLine;
    // The rows follow the values the first spectrum holds; a shorter spectrum after it leaves
    // its missing cells empty instead of being read past its end.
    const int rows = first.values.size();
    for (int j = 0; j < rows; ++j) {
        for (const SpectrumData& s : spectra) {
            text += kTab;
            if (j < s.values.size())
                text += number(double(s.values[j]));
            text += kTab;
        }
        text += kNewLine;
    }
}

} // namespace

QString resultsClipboardText(const ResultLists& lists)
{
    QString text;
    if (lists.gray.size() >= 2) {
        appendSection(text, lists.gray,
                      {QT_TRANSLATE_NOOP("Measure", "Gray:"), true, LastColumn::DeltaE2000}, 1,
                      lists.gray[1][1]);
    }
    const struct
    {
        const QList<CColor>* list;
        Section section;
    } others[] = {
        {&lists.gamut, {QT_TRANSLATE_NOOP("Measure", "Gamut:"), false, LastColumn::DeltaE2000}},
        {&lists.saturation,
         {QT_TRANSLATE_NOOP("Measure", "Saturation:"), false, LastColumn::DeltaE2000}},
        {&lists.colorScale,
         {QT_TRANSLATE_NOOP("Measure", "ColorScale:"), false, LastColumn::DeltaE2000}},
        {&lists.colorChecker,
         {QT_TRANSLATE_NOOP("Measure", "ColorChecker:"), false, LastColumn::DeltaE2000}},
        {&lists.ebu, {QT_TRANSLATE_NOOP("Measure", "ColorEBU3237:"), false, LastColumn::DeltaEuv}},
    };
    for (const auto& s : others) {
        if (!s.list->isEmpty())
            appendSection(text, *s.list, s.section, 0, 0.0);
    }
    if (!lists.free.isEmpty()) {
        // The free column line keeps the tab after its last name: no difference column follows.
        appendSection(text, lists.free,
                      {QT_TRANSLATE_NOOP("Measure", "Free:"), true, LastColumn::None}, 0, 0.0);
    }
    if (!lists.spectra.isEmpty())
        appendSpectra(text, lists.spectra);
    return text;
}

QString Measure::resultsText() const
{
    ResultLists lists;
    {
        // One snapshot of every list, so a copy made while a run appends is self-consistent.
        QMutexLocker lock(&m_resultsMutex);
        lists.gray = m_grayList;
        lists.gamut = m_gamutList;
        lists.saturation = m_satList;
        lists.colorScale = m_colorLumaList;
        lists.colorChecker = m_colorChkList;
        lists.ebu = m_ebuList;
        lists.free = m_freeList;
        lists.spectra = m_spectrumList;
    }
    return resultsClipboardText(lists);
}

void Measure::doCpDataToClip()
{
    QGuiApplication::clipboard()->setText(resultsText(), QClipboard::Clipboard);
}
