// Continuous spectra: the Gaussian, rectangular and Lorentzian lines and the
// signals they build, read back from the plots.
#include "mainwindow.h"
#include "modecontroller.h"
#include "submode.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>

using namespace TestSupport;

namespace {
const double InverseE = std::exp(-1.0);
const double Pi = 3.141592653589793;
} // namespace

class ContinuousTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { window.reset(); }

    void gaussianDefaults();
    void rectangleDefaults();
    void rectangleEdgesFollowExactComparisons_data();
    void rectangleEdgesFollowExactComparisons();
    void rectangleSignalIsSincWithExactMiddle();
    void lorentzianDefaults();
    void zeroCentreLeavesTheEnvelope();
    void keyboardEntryRedraws();
    void pickingAShapeRestoresItsDefaults();
    void unknownIndexOnlyRedraws();

private:
    void pickShape(int index) { pick(find<QComboBox>(window.get(), "comboBox"), index); }
    QCPGraph *spectrumGraph(int i) const { return spectrum->graph(i); }
    QCPGraph *signalGraph() const { return signal->graph(0); }
    void setCentre(double v) { centre->setValue(v); }
    void setWidth(double v) { width->setValue(v); }

    std::unique_ptr<MainWindow> window;
    QCustomPlot *spectrum = nullptr;
    QCustomPlot *signal = nullptr;
    QDoubleSpinBox *centre = nullptr;
    QDoubleSpinBox *width = nullptr;
};

void ContinuousTest::init()
{
    window = makeWindow();
    spectrum = find<QCustomPlot>(window.get(), "widget");
    signal = find<QCustomPlot>(window.get(), "widget_2");
    centre = find<QDoubleSpinBox>(window.get(), "doubleSpinBox");
    width = find<QDoubleSpinBox>(window.get(), "doubleSpinBox_2");
    QTest::mouseClick(find<QPushButton>(window.get(), "pushButton_3"), Qt::LeftButton);
}

void ContinuousTest::gaussianDefaults()
{
    QCOMPARE(centre->value(), 3.0);
    QCOMPARE(width->value(), 0.6);
    QCOMPARE(find<QLabel>(window.get(), "label_9")->text(), QString("Гауссов спектр"));
    QCOMPARE(find<QLabel>(window.get(), "label_2")->text(),
             QString("Ширина по уровню e<sup>-1</sup>"));

    QCOMPARE(spectrum->graphCount(), 2);
    const QVector<double> f = keys(spectrumGraph(0));
    const QVector<double> s = values(spectrumGraph(0));
    QCOMPARE(f.size(), 501);
    QCOMPARE(f.first(), 0.0);
    QCOMPARE(f.last(), 5.0);
    QCOMPARE(f.at(137), 137 * 0.01);
    QCOMPARE(s.at(300), 1.0);
    QVERIFY(std::fabs(s.at(270) - InverseE) < 1e-12);
    QVERIFY(std::fabs(s.at(330) - InverseE) < 1e-12);
    QCOMPARE(spectrumGraph(0)->lineStyle(), QCPGraph::lsLine);

    const QPen pen = spectrumGraph(0)->pen();
    QCOMPARE(pen.color(), QColor(Qt::blue));
    QCOMPARE(pen.width(), 3);
    QCOMPARE(pen.style(), Qt::SolidLine);
    QCOMPARE(pen.capStyle(), Qt::SquareCap);
    QCOMPARE(pen.joinStyle(), Qt::BevelJoin);

    QCOMPARE(keys(spectrumGraph(1)), QVector<double>({0, 1, 2, 3, 4, 5}));
    QCOMPARE(values(spectrumGraph(1)), QVector<double>(6, 0.36787944117144233));
    const QPen level = spectrumGraph(1)->pen();
    QCOMPARE(level.style(), Qt::DashLine);
    QCOMPARE(level.width(), 2);
    QCOMPARE(level.color(), QColor(255, 0, 0, 158));

    QCOMPARE(signal->graphCount(), 1);
    const QVector<double> t = keys(signalGraph());
    const QVector<double> y = values(signalGraph());
    QCOMPARE(t.size(), 1001);
    QCOMPARE(t.first(), -10.0);
    QCOMPARE(t.at(500), 0.0);
    QCOMPARE(t.last(), 10.0);
    QCOMPARE(y.at(500), 1.0);
    QCOMPARE(signalGraph()->pen().color(), QColor(Qt::red));
    QCOMPARE(signalGraph()->pen().width(), 3);
    // exp(-2 pi^2 s^2 t^2) cos(2 pi f0 t) with s = w / (2 sqrt 2)
    const double sigma = 0.6 / (2 * std::sqrt(2.0));
    for (int i : {0, 250, 480, 517, 777}) {
        const double expected =
            std::exp(-2 * Pi * Pi * sigma * sigma * t[i] * t[i]) * std::cos(2 * Pi * 3.0 * t[i]);
        QVERIFY(std::fabs(y[i] - expected) < 1e-12);
    }
    // The axes stay as the window set them.
    QCOMPARE(signal->xAxis->range().upper, 10.1);
    QCOMPARE(spectrum->yAxis->range().upper, 1.1);
}

void ContinuousTest::rectangleDefaults()
{
    pickShape(1);
    QCOMPARE(centre->value(), 3.0);
    QCOMPARE(width->value(), 0.4);
    QCOMPARE(find<QLabel>(window.get(), "label_9")->text(), QString("Прямоугольный спектр"));
    QCOMPARE(find<QLabel>(window.get(), "label_2")->text(), QString("Ширина"));
    QCOMPARE(spectrum->graphCount(), 1);
    QCOMPARE(spectrumGraph(0)->lineStyle(), QCPGraph::lsStepRight);
    const QVector<double> s = values(spectrumGraph(0));
    for (int i = 0; i < s.size(); ++i)
        QCOMPARE(s.at(i), (i >= 280 && i <= 320) ? 1.0 : 0.0);
}

void ContinuousTest::rectangleEdgesFollowExactComparisons_data()
{
    QTest::addColumn<double>("f0");
    QTest::addColumn<double>("w");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("1.0 by 0.3") << 1.0 << 0.3 << 85 << 114;
    QTest::newRow("3.0 by 0.01") << 3.0 << 0.01 << 300 << 300;
    QTest::newRow("at 0 Hz") << 0.0 << 0.4 << 0 << 20;
    QTest::newRow("at 5 Hz") << 5.0 << 1.0 << 450 << 500;
}

void ContinuousTest::rectangleEdgesFollowExactComparisons()
{
    QFETCH(double, f0);
    QFETCH(double, w);
    QFETCH(int, first);
    QFETCH(int, last);
    pickShape(1);
    setCentre(f0);
    setWidth(w);
    const QVector<double> s = values(spectrumGraph(0));
    QVector<int> ones;
    for (int i = 0; i < s.size(); ++i)
        if (s.at(i) == 1.0)
            ones << i;
    QVERIFY(!ones.isEmpty());
    QCOMPARE(ones.first(), first);
    QCOMPARE(ones.last(), last);
    QCOMPARE(ones.size(), last - first + 1);
}

void ContinuousTest::rectangleSignalIsSincWithExactMiddle()
{
    pickShape(1);
    for (double w : {0.4, 0.01, 3.0}) {
        setWidth(w);
        const QVector<double> t = keys(signalGraph());
        const QVector<double> y = values(signalGraph());
        QCOMPARE(y.at(500), 1.0);
        for (int i = 0; i < y.size(); ++i) {
            QVERIFY(std::isfinite(y[i]));
            if (i == 500)
                continue;
            const double x = Pi * w * t[i];
            QVERIFY(std::fabs(y[i] - std::sin(x) / x * std::cos(2 * Pi * 3.0 * t[i])) < 1e-12);
        }
    }
}

void ContinuousTest::lorentzianDefaults()
{
    pickShape(2);
    QCOMPARE(width->value(), 0.3);
    QCOMPARE(find<QLabel>(window.get(), "label_9")->text(), QString("Лоренцовский спектр"));
    QCOMPARE(find<QLabel>(window.get(), "label_2")->text(),
             QString("Ширина по уровню e<sup>-1</sup>"));
    QCOMPARE(spectrum->graphCount(), 2);
    const QVector<double> s = values(spectrumGraph(0));
    QCOMPARE(s.at(300), 1.0);
    QVERIFY(std::fabs(s.at(285) - InverseE) < 1e-12);
    QVERIFY(std::fabs(s.at(315) - InverseE) < 1e-12);

    const QVector<double> t = keys(signalGraph());
    const QVector<double> y = values(signalGraph());
    for (int i = 0; i < 500; ++i)
        QCOMPARE(y.at(i), 0.0);
    QCOMPARE(y.at(500), 1.0);
    const double g = 0.3 / (2 * std::sqrt(std::exp(1.0) - 1));
    QVERIFY(std::fabs(std::exp(-2 * Pi * g * 10.0) - 0.00075) < 0.00002);
    for (int i : {520, 700, 1000})
        QVERIFY(std::fabs(y[i] - std::exp(-2 * Pi * g * t[i]) * std::cos(2 * Pi * 3.0 * t[i])) <
                1e-12);
}

void ContinuousTest::zeroCentreLeavesTheEnvelope()
{
    setCentre(0.0);
    const QVector<double> s = values(spectrumGraph(0));
    QCOMPARE(s.at(0), 1.0);
    QVERIFY(std::fabs(s.at(30) - InverseE) < 1e-12);
    const QVector<double> t = keys(signalGraph());
    const QVector<double> y = values(signalGraph());
    const double sigma = 0.6 / (2 * std::sqrt(2.0));
    for (int i = 0; i < y.size(); ++i) {
        QVERIFY(y[i] > 0.0 || t[i] * t[i] > 20);
        QVERIFY(std::fabs(y[i] - std::exp(-2 * Pi * Pi * sigma * sigma * t[i] * t[i])) < 1e-12);
    }
    setCentre(5.0);
    QCOMPARE(values(spectrumGraph(0)).at(500), 1.0);
}

void ContinuousTest::keyboardEntryRedraws()
{
    const QString point = width->locale().decimalPoint();
    type(width, QStringLiteral("1") + point + QStringLiteral("5"));
    QCOMPARE(width->value(), 1.5);
    // The e^-1 crossings moved out to f0 -+ 0.75 Hz.
    const QVector<double> s = values(spectrumGraph(0));
    QVERIFY(std::fabs(s.at(225) - InverseE) < 1e-12);
    QVERIFY(std::fabs(s.at(375) - InverseE) < 1e-12);
    type(centre, QStringLiteral("9"));
    QVERIFY(centre->value() <= 5.0);
}

void ContinuousTest::pickingAShapeRestoresItsDefaults()
{
    setCentre(1.7);
    setWidth(2.2);
    pickShape(2);
    QCOMPARE(centre->value(), 3.0);
    QCOMPARE(width->value(), 0.3);
    setWidth(1.1);
    pickShape(2);
    QCOMPARE(width->value(), 0.3);
    pickShape(0);
    QCOMPARE(width->value(), 0.6);
}

void ContinuousTest::unknownIndexOnlyRedraws()
{
    Submode *submode = window->modeController()->currentSubmode();
    QPointer<QCPGraph> spectrumBefore = spectrumGraph(0);
    QPointer<QCPGraph> signalBefore = signalGraph();
    const QVector<double> before = values(spectrumGraph(0));
    submode->setParameter(7, 1.0);
    QVERIFY(!spectrumBefore);
    QVERIFY(!signalBefore);
    QCOMPARE(values(spectrumGraph(0)), before);
    QCOMPARE(centre->value(), 3.0);
    QCOMPARE(width->value(), 0.6);

    // Values from outside the controls are held to the boxes' ranges.
    submode->setParameter(1, 7.0);
    QCOMPARE(width->value(), 3.0);
    submode->setParameter(0, -2.0);
    QCOMPARE(centre->value(), 0.0);
}

QTEST_MAIN(ContinuousTest)
#include "tst_continuous.moc"
