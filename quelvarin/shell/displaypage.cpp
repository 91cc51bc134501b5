#include "shell/displaypage.h"

#include "platform/settings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

DisplayPage::DisplayPage(int screenCount, QWidget* parent)
    : QWidget(parent)
    , screenCount(screenCount)
{
    const int stored = platform::readSetting("display", "index", 0).toInt();
    screenCombo = new QComboBox(this);
    screenCombo->addItem(tr("Primary monitor"));
    for (int i = 1; i < screenCount; ++i)
        screenCombo->addItem(tr("mointor %1").arg(i));
    screenCombo->setCurrentIndex(screenCount > 1 ? stored : 0);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("Test pattern display on:"), this), 5, 0);
    grid->addWidget(screenCombo, 5, 1, 1, 3);
}
