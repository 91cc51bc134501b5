#pragma once
// The program's application object: the current colour reference built from the reference
// settings, the application font, and the program's event-processing wait.

#include "colour/colorreference.h"

#include <QApplication>
#include <QFont>
#include <QString>

#include <memory>

class Application : public QApplication
{
    Q_OBJECT

public:
    // `argc` is taken by reference by QApplication and must outlive the object.
    Application(int& argc, char** argv);
    ~Application() override;

    // The current reference, shared with the colour library (which every conversion reads). The
    // snapshot stays valid as long as the caller holds it, even across loadReference().
    static std::shared_ptr<const ColorReference> colorReference();

    // Rebuilds the current reference from reference/colorspace, whitetarget, gammatype and gamma,
    // replaces the old one only once the new one is complete, and emits colRefChanged().
    void loadReference();

    // Chooses the application font by the system language: "fangzheng.ttf" for Chinese, else
    // "GOTHIC.ttf", both read from the working directory. Called once by the constructor.
    void loadFonts();

    // A copy of the application font; callers resize their copy.
    QFont appFont() const { return applicationFont; }

    // Returns after `ms` milliseconds (monotonic time), processing the calling thread's events
    // meanwhile; `ms` <= 0 returns at once. Runs on any thread.
    static void delay(int ms);

    // The running application object, or null when the QApplication is not an Application.
    static Application* instance();

signals:
    void colRefChanged();

private:
    QFont applicationFont;
};

// Font files looked up in the working directory, by language.
inline constexpr char kChineseFontFile[] = "fangzheng.ttf";
inline constexpr char kLatinFontFile[] = "GOTHIC.ttf";
// Family used when the Latin font file is missing.
inline constexpr char kLatinFallbackFamily[] = "Arial";

// Style sheet of every file dialog: five rules, each separated from the next by 30 blanks. Set it
// on a temporary parentless widget that parents a QFileDialog::DontUseNativeDialog call.
extern const QString fileDialogStyle;
