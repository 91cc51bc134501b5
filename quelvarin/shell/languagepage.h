#pragma once
// The Options page of the interface language, kept in global/language ("en_US" or "zh_CN"). The
// language in use is chosen at start from the system locale; the page's note says so.

#include <QWidget>

class QListWidget;

class LanguagePage : public QWidget
{
    Q_OBJECT

public:
    explicit LanguagePage(QWidget* parent);

    void LoadReference();
    // Writes the current entry's code; with no entry current, the stored value is kept.
    void SaveReference();

    QListWidget* languageList = nullptr;
};
