// Continuous spectra: the Gaussian, rectangular and Lorentzian lines and the
// signals they build, read back from the plots.
#include "modecontroller.h"
#include "submode.h"
#include "testsupport.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>

using namespace TestSupport;

namespace {
const double Pi = 3.141592653589793;
enum Shape { Gaussian, Rectangle, Lorentzian };
const double defaultWidths[] = {0.6, 0.4, 0.3};
const QPen pen(Qt::GlobalColor colour)
{
    return QPen(QBrush(colour), 3, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}
} // namespace

class ContinuousTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        openWindow();
        centre = find<QDoubleSpinBox>("doubleSpinBox");
        width = find<QDoubleSpinBox>("doubleSpinBox_2");
        click("pushButton_3");
    }

    void shapes_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<double>("f0");
        QTest::addColumn<double>("w"); // 0: the shape's default, typed otherwise
        // The samples at the e^-1 level, or the first and last 1 of the rectangle.
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("Gaussian") << 0 << 3.0 << 0.0 << 270 << 330;
        QTest::newRow("Gaussian at 0 Hz") << 0 << 0.0 << 0.6 << -1 << 30;
        QTest::newRow("Gaussian 1.5 wide") << 0 << 3.0 << 1.5 << 225 << 375;
        QTest::newRow("rectangle") << 1 << 3.0 << 0.0 << 280 << 320;
        // The edges follow the exact double comparisons of i * 0.01 with
        // f0 - 0.5 * w and 0.5 * w + f0.
        QTest::newRow("rectangle 1.0 by 0.3") << 1 << 1.0 << 0.3 << 85 << 114;
        QTest::newRow("rectangle 3.0 by 0.01") << 1 << 3.0 << 0.01 << 300 << 300;
        QTest::newRow("rectangle at 0 Hz") << 1 << 0.0 << 0.4 << 0 << 20;
        QTest::newRow("rectangle at 5 Hz") << 1 << 5.0 << 1.0 << 450 << 500;
        QTest::newRow("widest rectangle") << 1 << 2.5 << 3.0 << 100 << 400;
        QTest::newRow("Lorentzian") << 2 << 3.0 << 0.0 << 285 << 315;
        QTest::newRow("Lorentzian at 5 Hz") << 2 << 5.0 << 1.0 << 450 << 501;
    }
    void shapes()
    {
        QFETCH(int, shape);
        QFETCH(double, f0);
        QFETCH(double, w);
        QFETCH(int, low);
        QFETCH(int, high);
        pickEntry(shape);
        QCOMPARE(centre->value(), 3.0);
        QCOMPARE(width->value(), defaultWidths[shape]);
        QCOMPARE(find<QLabel>("label_2")->text(), shape == Rectangle
                                                      ? QString("Ширина")
                                                      : QString("Ширина по уровню e<sup>-1</sup>"));
        type(centre, f0);
        if (w > 0)
            type(width, w);
        QCOMPARE(width->value(), w > 0 ? w : defaultWidths[shape]);

        const QVector<double> f = keys(spectrum->graph(0)), s = values(spectrum->graph(0));
        QCOMPARE(f.size(), 501);
        for (int i = 0; i < f.size(); ++i) {
            QCOMPARE(f[i], i * 0.01);
            if (shape == Rectangle)
                QCOMPARE(s[i], (i >= low && i <= high) ? 1.0 : 0.0);
            else if (i == low || i == high) // where the line meets the dashed level
                QVERIFY(std::fabs(s[i] - std::exp(-1.0)) < 1e-12);
        }
        QCOMPARE(s.at(qRound(f0 * 100)), 1.0);
        QCOMPARE(spectrum->graph(0)->pen(), pen(Qt::blue));
        QCOMPARE(spectrum->graph(0)->lineStyle(),
                 shape == Rectangle ? QCPGraph::lsStepRight : QCPGraph::lsLine);
        QCOMPARE(spectrum->graphCount(), shape == Rectangle ? 1 : 2);
        if (shape != Rectangle) {
            QCPGraph *const level = spectrum->graph(1);
            QCOMPARE(keys(level), QVector<double>({0, 1, 2, 3, 4, 5}));
            QCOMPARE(values(level), QVector<double>(6, 0.36787944117144233));
            QCOMPARE(level->pen().style(), Qt::DashLine);
            QCOMPARE(level->pen().width(), 2);
            QCOMPARE(level->pen().color(), QColor(255, 0, 0, 158));
        }
        verifySignal(shape);
    }

    void pickingAShapeRestoresItsDefaults()
    {
        centre->setValue(1.7);
        width->setValue(2.2);
        pickEntry(Lorentzian);
        QCOMPARE(centre->value(), 3.0);
        QCOMPARE(width->value(), 0.3);
        width->setValue(1.1);
        QPointer<QCPGraph> before = spectrum->graph(0);
        pickEntry(Lorentzian); // the entry already shown is built anew
        QVERIFY(!before);
        QCOMPARE(width->value(), 0.3);
        pickEntry(Gaussian);
        QCOMPARE(width->value(), 0.6);
    }

    void otherIndexOnlyRedraws()
    {
        Submode *submode = window->modeController()->currentSubmode();
        QPointer<QCPGraph> spectrumBefore = spectrum->graph(0), signalBefore = signal->graph(0);
        const QVector<double> before = values(spectrum->graph(0));
        submode->setParameter(7, 1.0);
        QVERIFY(!spectrumBefore && !signalBefore);
        QCOMPARE(values(spectrum->graph(0)), before);
        QCOMPARE(centre->value(), 3.0);
        QCOMPARE(width->value(), 0.6);
        // Values from outside the controls are held to the boxes' ranges.
        submode->setParameter(1, 7.0);
        QCOMPARE(width->value(), 3.0);
        submode->setParameter(0, -2.0);
        QCOMPARE(centre->value(), 0.0);
        verifySignal(Gaussian);
    }

private:
    // The signal plot holds the shape's analytic signal for the boxes' values.
    void verifySignal(int shape) const
    {
        const double f0 = centre->value(), w = width->value();
        const QVector<double> t = keys(signal->graph(0)), y = values(signal->graph(0));
        QCOMPARE(t.size(), 1001);
        QCOMPARE(y.at(500), 1.0);
        for (int i = 0; i < t.size(); ++i) {
            QVERIFY(std::fabs(t[i] - (i * 0.02 - 10.0)) < 1e-12);
            double envelope = 1.0;
            if (shape == Gaussian) // sigma = w / (2 sqrt 2)
                envelope = std::exp(-Pi * Pi * w * w * t[i] * t[i] / 4);
            else if (shape == Rectangle && i != 500)
                envelope = std::sin(Pi * w * t[i]) / (Pi * w * t[i]);
            else if (shape == Lorentzian) // g = w / (2 sqrt(e - 1))
                envelope = t[i] < 0 ? 0 : std::exp(-Pi * w * t[i] / std::sqrt(std::exp(1.0) - 1));
            QVERIFY2(std::fabs(y[i] - envelope * std::cos(2 * Pi * f0 * t[i])) < 1e-12,
                     qPrintable(QString::number(t[i])));
        }
        QCOMPARE(signal->graph(0)->pen(), pen(Qt::red));
    }

    QDoubleSpinBox *centre = nullptr;
    QDoubleSpinBox *width = nullptr;
};

QTEST_MAIN(ContinuousTest)
#include "tst_continuous.moc"
