#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "pattern/patternwindow.h"
#include "pattern/sigadapter.h"
#include "platform/eventwait.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "appcore/application.h"
#include "shell/fullscene.h"
#include "shell/mainwindowpictures.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace mainwindow;

namespace {

// Pictures of the bars and buttons (compiled-in resources).
const char kTopBar1[] = ":/title/resource/top_bar_1.png";
const char kTopBar2[] = ":/title/resource/top_bar_2.png";
const char kTopBar3[] = ":/title/resource/top_bar_3.png";
const char kLinePicture[] = ":/menu/resource/line.png";
const char kBottomBarPicture[] = ":/menu/resource/bottom-bar.png";
const char kPointSel[] = ":/menu/resource/point-sel.png";
const char kPointNot[] = ":/menu/resource/point-not.png";

const QColor kWindowBackground(37, 37, 37);
const char kMenuStyle[] = "QMenu{background:#505050;border:1px solid gray;}";
// Scoped to the button itself: an unscoped rule would also reach the button's tooltip, which
// then loses its background and shows as a black box without text. Pressed, the style would
// draw its panel in the (see-through) button colour, which comes out as a black square around
// the picture; Start stays pressed while its question is open, so pressed shows the picture only.
const char kTransparent[] =
    "QPushButton{background-color:transparent} QPushButton:pressed{border:none}";

// Title bar: a 90-pixel logo, the tool row, and a 90-pixel settings corner.
constexpr int kTitleSide = 90;
const QSize kToolIconSize(40, 35);
const QSize kPatternIconSize(36, 32);
const QSize kRunIconSize(43, 42);
const QSize kPageDotShown(30, 30);
const QSize kPageDotOther(20, 20);
constexpr int kPageGroupWidth = 200;
const QSize kTitleButtonSize(200, 40);
constexpr int kTitleFontPoints = 10;
constexpr int kTitleFontWeight = 75;

// A page change slides the view in this many frames, this far apart.
constexpr int kSlideFrames = 30;
constexpr int kSlideFrameMs = 15;

// The view of page k lies at x = k * page width; there are six pages.
constexpr int kPageCount = 6;

const char* const kPageTitles[kPageCount] = {
    QT_TRANSLATE_NOOP("MainWindow", "Gray Measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "Gamut Measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "Saturation Measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "ColorScale Measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "ColorCheck Measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "Free Measurement"),
};

const char* const kPageTips[kPageCount] = {
    QT_TRANSLATE_NOOP("MainWindow", "Gray measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "Gamut measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "Saturation measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "ColorScale measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "ColorChecker measurement"),
    QT_TRANSLATE_NOOP("MainWindow", "Free measurement"),
};

QPixmap scaledPicture(const QString& path, int width, int height)
{
    return QPixmap(path).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Installs `picture` as the widget's window brush, so it exactly covers the widget.
void setBackgroundPicture(QWidget* widget, const QPixmap& picture)
{
    QPalette palette = widget->palette();
    palette.setBrush(QPalette::All, QPalette::Window, QBrush(picture));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A disabled button (its command not connected yet) shows its picture this faint, so it does not
// look as if it would do something; the pictures are light glyphs that the toolkit's own disabled
// form would hardly change.
constexpr qreal kDisabledOpacity = 0.3;

QIcon buttonIcon(const QString& path)
{
    QIcon icon(path);
    const QPixmap face(path);
    QPixmap faint(face.size());
    faint.fill(Qt::transparent);
    {
        QPainter painter(&faint);
        painter.setOpacity(kDisabledOpacity);
        painter.drawPixmap(0, 0, face);
    }
    icon.addPixmap(faint, QIcon::Disabled);
    return icon;
}

QPushButton* toolButton(QWidget* parent, const QString& icon, const QSize& iconSize,
                        const QString& tip)
{
    auto* button = new QPushButton(parent);
    button->setStyleSheet(kTransparent);
    button->setIcon(buttonIcon(icon));
    button->setIconSize(iconSize);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    // Only the picture shows: no bevel around it at rest (the style draws one while pressed).
    button->setFlat(true);
    return button;
}

// Tool-button faces: ":/menu/resource/<name>_not.png" at rest, "_sel.png" while pressed.
QString restPicture(const char* name)
{
    return QStringLiteral(":/menu/resource/%1_not.png").arg(QLatin1String(name));
}

QString pressedPicture(const char* name)
{
    return QStringLiteral(":/menu/resource/%1_sel.png").arg(QLatin1String(name));
}

QFont titleFont()
{
    QFont font = Application::instance() ? Application::instance()->appFont() : QFont();
    font.setPointSize(kTitleFontPoints);
    font.setWeight(kTitleFontWeight);
    return font;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
{
    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QBrush(kWindowBackground));
    setAutoFillBackground(true);
    setPalette(pal);

    // Setting the minimum also resizes the window to it, so the title bar is built 1200 wide.
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    mainLayout = new QVBoxLayout;
    mainLayout->setContentsMargins(0, 0, 0, 0);
    viewIndex = 0;
    slideReady = true;

    measureThread = new MeasureThread(this);
    connect(measureThread, &MeasureThread::measureFinished, this, &MainWindow::measureFinished);
    // Every run's end, however it ended; after the run's own signals, which were queued before.
    connect(measureThread, &QThread::finished, this, &MainWindow::runEnded);
    measure = measureThread->measure();

    connect(measure, &Measure::measureStopped, this, &MainWindow::doStopMeasure);
    connect(measure, &Measure::errorOccured, this, &MainWindow::showMeasError);
    // The operator watches the pattern window during a run: Esc there stops it as Esc here does.
    connect(measure->sigAdapter()->window, &PatternWindow::stopMeasure, this, &MainWindow::escapePressed);
    // calibrateStarted and calibrateFinished: connectCalibrationCommands.

    setLayout(mainLayout);
    paintTitleBar();
    createScene();
    bottomBar = nullptr;
    paintBottom();

    measure->attachSimulator();

    createMenus();
    connectDataCommands();
    connectCalibrationCommands();
    connectSensorCommands();
    connectReferenceCommands();
    connectClipboardCommand();
}

MainWindow::~MainWindow()
{
    // Normally closeEvent has ended the run; a window destroyed without being closed must not
    // leave the worker running into a destroyed engine.
    endRunBeforeClosing();
    delete fullScene;
}

bool MainWindow::isMeasuring() const
{
    return measureThread->isRunning() || chainInProgress || startingRun;
}

int MainWindow::pageWidth() const { return width(); }

int MainWindow::pageHeight() const { return height() - kPageHeightMargin; }

// ---- title bar ----------------------------------------------------------------------------------

void MainWindow::paintTitleBar()
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* logo = new QLabel;
    logo->setPixmap(scaledPicture(tr(kTopBar1), kTitleSide, kTitleSide));

    menuWidget = new QWidget;
    paintMenuButtons();

    settingWidget = new QWidget;
    settingWidget->setFixedSize(kTitleSide, kTitleSide);
    paintSettingButton();

    row->addWidget(logo, 0, Qt::AlignTop);
    row->addWidget(menuWidget);
    row->addWidget(settingWidget);
    mainLayout->addLayout(row);
}

void MainWindow::paintMenuButtons()
{
    setBackgroundPicture(menuWidget,
                         scaledPicture(tr(kTopBar2), width() - 2 * kTitleSide, kTitleSide));

    auto* column = new QVBoxLayout(menuWidget);
    column->setContentsMargins(0, 0, 0, 0);
    column->addSpacing(-2);

    auto* titleRow = new QHBoxLayout;
    titleRow->setAlignment(Qt::AlignLeft);
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->setSpacing(0);
    titleLabel = new QLabel(tr(" Quelvarin Vivaruded"));
    titleLabel->setStyleSheet(kTransparent);
    titleLabel->setFont(titleFont());
    QPalette white = titleLabel->palette();
    white.setBrush(QPalette::All, QPalette::WindowText, QBrush(Qt::white));
    titleLabel->setPalette(white);
    titleRow->addWidget(titleLabel);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setAlignment(Qt::AlignLeft);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(0);
    buttonRow->addSpacing(-8);
    const QPixmap line(tr(kLinePicture));
    auto separator = [&] {
        auto* label = new QLabel;
        label->setPixmap(line);
        buttonRow->addWidget(label);
    };

    const auto tool = [this](const char* picture, const QString& tip) {
        return toolButton(menuWidget, restPicture(picture), kToolIconSize, tip);
    };
    newButton = tool("new", tr("Connect Sensor"));
    openButton = tool("open", tr("Open Sensor Profile"));
    saveButton = tool("save", tr("Save Sensor Profile"));
    closeButton = tool("close", tr("Detach Sensor"));
    importButton = tool("import", tr("Import measure data"));
    exportButton = tool("export", tr("Export measure data"));
    patternButton = toolButton(menuWidget, ":/icons/resource/ICON_TPG.png", kPatternIconSize,
                               tr("Open Pattern Window"));
    lutButton = toolButton(menuWidget, ":/icons/resource/ICON_LUT.png", kPatternIconSize,
                           tr("Do monitor calibration"));
    helpButton = tool("help", tr("About"));

    buttonRow->addWidget(newButton);
    buttonRow->addWidget(openButton);
    buttonRow->addWidget(saveButton);
    buttonRow->addWidget(closeButton);
    separator();
    buttonRow->addWidget(importButton);
    buttonRow->addWidget(exportButton);
    separator();
    buttonRow->addWidget(patternButton);
    buttonRow->addWidget(lutButton);
    separator();
    buttonRow->addWidget(helpButton);

    column->addLayout(titleRow);
    column->addLayout(buttonRow);
    column->addSpacing(8);

    connect(patternButton, &QPushButton::clicked, measure, &Measure::showPattern);
    // Each command's button is enabled when the command is connected (connectPictureButton);
    // until then it is shown disabled rather than doing nothing when pressed.
    for (QPushButton* b : {newButton, openButton, saveButton, closeButton, importButton,
                           exportButton, lutButton, helpButton})
        b->setEnabled(false);

    menuWidget->setFixedSize(width() - 2 * kTitleSide, kTitleSide);
}

void MainWindow::paintSettingButton()
{
    auto* column = new QVBoxLayout(settingWidget);
    column->setContentsMargins(0, 0, 0, 0);
    column->addSpacing(20);
    auto* row = new QHBoxLayout;
    row->setAlignment(Qt::AlignLeft);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    settingButton =
        toolButton(settingWidget, restPicture("setting"), kToolIconSize, tr("Settings"));
    settingButton->setEnabled(false); // until the Options dialog is connected
    row->addWidget(settingButton);
    column->addLayout(row);
    setBackgroundPicture(settingWidget, scaledPicture(tr(kTopBar3), kTitleSide, kTitleSide));
}

void MainWindow::resizeTitleBar(int width)
{
    const int middle = width - 2 * kTitleSide;
    setBackgroundPicture(menuWidget, scaledPicture(tr(kTopBar2), middle, kTitleSide));
    menuWidget->setFixedSize(middle, kTitleSide);
}

void MainWindow::resizeBottomBar(int width)
{
    if (bottomBar)
        setBackgroundPicture(bottomBar,
                             scaledPicture(tr(kBottomBarPicture), width, kBottomBarHeight));
}

// ---- context menu objects -----------------------------------------------------------------------

void MainWindow::createMenus()
{
    contextMenu = new QMenu(this);
    contextMenu->setStyleSheet(kMenuStyle);
    viewMenu = new QMenu(tr("Views"), contextMenu);
    gamutMenu = new QMenu(tr("Gamut"), contextMenu);
    whiteMenu = new QMenu(tr("White"), contextMenu);
    gammaMenu = new QMenu(tr("Gamma"), contextMenu);
    chartMenu = new QMenu(tr("CIE Chart"), contextMenu);
    settingMenu = new QMenu(tr("Settings"), contextMenu);

    auto action = [this](const QString& text, bool checkable = false) {
        auto* a = new QAction(text, this);
        a->setCheckable(checkable);
        return a;
    };

    copyDataAction = action(tr("CopyData"));
    measureAllAction = action(tr("Measure ALL"));
    connect(measureAllAction, &QAction::triggered, this, &MainWindow::doMeasureAll);

    const char* const viewTexts[kPageCount] = {
        QT_TR_NOOP("Gray"),       QT_TR_NOOP("Gamut"),        QT_TR_NOOP("Saturation"),
        QT_TR_NOOP("ColorScale"), QT_TR_NOOP("ColorChecker"), QT_TR_NOOP("Free")};
    void (MainWindow::*const viewSlots[kPageCount])() = {
        &MainWindow::showGray,      &MainWindow::showGamut,    &MainWindow::showSaturation,
        &MainWindow::showColorLuma, &MainWindow::showColorChk, &MainWindow::showFree};
    for (int i = 0; i < kPageCount; ++i) {
        viewActions[i] = action(tr(viewTexts[i]), true);
        connect(viewActions[i], &QAction::triggered, this, viewSlots[i]);
    }

    calibrateSensorAction = action(tr("Calibrate Sensor"));

    // Reference entries are used as they stand, untranslated.
    const char* const standards[] = {"SMPTE-C",      "EBU",  "HDTVRec709",
                                     "UHDTV BT2020", "NTSC", "DCI-P3"};
    for (size_t i = 0; i < standardActions.size(); ++i)
        standardActions[i] = action(QString::fromLatin1(standards[i]), true);
    const char* const whites[] = {"D32", "D50", "D55", "D56", "D65", "D75",
                                  "D93", "A",   "B",   "C",   "E",   "DCI-P3"};
    for (size_t i = 0; i < whiteActions.size(); ++i)
        whiteActions[i] = action(QString::fromLatin1(whites[i]), true);
    const char* const gammas[] = {"1.0", "1.8", "2.0", "2.2",       "2.35",
                                  "2.4", "2.6", "2.8", "ITU_BT1886"};
    for (size_t i = 0; i < gammaActions.size(); ++i)
        gammaActions[i] = action(QString::fromLatin1(gammas[i]), true);
    chartActions[0] = action(QStringLiteral("1931"), true);
    chartActions[1] = action(QStringLiteral("1976"), true);

    detailAction = action(tr("Detail"));
    connectAction = action(tr("Connect Sensor"));
    openProfileAction = action(tr("Open Profile"));
    saveProfileAction = action(tr("Save Profile"));
    detachAction = action(tr("Detach Sensor"));
    importAction = action(tr("Import Data"));
    exportAction = action(tr("Export Data"));
    aboutAction = action(tr("About"));

    // Every command is listed, but disabled until its group connects it (connect*Commands).
    for (QAction* a : {copyDataAction, calibrateSensorAction, detailAction, connectAction,
                       openProfileAction, saveProfileAction, detachAction, importAction,
                       exportAction, aboutAction})
        a->setEnabled(false);
    for (QMenu* m : {gamutMenu, whiteMenu, gammaMenu, chartMenu})
        m->setEnabled(false);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    contextMenu->clear();
    viewMenu->clear();
    settingMenu->clear();
    gamutMenu->clear();
    gammaMenu->clear();
    whiteMenu->clear();
    chartMenu->clear();

    contextMenu->addAction(copyDataAction);
    contextMenu->addAction(measureAllAction);
    contextMenu->addSeparator();
    for (int i = 0; i < kPageCount; ++i) {
        viewActions[i]->setChecked(i == viewIndex);
        viewMenu->addAction(viewActions[i]);
    }
    contextMenu->addMenu(viewMenu);
    contextMenu->addSeparator();
    contextMenu->addAction(connectAction);
    contextMenu->addAction(openProfileAction);
    contextMenu->addAction(saveProfileAction);
    contextMenu->addAction(detachAction);
    contextMenu->addSeparator();
    contextMenu->addAction(importAction);
    contextMenu->addAction(exportAction);
    contextMenu->addSeparator();

    QSettings settings = platform::kwSettings();
    settings.beginGroup("reference");
    const int colorspace = settings.value("colorspace", 2).toInt();
    const int whitetarget = settings.value("whitetarget", -1).toInt();
    const int ciechart = settings.value("ciechart", 0).toInt();
    const int gammatype = settings.value("gammatype", 0).toInt();
    const double gamma =
        gammatype == 0 ? settings.value("gamma", 2.2222222222222223).toDouble() : 0.0;
    settings.endGroup();

    // The menu lists EBU first: its place counted from 0 is the colour standard's index.
    const int standardOrder[] = {1, 0, 2, 3, 4, 5};
    for (int place = 0; place < 6; ++place) {
        QAction* a = standardActions[size_t(standardOrder[place])];
        a->setChecked(colorspace == place);
        gamutMenu->addAction(a);
    }
    const double gammaValues[] = {1.0, 1.8, 2.0, 2.2, 2.35, 2.4, 2.6, 2.8};
    for (int i = 0; i < 8; ++i) {
        gammaActions[size_t(i)]->setChecked(gammatype == 0 && gamma == gammaValues[i]);
        gammaMenu->addAction(gammaActions[size_t(i)]);
    }
    gammaActions[8]->setChecked(gammatype == 1);
    gammaMenu->addAction(gammaActions[8]);
    const int ownWhite = Application::colorReference()->whiteIndex;
    for (int i = 0; i < int(whiteActions.size()); ++i) {
        const bool ticked = whitetarget == i || (whitetarget == -1 && ownWhite == i);
        whiteActions[size_t(i)]->setChecked(ticked);
        whiteMenu->addAction(whiteActions[size_t(i)]);
    }
    chartActions[0]->setChecked(ciechart == 0);
    chartActions[1]->setChecked(ciechart == 1);
    chartMenu->addAction(chartActions[0]);
    chartMenu->addAction(chartActions[1]);

    settingMenu->addMenu(gamutMenu);
    settingMenu->addMenu(gammaMenu);
    settingMenu->addMenu(whiteMenu);
    settingMenu->addMenu(chartMenu);
    settingMenu->addAction(detailAction);
    contextMenu->addMenu(settingMenu);
    contextMenu->addSeparator();
    contextMenu->addAction(calibrateSensorAction);
    contextMenu->addSeparator();
    contextMenu->addAction(aboutAction);

    contextMenu->exec(event->globalPos());
}

// ---- result pages -------------------------------------------------------------------------------

void MainWindow::createScene()
{
    graphicsView = new QGraphicsView;
    graphicsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    graphicsView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    graphicsView->setFrameShape(QFrame::NoFrame);
    mainLayout->addWidget(graphicsView);

    fullScene = new FullScene(pageWidth(), pageHeight(), measure);

    graphicsView->setMouseTracking(false);
    graphicsView->setScene(fullScene);
    graphicsView->setSceneRect(0, 0, pageWidth(), pageHeight());
    graphicsView->show();

    connect(measure, &Measure::measureStarted, fullScene, &FullScene::clearContent);
}

void MainWindow::showGray() { viewIndex = MeasureGray; showView(); }
void MainWindow::showGamut() { viewIndex = MeasureGamut; showView(); }
void MainWindow::showSaturation() { viewIndex = MeasureSaturation; showView(); }
void MainWindow::showColorLuma() { viewIndex = MeasureColorScale; showView(); }
void MainWindow::showColorChk() { viewIndex = MeasureColorChecker; showView(); }
void MainWindow::showFree() { viewIndex = MeasureFree; showView(); }

void MainWindow::showView()
{
    // A request during a slide has stored its page in viewIndex already; the running slide goes
    // on to it once it has landed, so the page shown always ends up being viewIndex.
    if (!slideReady)
        return;
    slideReady = false;
    while (viewIndex >= 0 && viewIndex < kPageCount) {
        const int page = viewIndex;
        titleButton->setText(tr(kPageTitles[page]));
        for (int i = 0; i < kPageCount; ++i) {
            pageButtons[size_t(i)]->setIcon(QIcon(i == page ? kPointSel : kPointNot));
            pageButtons[size_t(i)]->setIconSize(i == page ? kPageDotShown : kPageDotOther);
        }
        slideTo(int(graphicsView->sceneRect().x()), page * pageWidth());
        if (viewIndex == page)
            break;
    }
    slideReady = true;

    // Start and "Measure ALL" asked for during the slide run now, on the page they see.
    if (deferred != Deferred::None) {
        const Deferred what = deferred;
        deferred = Deferred::None;
        QTimer::singleShot(0, this, what == Deferred::Start ? &MainWindow::doStart
                                                             : &MainWindow::doMeasureAll);
    }
}

void MainWindow::slideTo(int from, int to)
{
    const int step = (to - from) / kSlideFrames; // truncates toward zero
    int x = from + step;
    for (int frame = 0; frame < kSlideFrames; ++frame) {
        graphicsView->setSceneRect(x, 0, pageWidth(), pageHeight());
        // Events (repaints, the engine's results) go on between frames; the wait sleeps on the
        // event queue instead of spinning through the frame. It is the program's hookable wait,
        // so a virtual clock counts the frames instead of living them.
        platform::delay(kSlideFrameMs);
        x += step;
    }
    // Lands exactly also when the distance is not a multiple of the frame count.
    graphicsView->setSceneRect(to, 0, pageWidth(), pageHeight());
}

void MainWindow::resizeEvent(QResizeEvent*)
{
    relayout(width(), height() - kPageHeightMargin);
}

void MainWindow::relayout(int width, int height)
{
    resizeTitleBar(width);
    // The pages are drawn for their size; a resize that leaves it as it is (the one the window
    // gets when it is first shown) need not draw all six again.
    if (width != fullScene->pageWidth() || height != fullScene->pageHeight())
        fullScene->setPageSize(width, height);
    graphicsView->setSceneRect(viewIndex * width, 0, width, height - 5);
    resizeBottomBar(width);
}

// ---- bottom bar ---------------------------------------------------------------------------------

void MainWindow::paintBottom()
{
    if (bottomBar) {
        // The old bar's stop button goes with it.
        for (int i = pictureButtons.size() - 1; i >= 0; --i)
            if (pictureButtons[i].button == stopButton)
                pictureButtons.removeAt(i);
        mainLayout->removeWidget(bottomBar);
        delete bottomBar;
    }
    bottomBar = new QWidget;
    bottomBar->setAutoFillBackground(true);
    bottomBar->setWindowFlags(Qt::FramelessWindowHint);
    bottomBar->setFixedHeight(kBottomBarHeight);
    auto* bar = new QHBoxLayout(bottomBar);
    bar->setContentsMargins(0, 0, 0, 0);
    mainLayout->addWidget(bottomBar);

    titleButton = new QPushButton(bottomBar);
    titleButton->setStyleSheet(
        "border-width: 1px; border-style: solid; border-color: rgb(0, 0, 0);");
    titleButton->setFixedSize(kTitleButtonSize);
    titleButton->setFont(titleFont());
    QPalette white;
    white.setBrush(QPalette::All, QPalette::ButtonText, QBrush(Qt::white));
    titleButton->setPalette(white);
    titleButton->setToolTip(tr("Press to open pattern window"));
    connect(titleButton, &QPushButton::clicked, measure, &Measure::showPattern);

    QPalette background;
    background.setBrush(QPalette::All, QPalette::Window,
                        QBrush(scaledPicture(tr(kBottomBarPicture), width(), kBottomBarHeight)));
    bottomBar->setPalette(background);

    auto* pageGroup = new QWidget(bottomBar);
    pageGroup->setFixedWidth(kPageGroupWidth);
    auto* pages = new QHBoxLayout(pageGroup);
    void (MainWindow::*const pageSlots[kPageCount])() = {
        &MainWindow::showGray,      &MainWindow::showGamut,    &MainWindow::showSaturation,
        &MainWindow::showColorLuma, &MainWindow::showColorChk, &MainWindow::showFree};
    for (int i = 0; i < kPageCount; ++i) {
        auto* b = new QPushButton(pageGroup);
        b->setStyleSheet(kTransparent);
        b->setFlat(true);
        b->setToolTip(tr(kPageTips[i]));
        if (i == viewIndex) {
            b->setIcon(QIcon(kPointSel));
            b->setIconSize(kPageDotShown);
            titleButton->setText(tr(kPageTitles[i]));
        } else {
            b->setIcon(QIcon(kPointNot));
            b->setIconSize(kPageDotOther);
        }
        pages->addWidget(b);
        pageButtons[size_t(i)] = b;
        connect(b, &QPushButton::clicked, this, pageSlots[i]);
    }

    auto* runGroup = new QWidget(bottomBar);
    runGroup->setWindowFlags(Qt::FramelessWindowHint);
    auto* run = new QHBoxLayout(runGroup);
    run->setContentsMargins(0, 0, 0, 0);
    startButton = toolButton(runGroup, kStartNot, kRunIconSize, tr("Start measurement"));
    stopButton = toolButton(runGroup, kStopNot, kRunIconSize, tr("Stop measurement"));
    run->addWidget(startButton);
    run->addWidget(stopButton);

    bar->addSpacing(10);
    bar->addWidget(titleButton, 0, Qt::AlignLeft);
    bar->addSpacing(-25);
    bar->addWidget(pageGroup, 0, Qt::AlignCenter);
    bar->addWidget(runGroup, 0, Qt::AlignRight);

    for (QPushButton* b : pageButtons)
        b->setFocusPolicy(Qt::NoFocus);

    // Start acts on press; stop shows its pressed face and acts on release (doStopMeasure puts
    // its rest face back).
    connect(startButton, &QPushButton::pressed, this, &MainWindow::doStart);
    connectPictureButton(stopButton, "button_stop", [this] { doStopMeasure(); });
}

void MainWindow::connectPictureButton(QPushButton* button, const char* picture,
                                      std::function<void()> command)
{
    pictureButtons.append({button, picture, std::move(command)});
    button->setEnabled(true);
    connect(button, &QPushButton::pressed, this, &MainWindow::doButPress);
    connect(button, &QPushButton::released, this, &MainWindow::doButRelease);
}

void MainWindow::doButPress()
{
    for (const PictureButton& b : pictureButtons) {
        if (b.button == sender()) {
            b.button->setIcon(QIcon(pressedPicture(b.picture)));
            return;
        }
    }
}

void MainWindow::doButRelease()
{
    for (const PictureButton& b : pictureButtons) {
        if (b.button == sender()) {
            // The face comes back before the command runs, so the button looks released while
            // a dialog of the command is open.
            b.button->setIcon(QIcon(restPicture(b.picture)));
            b.command();
            return;
        }
    }
}

// ---- end of life --------------------------------------------------------------------------------

void MainWindow::endRunBeforeClosing()
{
    // Only for a window destroyed without being closed; closing never waits (closeEvent).
    closeRequested = true;
    if (!measureThread || !measureThread->isRunning())
        return;
    // The sequence notices the stop request at its next patch. Until then it may be blocked in a
    // call handed to this thread (showing a colour), so keep handling events while waiting.
    measureThread->stopMeasure();
    while (measureThread->isRunning())
        platform::waitProcessingEvents(kRunPollMs);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (isMeasuring()) {
        // Never wait here: this handler may run inside a wait of the GUI thread that the worker
        // itself is blocked on (a colour being acknowledged, the generator's start wait), so
        // waiting for the worker would wait for ever. The close is refused for now, the run is
        // stopped, and the window closes once it has ended (closeWhenIdle). A further close
        // request meanwhile adds nothing.
        event->ignore();
        if (!closeRequested) {
            closeRequested = true;
            doStopMeasure();
        }
        return;
    }
    if (instrumentBusy()) {
        // An instrument command is connecting, closing or calibrating the instrument, and its
        // waits handle events: the window closes once it has ended (InstrumentCommand), and the
        // driver is closed then, once.
        event->ignore();
        closeRequested = true;
        return;
    }
    closeRequested = true;
    // The driver's close may wait while handling events; it is an operation of the engine, so a
    // further close meanwhile finds the instrument busy and is held, and close() runs once.
    measure->closeSensor();
    QCoreApplication::quit();
    event->accept();
}

void MainWindow::closeWhenIdle()
{
    if (!closeRequested || isMeasuring() || instrumentBusy())
        return;
    // Queued, so the close comes after the handler that noticed the end has returned.
    QTimer::singleShot(0, this, &QWidget::close);
}
