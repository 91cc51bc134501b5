#include "appcore/application.h"

#include "colour/currentreference.h"
#include "platform/eventwait.h"
#include "platform/settings.h"
#include "resources/resources.h"

#include <QFontDatabase>
#include <QLocale>
#include <QStringList>

namespace {

// Settings of the reference and their defaults: HDTV Rec709, the standard's own white, power law
// with 1/0.45.
constexpr char kReferenceGroup[] = "reference";
constexpr int kDefaultColorSpace = StandardHdtvRec709;
constexpr int kDefaultWhiteTarget = WhiteOwn;
constexpr int kDefaultGammaType = GammaPower;
constexpr double kDefaultGamma = 2.2222222222222223;
// Passed instead of an exponent for any gamma type but the power law: the reference then
// follows BT.1886.
constexpr double kBt1886GammaMarker = -1.0;

QString joinedFileDialogStyle()
{
    const QStringList rules = {
        QStringLiteral("QFileDialog{background-color:rgb(70,70,70); color: white}"),
        QStringLiteral("QPushButton{background-color:rgb(50,50,50); color: white}"),
        QStringLiteral("QListView{background-color:rgb(50,50,50); color:white}"),
        QStringLiteral("QComboBox{background-color:rgb(50,50,50); color:white}"),
        QStringLiteral("QLineEdit{background-color:rgb(50,50,50); color:white}"),
    };
    return rules.join(QString(30, QLatin1Char(' ')));
}

} // namespace

const QString fileDialogStyle = joinedFileDialogStyle();

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    initPictureResources();
    registerColorMetaType();
    loadReference();
    loadFonts();
}

Application::~Application() = default;

std::shared_ptr<const ColorReference> Application::colorReference()
{
    return currentColorReference();
}

void Application::loadReference()
{
    QSettings store = platform::kwSettings();
    store.beginGroup(kReferenceGroup);
    const int colorSpace = store.value("colorspace", kDefaultColorSpace).toInt();
    const int whiteTarget = store.value("whitetarget", kDefaultWhiteTarget).toInt();
    const int gammaType = store.value("gammatype", kDefaultGammaType).toInt();
    const double gamma = gammaType == GammaPower ? store.value("gamma", kDefaultGamma).toDouble()
                                                 : kBt1886GammaMarker;
    store.endGroup();

    // Build first, then swap: readers never see a half-built or missing reference.
    auto fresh = std::make_shared<const ColorReference>(colorSpace, whiteTarget, gamma);
    setCurrentColorReference(std::move(fresh));
    emit colRefChanged();
}

void Application::loadFonts()
{
    const bool chinese = QLocale::system().language() == QLocale::Chinese;
    const int id = QFontDatabase::addApplicationFont(chinese ? kChineseFontFile : kLatinFontFile);
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (!families.isEmpty())
        applicationFont = QFont(families.first());
    else
        applicationFont = chinese ? QFont() : QFont(kLatinFallbackFamily);
}

void Application::delay(int ms)
{
    platform::delay(ms);
}

Application* Application::instance()
{
    return qobject_cast<Application*>(QCoreApplication::instance());
}
