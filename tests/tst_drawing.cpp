// The drawn spectrum: strokes made with real mouse events on the spectrum plot,
// the spline and the synthesised signal read back from the plots.
#include "mainwindow.h"
#include "modecontroller.h"
#include "spline.h"
#include "submode.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>
#include <qcustomplot.h>

using namespace TestSupport;

namespace {
const double TwoPi = 6.283185307179586;
} // namespace

class DrawingTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { window.reset(); }

    void opensWithHintAndEmptyPlots();
    void strokeKeepsPointsFurtherRightOnTheBorder();
    void fewPointsFinishAsImpulses_data();
    void fewPointsFinishAsImpulses();
    void secondStrokeWaitsForClearing();
    void clearingDuringAStrokeStartsItAfresh();
    void signalIsTheCosineSumOfTheSpline();
    void gaussianStrokeBuildsItsCarrier();
    void strokeAtZeroGivesTheZeroSignal();

private:
    QPoint at(double f, double a) const { return pixelOf(spectrum, f, a); }
    // The drawn point that a press or move at this pixel must add.
    QPointF point(QPoint pixel) const
    {
        return QPointF(qBound(0.0, spectrum->xAxis->pixelToCoord(pixel.x()), 5.0),
                       qBound(0.0, spectrum->yAxis->pixelToCoord(pixel.y()), 1.0));
    }
    void stroke(const QVector<QPoint> &pixels, bool finish = true)
    {
        press(spectrum, pixels.first());
        for (QPoint p : pixels.mid(1))
            move(spectrum, p);
        if (finish)
            release(spectrum, pixels.last());
    }
    QVector<double> drawnKeys() const { return keys(spectrum->graph(0)); }
    QVector<double> drawnValues() const { return values(spectrum->graph(0)); }
    QLabel *hint() const { return find<QLabel>(window.get(), "label_28"); }
    void clickClear()
    {
        QTest::mouseClick(find<QPushButton>(window.get(), "pushButton_5"), Qt::LeftButton);
    }

    std::unique_ptr<MainWindow> window;
    QCustomPlot *spectrum = nullptr;
    QCustomPlot *signal = nullptr;
};

void DrawingTest::init()
{
    window = makeWindow();
    spectrum = find<QCustomPlot>(window.get(), "widget");
    signal = find<QCustomPlot>(window.get(), "widget_2");
    QTest::mouseClick(find<QPushButton>(window.get(), "pushButton_3"), Qt::LeftButton);
    pick(find<QComboBox>(window.get(), "comboBox"), 3);
}

void DrawingTest::opensWithHintAndEmptyPlots()
{
    QCOMPARE(window->modeController()->currentSubmode()->submodeKind(), int(Submode::Drawn));
    QCOMPARE(find<QStackedWidget>(window.get(), "stackedWidget_2")->currentWidget()->objectName(),
             QString("page_4"));
    QCOMPARE(find<QLabel>(window.get(), "label_9")->text(), QString("Произвольный спектр"));
    QVERIFY(hint()->isVisible());
    QCOMPARE(spectrum->graphCount(), 1);
    QCOMPARE(spectrum->graph(0)->dataCount(), 0);
    QCOMPARE(signal->graphCount(), 0);
    pick(find<QComboBox>(window.get(), "comboBox"), 0);
    QVERIFY(hint()->isHidden());
}

void DrawingTest::strokeKeepsPointsFurtherRightOnTheBorder()
{
    const QRect rect = spectrum->axisRect()->rect();
    const QPoint start = at(1.0, 0.2), kept = at(2.5, 1.04);
    stroke({start, at(0.5, 0.9), kept, at(1.5, 0.3), QPoint(kept.x(), at(0, 0.5).y())}, false);
    QVERIFY(hint()->isHidden());
    QCOMPARE(drawnKeys(), QVector<double>({point(start).x(), point(kept).x()}));
    QCOMPARE(drawnValues(), QVector<double>({point(start).y(), 1.0})); // 1.0 to 1.1 counts as 1
    QCOMPARE(spectrum->graph(0)->lineStyle(), QCPGraph::lsLine);
    QCOMPARE(signal->graphCount(), 0);
    // Past the right edge and below the plot: the stroke ends at (5 Hz, 0).
    move(spectrum, rect.bottomRight() + QPoint(40, 25));
    move(spectrum, rect.bottomRight() + QPoint(80, 5));
    QCOMPARE(drawnKeys().last(), 5.0);
    QCOMPARE(drawnValues().last(), 0.0);
    QCOMPARE(drawnKeys().size(), 3);
    release(spectrum, rect.bottomRight());
    QCOMPARE(drawnKeys().size(), 501);
    QCOMPARE(signal->graphCount(), 1);
    QCOMPARE(signal->graph(0)->pen().color(), QColor(Qt::red));
}

void DrawingTest::fewPointsFinishAsImpulses_data()
{
    QTest::addColumn<QVector<double>>("frequencies");
    QTest::newRow("click without a move") << QVector<double>{2.5};
    QTest::newRow("click left of the axes") << QVector<double>{-0.1};
    QTest::newRow("two points, then leftward") << QVector<double>{1.0, 4.0, 3.0, 0.5};
}

void DrawingTest::fewPointsFinishAsImpulses()
{
    QFETCH(QVector<double>, frequencies);
    QVector<QPoint> pixels;
    for (double f : frequencies)
        pixels << at(f, 0.6);
    stroke(pixels);
    QCOMPARE(spectrum->graph(0)->lineStyle(), QCPGraph::lsImpulse);
    QCOMPARE(drawnKeys().size(), std::min(frequencies.size(), 2));
    for (int i = 0; i < drawnKeys().size(); ++i)
        QCOMPARE(QPointF(drawnKeys()[i], drawnValues()[i]), point(pixels[i]));
    QCOMPARE(signal->graphCount(), 0);
}

void DrawingTest::secondStrokeWaitsForClearing()
{
    stroke({at(0.5, 0.1), at(1.0, 0.7), at(1.5, 0.3), at(2.0, 0.8)});
    const QVector<double> before = drawnValues();
    hint()->show(); // a refused press still hides it
    const QVector<QPoint> second{at(3.0, 0.9), at(3.5, 0.2), at(4.0, 0.9)};
    stroke(second);
    QVERIFY(hint()->isHidden());
    QCOMPARE(drawnValues(), before);

    window->modeController()->currentSubmode()->setParameter(0, 0.5); // not a clearing
    QCOMPARE(drawnValues(), before);
    clickClear();
    QCOMPARE(spectrum->graph(0)->dataCount(), 0);
    QCOMPARE(spectrum->graph(0)->lineStyle(), QCPGraph::lsLine);
    QCOMPARE(signal->graphCount(), 0);
    QVERIFY(hint()->isHidden());
    stroke(second);
    QCOMPARE(drawnValues().at(290), 0.0);
    QCOMPARE(signal->graphCount(), 1);
}

void DrawingTest::clearingDuringAStrokeStartsItAfresh()
{
    // "Очистить спектр" can be pressed from the keyboard while the mouse
    // button is still held on the plot.
    stroke({at(2.0, 0.5), at(3.0, 0.5)}, false);
    clickClear();
    QCOMPARE(spectrum->graph(0)->dataCount(), 0);
    move(spectrum, at(1.0, 0.3));
    QCOMPARE(drawnKeys(), QVector<double>({point(at(1.0, 0.3)).x()}));
    move(spectrum, at(1.5, 0.6));
    move(spectrum, at(2.5, 0.6));
    release(spectrum, at(2.5, 0.6));
    QCOMPARE(drawnKeys().size(), 501);
}

void DrawingTest::signalIsTheCosineSumOfTheSpline()
{
    // A quick stroke: few points far apart, so the spline swings beyond 0..1.
    stroke({at(0.4, 0.1), at(0.9, 0.95), at(1.3, 0.05), at(2.6, 0.6), at(2.7, 0.65)}, false);
    const QVector<double> x = drawnKeys(), y = drawnValues();
    release(spectrum, at(2.7, 0.65));
    QVector<double> b, c, d;
    Spline::fitNatural(x, y, b, c, d);
    const QVector<double> s = drawnValues();
    double lowest = 0.0;
    for (int i = 0; i <= 500; ++i) {
        QCOMPARE(drawnKeys()[i], i * 0.01);
        QCOMPARE(s[i], Spline::valueAt(x, y, b, c, d, i * 0.01));
        lowest = std::min(lowest, s[i]);
    }
    QCOMPARE(s[39], 0.0);
    QCOMPARE(s[271], 0.0);
    QVERIFY(lowest < 0.0);

    const QVector<double> t = keys(signal->graph(0)), signalValues = values(signal->graph(0));
    QCOMPARE(t.size(), 4097);
    QVector<double> sum(t.size(), 0.0);
    double largest = 0.0, worst = 0.0;
    for (int j = 0; j < t.size(); ++j) {
        QCOMPARE(t[j], (j - 2048) * 0.0244140625); // -50 s to +50 s
        for (int n = 0; n <= 500; ++n)
            sum[j] += s[n] * std::cos(TwoPi * n * 0.01 * t[j]);
        largest = std::max(largest, std::fabs(sum[j]));
    }
    for (int j = 0; j < t.size(); ++j)
        worst = std::max(worst, std::fabs(signalValues[j] - sum[j] / largest));
    QVERIFY2(worst < 1e-9, qPrintable(QString::number(worst)));
    double peak = 0.0;
    for (double v : signalValues)
        peak = std::max(peak, std::fabs(v));
    QCOMPARE(peak, 1.0);
}

void DrawingTest::gaussianStrokeBuildsItsCarrier()
{
    // The "Гауссов" line at 3 Hz, 0.6 Hz wide at 1/e, drawn every 3 pixels,
    // must build that line's signal: exp(-2 pi^2 s^2 t^2) cos(2 pi 3 t).
    const double f0 = 3.0, s = 0.6 / (2 * std::sqrt(2.0));
    QVector<QPoint> pixels;
    for (int px = at(0.0, 0).x(); px <= at(5.0, 0).x() + 3; px += 3) {
        const double f = spectrum->xAxis->pixelToCoord(px);
        pixels << at(f, std::exp(-(f - f0) * (f - f0) / (2 * s * s)));
    }
    stroke(pixels);
    const QVector<double> t = keys(signal->graph(0)), y = values(signal->graph(0));
    for (int j = 2048 - 409; j <= 2048 + 409; ++j) { // -10 s to 10 s
        const double expected =
            std::exp(-TwoPi * TwoPi / 2 * s * s * t[j] * t[j]) * std::cos(TwoPi * f0 * t[j]);
        QVERIFY2(std::fabs(y[j] - expected) < 0.005, qPrintable(QString::number(t[j])));
    }
}

void DrawingTest::strokeAtZeroGivesTheZeroSignal()
{
    const int below = spectrum->axisRect()->rect().bottom() + 30;
    stroke({QPoint(at(1.0, 0).x(), below), at(2.0, 0.0), QPoint(at(4.0, 0).x(), below)});
    QCOMPARE(drawnValues(), QVector<double>(501, 0.0));
    QCOMPARE(keys(signal->graph(0)).size(), 4097);
    QCOMPARE(values(signal->graph(0)), QVector<double>(4097, 0.0));
}

QTEST_MAIN(DrawingTest)
#include "tst_drawing.moc"
