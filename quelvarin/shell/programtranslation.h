#pragma once
// The program's Chinese translation: "quelvarin_zh_CN.qm" beside the program file, installed only
// when the system language is Chinese. The language chosen in the Options dialog is not consulted.
// Beside it goes Qt's own Chinese translation ("qtbase_zh_CN.qm" from Qt's translations folder),
// which gives the texts Qt draws itself: the standard buttons of message boxes and dialogs (OK,
// Cancel, ...) and the file dialogs.

#include <QLocale>
#include <QString>

class QTranslator;

// Base name of the translation file, without the ".qm" that Qt adds when it looks for it.
extern const char kProgramTranslation[];
// Base name of Qt's translation of its own texts.
extern const char kQtTranslation[];

// Loads the translation from the directory of `programFilePath` into `translator` and installs it
// when `systemLocale` speaks Chinese. A missing or unreadable file leaves the English texts and is
// not reported. True when the translator was installed.
bool installProgramTranslation(QTranslator& translator, const QLocale& systemLocale,
                               const QString& programFilePath);

// Loads Qt's translation from `directory` (empty: Qt's translations folder, on Debian
// /usr/share/qt5/translations) into `translator` and installs it when `systemLocale` speaks
// Chinese. Install it before the program's translation, which then takes precedence. A missing
// file leaves Qt's texts in English (a debug line says where it was looked for). True when the
// translator was installed.
bool installQtTranslation(QTranslator& translator, const QLocale& systemLocale,
                          const QString& directory = QString());
