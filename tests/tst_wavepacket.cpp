// The wave packet: count, centre and step under the fit rule that keeps the
// packet inside 0..5 Hz, and dragging the whole packet with the mouse.
#include "equdistant.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>

using namespace TestSupport;

class WavePacketTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { window.reset(); }
    void defaultsOnEntry();
    void fitRule_data();
    void fitRule();
    void refusedCountAndStepComeBack();
    void newPacketStartsFromWhatFits();
    void pressPicksTheLowestWithinReach();
    void dragMovesOnTheGridAndIsRefusedAsAWhole();
    void countLoweredDuringADragEndsIt();
    void destroyedPacketLeavesTheTimeAxisAtTen();

private:
    QVector<double> harmonics() const { return keys(spectrum->graph(0)); }
    // True when the plots show exactly the packet that the boxes hold.
    bool showsTheBoxes() const;
    void dragHeld(double from, double to)
    {
        press(spectrum, pixelOf(spectrum, from, 0.5));
        move(spectrum, pixelOf(spectrum, to, 0.5));
        release(spectrum, pixelOf(spectrum, to, 0.5));
    }

    std::unique_ptr<MainWindow> window;
    QCustomPlot *spectrum = nullptr;
    QCustomPlot *signal = nullptr;
    QSpinBox *count = nullptr;
    QDoubleSpinBox *centre = nullptr;
    QDoubleSpinBox *step = nullptr;
};

void WavePacketTest::init()
{
    window = makeWindow();
    spectrum = find<QCustomPlot>(window.get(), "widget");
    signal = find<QCustomPlot>(window.get(), "widget_2");
    count = find<QSpinBox>(window.get(), "spinBox");
    centre = find<QDoubleSpinBox>(window.get(), "doubleSpinBox_9");
    step = find<QDoubleSpinBox>(window.get(), "doubleSpinBox_10");
    QTest::mouseClick(find<QPushButton>(window.get(), "pushButton_2"), Qt::LeftButton);
    pick(find<QComboBox>(window.get(), "comboBox"), 1);
}

bool WavePacketTest::showsTheBoxes() const
{
    const int n = count->value();
    const QVector<double> f = harmonics();
    const QVector<double> t = keys(signal->graph(0));
    const QVector<double> s = values(signal->graph(0));
    bool same = f.size() == n && t.size() == 1001 && s.at(500) == 1.0;
    for (int i = 0; same && i < n; ++i)
        same = std::fabs(f[i] - (centre->value() + (i - (n - 1) / 2.0) * step->value())) < 1e-9;
    for (int j = 0; same && j < t.size(); ++j) {
        double mean = 0.0;
        for (double fk : f)
            mean += std::cos(2 * M_PI * fk * t[j]) / n;
        same = std::fabs(t[j] - (j * 0.02 - 10.0)) < 1e-12 && std::fabs(s[j] - mean) < 1e-9;
    }
    return same;
}

void WavePacketTest::defaultsOnEntry()
{
    QCOMPARE(find<QLabel>(window.get(), "label_9")->text(), QString("Волновой пакет"));
    QCOMPARE(count->value(), 20);
    QCOMPARE(centre->value(), 4.0);
    QCOMPARE(step->value(), 0.02);
    QVERIFY(showsTheBoxes());
    QVERIFY(std::fabs(harmonics().first() - 3.81) < 1e-12);
    QVERIFY(!harmonics().contains(4.0));
    QCOMPARE(values(spectrum->graph(0)), QVector<double>(20, 1.0));
    QVERIFY(std::fabs(values(signal->graph(0)).first()) < 1e-9);
    QVERIFY(!spectrum->legend->visible());

    QCPGraph *const graph = spectrum->graph(0);
    QCOMPARE(spectrum->graphCount(), 1);
    QCOMPARE(graph->lineStyle(), QCPGraph::lsImpulse);
    QCOMPARE(graph->scatterStyle().shape(), QCPScatterStyle::ssCircle);
    QCOMPARE(graph->scatterStyle().size(), 6.0);
    QCOMPARE(graph->pen().color(), QColor(Qt::blue));
    QCOMPARE(graph->pen().width(), 1);
    QCOMPARE(signal->graph(0)->pen().width(), 3);
}

void WavePacketTest::fitRule_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<bool>("fits");
    QTest::newRow("defaults at 0.3") << 20 << 0.3 << 0.02 << true;
    QTest::newRow("defaults at 0.2") << 20 << 0.2 << 0.02 << false;
    QTest::newRow("defaults at 4.7") << 20 << 4.7 << 0.02 << true;
    QTest::newRow("defaults at 4.8") << 20 << 4.8 << 0.02 << false;
    QTest::newRow("odd count touches 0") << 3 << 0.1 << 0.1 << true;
    QTest::newRow("odd count touches 5") << 5 << 4.8 << 0.1 << true;
    QTest::newRow("even count keeps a step clear") << 2 << 0.1 << 0.1 << false;
    QTest::newRow("one at 0, constant signal") << 1 << 0.0 << 0.01 << true;
    QTest::newRow("one at 5") << 1 << 5.0 << 0.1 << true;
    QTest::newRow("50 narrow at 0.6") << 50 << 0.6 << 0.02 << true;
    QTest::newRow("50 narrow at 0.5") << 50 << 0.5 << 0.02 << false;
    QTest::newRow("50 narrow at 4.4") << 50 << 4.4 << 0.02 << true;
    QTest::newRow("50 narrow at 4.5") << 50 << 4.5 << 0.02 << false;
    QTest::newRow("49 wide, 1 at both ends") << 49 << 2.5 << 0.1 << true;
    QTest::newRow("49 wide past 5") << 49 << 2.7 << 0.1 << false;
    QTest::newRow("20 wide, -1 at both ends") << 20 << 2.5 << 0.1 << true;
}

void WavePacketTest::fitRule()
{
    QFETCH(int, n);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(bool, fits);
    QCOMPARE(Equdistant::fits(n, a, b), fits);

    // The same through the window, by a road on which every change fits.
    count->setValue(1);
    centre->setValue(2.5);
    step->setValue(b);
    count->setValue(n);
    centre->setValue(a);
    QCOMPARE(count->value(), n);
    QCOMPARE(centre->value(), fits ? a : 2.5);
    QVERIFY(showsTheBoxes());
    const QVector<double> s = values(signal->graph(0));
    if (n == 1 && a == 0.0)
        QCOMPARE(s, QVector<double>(1001, 1.0));
    if (b == 0.1 && a == 2.5) // the packet repeats every 10 s
        QVERIFY(std::fabs(s.first() - (n % 2 ? 1.0 : -1.0)) < 1e-9 && s.first() == s.last());
}

void WavePacketTest::refusedCountAndStepComeBack()
{
    type(centre, QString::number(4) + centre->locale().decimalPoint() + "7");
    QCOMPARE(centre->value(), 4.7);
    centre->setValue(4.8);
    QCOMPARE(centre->value(), 4.7);
    centre->setValue(4.0);
    step->setValue(0.05);
    type(step, QString::number(0) + step->locale().decimalPoint() + "1");
    QCOMPARE(step->value(), 0.05);
    QVERIFY(showsTheBoxes());

    count->setValue(1);
    centre->setValue(2.5);
    step->setValue(0.1);
    count->setValue(20);
    count->setValue(50); // fits no centre at this step
    QCOMPARE(count->value(), 20);
    QVERIFY(showsTheBoxes());
}

void WavePacketTest::newPacketStartsFromWhatFits()
{
    // A wide packet left in the boxes refuses the default centre; its centre
    // stays, and is what a later refusal returns to.
    count->setValue(1);
    centre->setValue(2.5);
    step->setValue(0.1);
    count->setValue(45);
    pick(find<QComboBox>(window.get(), "comboBox"), 1);
    QCOMPARE(count->value(), 20);
    QCOMPARE(centre->value(), 2.5);
    QCOMPARE(step->value(), 0.02);
    centre->setValue(4.9);
    QCOMPARE(centre->value(), 2.5);
    QVERIFY(showsTheBoxes());

    step->setValue(0.05);
    pick(find<QComboBox>(window.get(), "comboBox"), 1);
    QCOMPARE(centre->value(), 4.0);
    QCOMPARE(step->value(), 0.02);
}

void WavePacketTest::pressPicksTheLowestWithinReach()
{
    count->setValue(1);
    int inside = pixelOf(spectrum, 4.0, 0.2).x();
    while (std::fabs(spectrum->xAxis->pixelToCoord(inside + 1) - 4.0) < 0.03)
        ++inside;
    QVERIFY(std::fabs(spectrum->xAxis->pixelToCoord(inside) - 4.03) < 0.01);
    dragHeld(spectrum->xAxis->pixelToCoord(inside + 1), 3.02);
    QCOMPARE(centre->value(), 4.0);
    dragHeld(spectrum->xAxis->pixelToCoord(inside), 3.02);
    QCOMPARE(centre->value(), 3.0);

    // Every 0.01 Hz: of the six within reach of 4.0 Hz the lowest, 3.975, is
    // held, so a pointer at 4.235 means a shift of 0.3.
    count->setValue(20);
    centre->setValue(4.0);
    step->setValue(0.01);
    dragHeld(4.0, 4.235);
    QCOMPARE(centre->value(), 4.3);
    QVERIFY(showsTheBoxes());
}

void WavePacketTest::dragMovesOnTheGridAndIsRefusedAsAWhole()
{
    press(spectrum, pixelOf(spectrum, 4.19, 1.0)); // holds 4.17, the lowest in reach
    // Pointer, then the centre: 4.8 would leave 5 Hz though 4.7 would fit.
    const double steps[][2] = {{4.70, 4.5}, {5.00, 4.5}, {6.00, 4.5}, {4.47, 4.3},
                               {4.47, 4.3}, {-1.0, 4.3}, {0.50, 0.3}, {0.30, 0.3}};
    for (const auto &s : steps) {
        move(spectrum, pixelOf(spectrum, s[0], 0.9));
        QCOMPARE(centre->value(), s[1]);
        QVERIFY(showsTheBoxes());
    }
    release(spectrum, pixelOf(spectrum, 0.3, 0.9));
    move(spectrum, pixelOf(spectrum, 2.0, 0.9));
    QCOMPARE(centre->value(), 0.3);
    dragHeld(3.0, 4.0); // far from every harmonic
    QCOMPARE(centre->value(), 0.3);
}

void WavePacketTest::countLoweredDuringADragEndsIt()
{
    press(spectrum, pixelOf(spectrum, 4.19, 1.0));
    type(count, QStringLiteral("5"));
    move(spectrum, pixelOf(spectrum, 4.5, 1.0)); // the held harmonic is gone
    QCOMPARE(centre->value(), 4.0);
    count->setValue(20); // its index exists again, but the drag is over
    move(spectrum, pixelOf(spectrum, 4.5, 1.0));
    QCOMPARE(centre->value(), 4.0);
    QVERIFY(showsTheBoxes());
}

void WavePacketTest::destroyedPacketLeavesTheTimeAxisAtTen()
{
    QCOMPARE(signal->xAxis->range().upper, 10.1);
    QTest::mouseClick(find<QPushButton>(window.get(), "pushButton"), Qt::LeftButton);
    QCOMPARE(signal->xAxis->range().lower, -10.0);
    QCOMPARE(signal->xAxis->range().upper, 10.0);
    QCOMPARE(harmonics().size(), 20); // the last graphs stay
}

QTEST_MAIN(WavePacketTest)
#include "tst_wavepacket.moc"
