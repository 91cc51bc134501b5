#pragma once
// The program's Chinese translation: "quelvarin_zh_CN.qm" beside the program file, installed only
// when the system language is Chinese. The language chosen in the Options dialog is not consulted.

#include <QLocale>
#include <QString>

class QTranslator;

// Base name of the translation file, without the ".qm" that Qt adds when it looks for it.
extern const char kProgramTranslation[];

// Loads the translation from the directory of `programFilePath` into `translator` and installs it
// when `systemLocale` speaks Chinese. A missing or unreadable file leaves the English texts and is
// not reported. True when the translator was installed.
bool installProgramTranslation(QTranslator& translator, const QLocale& systemLocale,
                               const QString& programFilePath);
