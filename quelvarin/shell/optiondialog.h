#pragma once
// The "Options" dialog: up to five pages chosen by a bit mask, as tabs when two or more are
// asked for. Each page fills itself from the settings when it is built and writes itself back on
// OK; Cancel writes nothing.
//
//   bit  page        built when                      tab title
//   1    Reference   asked for                       "Reference"
//   2    Sensor      asked for and a driver attached the driver's name
//   8    Measure     asked for                       "Measure"
//   4    Language    asked for                       "Language"
//   16   Display     asked for                       "Display"

#include <QDialog>

class DisplayPage;
class LanguagePage;
class Measure;
class MeasurePage;
class QTabWidget;
class ReferencePage;
class SensorPage;

class OptionDialog : public QDialog
{
    Q_OBJECT

public:
    enum Page : int {
        ReferencePageBit = 1,
        SensorPageBit = 2,
        LanguagePageBit = 4,
        MeasurePageBit = 8,
        DisplayPageBit = 16,
    };

    OptionDialog(int pages, Measure* measure, int screenCount, QWidget* parent);

public slots:
    // Writes the Measure, Reference, Sensor and Language pages in this order, then accepts.
    void accept() override;

public:
    Measure* measure = nullptr;
    ReferencePage* referencePage = nullptr;
    MeasurePage* measurePage = nullptr;
    SensorPage* sensorPage = nullptr; // null when no driver was attached
    LanguagePage* languagePage = nullptr;
    DisplayPage* displayPage = nullptr;
    QTabWidget* tabWidget = nullptr;  // null with fewer than two pages asked for

private:
    void createPages(int pages, int screenCount);
};
