#pragma once
// One result page on a scene of its own, laid out where the result scene lays it out (its mode's
// column), fed as the engine feeds it and drawn into an image.

#include "measure/measure.h"
#include "styledrundir.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>

template <typename View>
struct ViewPage
{
    // `results` is the engine's list this page shows.
    ViewPage(Measure::ResultList results, int width, int height)
        : view(&scene, &measure), results(results), width(width), height(height)
    {
        relayout();
    }
    ~ViewPage() { flushDeferredDeletes(); }

    // Deletes what the page handed to deleteLater().
    static void flushDeferredDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    int left() const { return View::Mode * width; }

    // Lays the page out afresh on an emptied scene, as a resize of the result scene does.
    void relayout()
    {
        view.releaseDataTable();
        scene.clear();
        view.setGeometry(left(), width, height);
        flushDeferredDeletes();
    }

    // Holds the list `which` up to `count` entries as the engine does, then notifies the page.
    void measureUpTo(Measure::ResultList which, const QList<CColor>& list, int count)
    {
        measure.setResults(which, list.mid(0, count));
        view.drawColor(View::Mode);
    }

    void measureUpTo(const QList<CColor>& list, int count) { measureUpTo(results, list, count); }

    // A whole run: one notification per entry of `list`.
    void run(Measure::ResultList which, const QList<CColor>& list)
    {
        for (int k = 1; k <= list.size(); ++k)
            measureUpTo(which, list, k);
    }
    void run(const QList<CColor>& list) { run(results, list); }

    // The page as drawn on the program's background, once the tables have laid themselves out
    // (scroll bars included) in the event loop.
    QImage render()
    {
        for (int pass = 0; pass < 3; ++pass)
            QCoreApplication::processEvents();
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(QColor(37, 37, 37));
        QPainter painter(&image);
        scene.render(&painter, QRectF(0, 0, width, height), QRectF(left(), 0, width, height));
        return image;
    }

    Measure measure;
    QGraphicsScene scene;
    View view;
    Measure::ResultList results;
    int width;
    int height;
};
