#pragma once

#include "charts/ChartArea.h"
#include "seams/MessageBoxes.h"
#include "state/GVarMod.h"
#include "support/ScriptedSeams.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QStringList>
#include <QTest>

#include <functional>

// Message boxes answered by the test; every text shown is kept.
inline const QRgb kBack = qRgb(224, 224, 224);
inline const QRgb kSilver = qRgb(192, 192, 192);
inline const QRgb kBlack = qRgb(0, 0, 0);
inline const QRgb kRed = qRgb(255, 0, 0);
inline const QRgb kMarker = qRgb(0, 255, 0);

// Stores count readings (value(n) for record n, texts naming the record) and moves the page to the
// newest one.
inline void storeReadings(GVarMod& s, int count, const std::function<double(int)>& value) {
    for (int i = 0; i < count; ++i) {
        Reading& r = s.AppendRecord();
        r.Value = value(r.No);
        r.Data = QString::number(r.Value);
        r.Unit = QStringLiteral("m/s");
        r.TRH = QStringLiteral("T%1").arg(r.No);
        r.Time = QStringLiteral("t%1").arg(r.No);
    }
    s.ApplyLivePage();
}

// A chart's drawing as the screen shows it, inner pixels.
inline QImage plotImage(ChartArea& area) {
    return area.Inside()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A green pixel on the drawing that only erasing removes: it tells whether a repaint happened.
inline void markPlot(ChartArea& area) {
    area.Canvas().setPixel(3, 3, kMarker);
}
inline bool repaintedSinceMark(const ChartArea& area) {
    return area.Canvas().pixel(3, 3) != kMarker;
}

// The filled circle of radius 2 around (x, y).
inline bool dotAt(const QImage& img, int x, int y) {
    for (const QPoint d : {QPoint(0, 0), QPoint(2, 0), QPoint(-2, 0), QPoint(0, 2), QPoint(0, -2)})
        if (img.pixel(x + d.x(), y + d.y()) != kRed)
            return false;
    return true;
}

// Chooses an entry of a drop-down list with the mouse, as the user does.
inline void pickFromList(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->showPopup();
    QAbstractItemView* view = box->view();
    QTRY_VERIFY(view->isVisible());
    const QPoint at = view->visualRect(view->model()->index(index, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->isVisible());
}
