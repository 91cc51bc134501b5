#include "shell/fullscene.h"

#include "measure/measure.h"
#include "ui/view/colorchkview.h"
#include "ui/view/colorlumaview.h"
#include "ui/view/freeview.h"
#include "ui/view/gamutview.h"
#include "ui/view/grayview.h"
#include "ui/view/saturatview.h"

#include <QBrush>

const QColor FullScene::Background(37, 37, 37);

FullScene::FullScene(int width, int height, Measure* measure, QObject* parent)
    : QGraphicsScene(parent)
    , parentObject(parent)
    , m_pageWidth(width)
    , m_pageHeight(height)
    , m_grayView(new GrayView(this, measure))
    , m_gamutView(new GamutView(this, measure))
    , m_colorChkView(new ColorChkView(this, measure))
    , m_saturatView(new SaturatView(this, measure))
    , m_colorLumaView(new ColorLumaView(this, measure))
    , m_freeView(new FreeView(this, measure))
    , measure(measure)
{
    // The pages grow by appending items while a run goes on and are thrown away whole at every
    // relayout; a spatial index would be rebuilt again and again, and over the dense markers of a
    // long gray run it costs far more memory than the items themselves.
    setItemIndexMethod(QGraphicsScene::NoIndex);
    // The engine reports from its worker thread; the automatic connection queues every result onto
    // the GUI thread, and each view ignores the modes of the others.
    if (measure) {
        for (BaseView* view : views())
            connect(measure, &Measure::colorMeasured, view, &BaseView::drawColor);
    }
    layoutViews();
}

FullScene::~FullScene()
{
    // The views are parentless; their items stay with the scene, which deletes them after this.
    delete m_freeView;
    delete m_colorLumaView;
    delete m_saturatView;
    delete m_colorChkView;
    delete m_gamutView;
    delete m_grayView;
}

void FullScene::layoutViews()
{
    // The tables leave the scene first, so that clearing the scene does not destroy them.
    for (BaseView* view : views())
        view->releaseDataTable();

    clear();
    setBackground();

    const int w = m_pageWidth;
    const int h = m_pageHeight;
    for (BaseView* view : views())
        view->setGeometry(view->mode() * w, w, h);
}

QList<BaseView*> FullScene::views() const
{
    return {m_grayView, m_gamutView, m_colorChkView, m_saturatView, m_colorLumaView, m_freeView};
}

void FullScene::setPageSize(int width, int height)
{
    m_pageWidth = width;
    m_pageHeight = height;
    layoutViews();
}

void FullScene::setBackground()
{
    setBackgroundBrush(QBrush(Background, Qt::SolidPattern));
}

BaseView* FullScene::view(int mode) const
{
    switch (mode) {
    case GrayView::Mode:
        return m_grayView;
    case GamutView::Mode:
        return m_gamutView;
    case SaturatView::Mode:
        return m_saturatView;
    case ColorLumaView::Mode:
        return m_colorLumaView;
    case ColorChkView::Mode:
        return m_colorChkView;
    case FreeView::Mode:
        return m_freeView;
    default:
        return nullptr;
    }
}

void FullScene::clearContent(int level)
{
    // Monitor calibration (7) and anything unexpected fall to the free page.
    BaseView* target = view(level);
    target = target ? target : m_freeView;
    target->clear();
    // A run of the other patch set fills the other list: the page is laid out for it first.
    if (target->layoutOutdated())
        layoutViews();
}
