#pragma once
// The Options page that shows on which screen the test pattern is to appear (display/index). It
// writes nothing.

#include <QWidget>

class QComboBox;

class DisplayPage : public QWidget
{
    Q_OBJECT

public:
    DisplayPage(int screenCount, QWidget* parent);

    int screenCount = 0;
    QComboBox* screenCombo = nullptr;
};
