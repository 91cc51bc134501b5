#include "shell/languagepage.h"

#include "platform/logging.h"
#include "platform/settings.h"

#include <QDebug>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

const char kGroupStyle[] = "QGroupBox {border: 2px solid #505050; margin-top: 2ex;} "
                           "QGroupBox::title {subcontrol-origin: margin; padding: 0 3px;} ";
const char kDefaultLanguage[] = "en_US";

} // namespace

LanguagePage::LanguagePage(QWidget* parent)
    : QWidget(parent)
{
    auto* box = new QGroupBox(tr("Language"), this);
    box->setStyleSheet(kGroupStyle);
    auto* note = new QLabel(
        QStringLiteral("%1.").arg(tr("Language setting can take\neffect after the next setup\nof "
                                     "the software")),
        box);
    languageList = new QListWidget(box);
    auto* english = new QListWidgetItem(tr("English"), languageList);
    english->setData(Qt::UserRole, QStringLiteral("en_US"));
    auto* chinese = new QListWidgetItem(tr("Chinese"), languageList);
    chinese->setData(Qt::UserRole, QStringLiteral("zh_CN"));

    auto* rows = new QVBoxLayout(box);
    rows->addWidget(note);
    rows->addWidget(languageList);
    auto* page = new QVBoxLayout(this);
    page->addWidget(box);
}

void LanguagePage::LoadReference()
{
    const QString code =
        platform::readSetting("global", "language", QString::fromLatin1(kDefaultLanguage)).toString();
    for (int row = 0; row < languageList->count(); ++row) {
        if (languageList->item(row)->data(Qt::UserRole).toString() == code) {
            languageList->setCurrentRow(row);
            return;
        }
    }
}

void LanguagePage::SaveReference()
{
    QListWidgetItem* current = languageList->currentItem();
    if (!current)
        return;
    const QString code = current->data(Qt::UserRole).toString();
    platform::writeSetting("global", "language", code);
    qCDebug(platform::shellLog) << "lang:" << code;
}
