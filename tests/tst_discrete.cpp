// Discrete spectra: separate harmonics (the three examples, editing one
// harmonic by its boxes or by dragging its marker) and the wave packet (the fit
// rule that keeps it inside 0..5 Hz, dragging the whole packet).
#include "equdistant.h"
#include "modecontroller.h"
#include "submode.h"
#include "testsupport.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>

using namespace TestSupport;
using Doubles = QVector<double>;

namespace {
// The example that each count loads: frequencies, then amplitudes.
const Doubles classic[][2] = {
    {{0.2}, {1.0}}, {{1.0, 1.1}, {1.0, 1.0}}, {{2.9, 3.0, 3.1}, {0.5, 1.0, 0.5}}};
} // namespace

class DiscreteTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        openWindow();
        harmonics = find<QSpinBox>("spinBox_2");
        harmonic = find<QSpinBox>("spinBox_3");
        frequency = find<QDoubleSpinBox>("doubleSpinBox_3");
        amplitude = find<QDoubleSpinBox>("doubleSpinBox_4");
        count = find<QSpinBox>("spinBox");
        centre = find<QDoubleSpinBox>("doubleSpinBox_9");
        step = find<QDoubleSpinBox>("doubleSpinBox_10");
        click("pushButton_2");
    }

    void countLoadsItsExampleAndDiscardsEdits_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("to");
        // Lowering the count below the selection narrows the harmonic box,
        // whose echo selects anew before the example is loaded.
        QTest::newRow("3, third, to 1") << 3 << 3 << 1;
        QTest::newRow("3, third, to 2") << 3 << 3 << 2;
        QTest::newRow("2, second, to 3") << 2 << 2 << 3;
        QTest::newRow("1, to 3 typed") << 1 << 1 << -3;
    }
    void countLoadsItsExampleAndDiscardsEdits()
    {
        QFETCH(int, from);
        QFETCH(int, selected);
        QFETCH(int, to);
        harmonics->setValue(from);
        harmonic->setValue(selected);
        type(frequency, 4.4);
        amplitude->setValue(0.0);
        Doubles f = classic[from - 1][0], a = classic[from - 1][1];
        f[selected - 1] = 4.4;
        a[selected - 1] = 0.0;
        verifyHarmonics(f, a, selected); // only the selected harmonic moved
        if (to < 0)
            type(harmonics, QString::number(to = -to));
        else
            harmonics->setValue(to);
        verifyHarmonics(classic[to - 1][0], classic[to - 1][1]);
        const char *const titles[] = {"Гармонический сигнал", "Картина биений",
                                      "Амплитудная модуляция"};
        QCOMPARE(find<QLabel>("label_9")->text(), QString::fromUtf8(titles[to - 1]));
        QCOMPARE(spectrum->legend->itemCount(), to);
        const QColor colours[] = {Qt::black, Qt::blue, Qt::red};
        for (int i = 0; i < to; ++i) {
            QCPGraph *const graph = spectrum->graph(i);
            QCOMPARE(graph->name(), QString::number(i + 1));
            QCOMPARE(graph->lineStyle(), QCPGraph::lsImpulse);
            QCOMPARE(graph->scatterStyle().shape(), QCPScatterStyle::ssCircle);
            QCOMPARE(graph->scatterStyle().size(), 10.0);
            QCOMPARE(graph->pen().color(), colours[i]);
            QCOMPARE(graph->pen().width(), 3);
        }
    }

    void harmonicValuesFromOutsideTheBoxesStayInRange()
    {
        // Asked twice: the second time the boxes already hold the bounds and
        // send no echo that could cover for a missing one.
        Submode *const submode = window->modeController()->currentSubmode();
        for (int i = 0; i < 2; ++i) {
            submode->setParameter(0, 7.0);
            submode->setParameter(1, 9.0);
            submode->setParameter(2, 8.0);
            submode->setParameter(3, -0.5);
            verifyHarmonics({2.9, 3.0, 5.0}, {0.5, 1.0, 0.0}, 3);
        }
        for (const double k : {-4.0, 2.0}) {
            submode->setParameter(0, 0.0);
            submode->setParameter(1, k);
            verifyHarmonics({0.2}, {1.0});
        }
    }

    void pressPicksAHarmonicWithinReachHighestWins()
    {
        harmonics->setValue(2);
        // Walk right from harmonic 2's circle to the last pixel within 0.05.
        const int row = pixelOf(spectrum, 1.1, 1.0).y();
        const double y = spectrum->yAxis->pixelToCoord(row);
        int inside = pixelOf(spectrum, 1.1, 1.0).x();
        while (std::hypot(spectrum->xAxis->pixelToCoord(inside + 1) - 1.1, y - 1.0) < 0.05)
            ++inside;
        QVERIFY(std::fabs(spectrum->xAxis->pixelToCoord(inside) - 1.15) < 0.01);
        press(spectrum, QPoint(inside + 1, row));
        move(spectrum, pixelOf(spectrum, 2.0, 0.5));
        release(spectrum, pixelOf(spectrum, 2.0, 0.5));
        verifyHarmonics({1.0, 1.1}, {1.0, 1.0});

        press(spectrum, QPoint(inside, row), Qt::RightButton);
        QCOMPARE(harmonic->value(), 2);
        move(spectrum, pixelOf(spectrum, 1.0, 1.0)); // onto harmonic 1
        release(spectrum, pixelOf(spectrum, 1.0, 1.0));
        press(spectrum, pixelOf(spectrum, 1.04, 1.0));
        move(spectrum, pixelOf(spectrum, 3.0, 0.2));
        verifyHarmonics({1.0, 3.0}, {1.0, 0.2}, 2);
    }

    void harmonicDragFollowsTheGridAndStopsAtTheEdges()
    {
        move(spectrum, pixelOf(spectrum, 3.0, 0.5)); // no press yet
        press(spectrum, pixelOf(spectrum, 0.2, 1.0));
        const double steps[][4] = {{1.34, 0.56, 1.3, 0.6},
                                   {2.46, 0.24, 2.5, 0.2},
                                   {6.0, 1.5, 5.0, 1.0},
                                   {-0.4, -0.3, 0.0, 0.0},
                                   {0.71, 0.33, 0.7, 0.3}};
        for (const auto &s : steps) {
            move(spectrum, pixelOf(spectrum, s[0], s[1]));
            verifyHarmonics({s[2]}, {s[3]});
        }
        release(spectrum, pixelOf(spectrum, 0.71, 0.33));
        move(spectrum, pixelOf(spectrum, 3.0, 0.9), Qt::NoButton);
        move(spectrum, pixelOf(spectrum, 3.5, 0.9));
        verifyHarmonics({0.7}, {0.3});
    }

    void leavingTakesTheLegendAndLeavesTheTimeAxisAtTen()
    {
        QVERIFY(spectrum->legend->visible());
        harmonics->setValue(3);
        pickEntry(1);
        QVERIFY(!spectrum->legend->visible());
        QCOMPARE(signal->xAxis->range().upper, 10.1);
        click("pushButton");
        QCOMPARE(signal->xAxis->range().lower, -10.0);
        QCOMPARE(signal->xAxis->range().upper, 10.0);
        QCOMPARE(keys(spectrum->graph(0)).size(), 20); // the last graphs stay
        click("pushButton_2"); // a fresh submode starts from the first example
        QVERIFY(spectrum->legend->visible());
        verifyHarmonics({0.2}, {1.0});
        click("pushButton");
        QVERIFY(!spectrum->legend->visible());
    }

    void packetDefaults()
    {
        pickEntry(1);
        QCOMPARE(count->value(), 20);
        QCOMPARE(centre->value(), 4.0);
        QCOMPARE(step->value(), 0.02);
        verifyPacket();
        QVERIFY(std::fabs(keys(spectrum->graph(0)).first() - 3.81) < 1e-12);
        QVERIFY(std::fabs(values(signal->graph(0)).first()) < 1e-9);
        QCPGraph *const graph = spectrum->graph(0);
        QCOMPARE(spectrum->graphCount(), 1);
        QCOMPARE(graph->lineStyle(), QCPGraph::lsImpulse);
        QCOMPARE(graph->scatterStyle().shape(), QCPScatterStyle::ssCircle);
        QCOMPARE(graph->scatterStyle().size(), 6.0);
        QCOMPARE(graph->pen().color(), QColor(Qt::blue));
        QCOMPARE(graph->pen().width(), 1);
        QCOMPARE(signal->graph(0)->pen().width(), 3);
    }

    void fitRule_data()
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
    void fitRule()
    {
        QFETCH(int, n);
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(bool, fits);
        QCOMPARE(Equdistant::fits(n, a, b), fits);
        pickEntry(1); // the same through the window
        setPacket(n, a, b);
        QCOMPARE(count->value(), n);
        QCOMPARE(centre->value(), fits ? a : 2.5);
        verifyPacket();
        const Doubles s = values(signal->graph(0));
        if (n == 1 && a == 0.0)
            QCOMPARE(s, Doubles(1001, 1.0));
        if (b == 0.1 && a == 2.5) // the packet repeats every 10 s
            QVERIFY(std::fabs(s.first() - (n % 2 ? 1 : -1)) < 1e-9 && s.first() == s.last());
    }

    void refusedPacketValuesComeBack()
    {
        pickEntry(1);
        type(centre, 4.7);
        centre->setValue(4.8);
        QCOMPARE(centre->value(), 4.7);
        centre->setValue(4.0);
        step->setValue(0.05);
        type(step, 0.1);
        QCOMPARE(step->value(), 0.05);
        verifyPacket();
        setPacket(20, 2.5, 0.1);
        count->setValue(50); // fits no centre at this step
        QCOMPARE(count->value(), 20);
        verifyPacket();
        // A wide packet left in the boxes refuses a new packet's default
        // centre; its centre stays, and is what a later refusal returns to.
        setPacket(45, 2.5, 0.1);
        pickEntry(1);
        QCOMPARE(count->value(), 20);
        QCOMPARE(centre->value(), 2.5);
        QCOMPARE(step->value(), 0.02);
        centre->setValue(4.9);
        QCOMPARE(centre->value(), 2.5);
        verifyPacket();
        step->setValue(0.05);
        pickEntry(1);
        QCOMPARE(centre->value(), 4.0);
        QCOMPARE(step->value(), 0.02);
    }

    void pressPicksThePacketsLowestWithinReach()
    {
        pickEntry(1);
        count->setValue(1);
        int inside = pixelOf(spectrum, 4.0, 0.2).x();
        while (std::fabs(spectrum->xAxis->pixelToCoord(inside + 1) - 4.0) < 0.03)
            ++inside;
        QVERIFY(std::fabs(spectrum->xAxis->pixelToCoord(inside) - 4.03) < 0.01);
        drag(spectrum->xAxis->pixelToCoord(inside + 1), 3.02);
        QCOMPARE(centre->value(), 4.0);
        drag(spectrum->xAxis->pixelToCoord(inside), 3.02);
        QCOMPARE(centre->value(), 3.0);
        // Every 0.01 Hz: of the six within reach of 4.0 Hz the lowest, 3.975,
        // is held, so a pointer at 4.235 means a shift of 0.3.
        setPacket(20, 4.0, 0.01);
        drag(4.0, 4.235);
        QCOMPARE(centre->value(), 4.3);
        verifyPacket();
    }

    void packetDragMovesOnTheGridAndIsRefusedAsAWhole()
    {
        pickEntry(1);
        press(spectrum, pixelOf(spectrum, 4.19, 1.0)); // holds 4.17, the lowest in reach
        // Pointer, then the centre: 4.8 would leave 5 Hz though 4.7 would fit.
        const double steps[][2] = {{4.70, 4.5}, {5.00, 4.5}, {6.00, 4.5}, {4.47, 4.3},
                                   {4.47, 4.3}, {-1.0, 4.3}, {0.50, 0.3}, {0.30, 0.3}};
        for (const auto &s : steps) {
            move(spectrum, pixelOf(spectrum, s[0], 0.9));
            QCOMPARE(centre->value(), s[1]);
            verifyPacket();
        }
        release(spectrum, pixelOf(spectrum, 0.3, 0.9));
        move(spectrum, pixelOf(spectrum, 2.0, 0.9));
        QCOMPARE(centre->value(), 0.3);
        drag(3.0, 4.0); // far from every harmonic
        QCOMPARE(centre->value(), 0.3);
        // The count lowered from the keyboard during a drag ends it.
        press(spectrum, pixelOf(spectrum, 0.49, 1.0));
        type(count, QStringLiteral("5"));
        move(spectrum, pixelOf(spectrum, 1.0, 1.0)); // the held harmonic is gone
        count->setValue(20);                         // its index exists again, but the drag is over
        move(spectrum, pixelOf(spectrum, 1.0, 1.0));
        QCOMPARE(centre->value(), 0.3);
        verifyPacket();
    }

private:
    // The plots hold harmonics (f, a), one graph each, and the mean of their
    // cosines; the boxes show the selected one.
    void verifyHarmonics(const Doubles &f, const Doubles &a, int selected = 1) const
    {
        Doubles shown[2];
        for (int i = 0; i < spectrum->graphCount(); ++i) {
            shown[0] << keys(spectrum->graph(i));
            shown[1] << values(spectrum->graph(i));
        }
        QCOMPARE(shown[0], f);
        QCOMPARE(shown[1], a);
        QVERIFY(cosineMeanError(signal->graph(0), f, a) < 1e-12);
        QCOMPARE(harmonics->value(), f.size());
        QCOMPARE(harmonic->maximum(), f.size());
        QCOMPARE(harmonic->value(), selected);
        QCOMPARE(frequency->value(), f[selected - 1]);
        QCOMPARE(amplitude->value(), a[selected - 1]);
    }
    // The plots show exactly the packet that the boxes hold.
    void verifyPacket() const
    {
        const int n = count->value();
        const Doubles f = keys(spectrum->graph(0));
        QCOMPARE(f.size(), n);
        for (int i = 0; i < n; ++i)
            QVERIFY(std::fabs(f[i] - (centre->value() + (i - (n - 1) / 2.0) * step->value())) <
                    1e-9);
        QCOMPARE(values(spectrum->graph(0)), Doubles(n, 1.0));
        QVERIFY(cosineMeanError(signal->graph(0), f, Doubles(n, 1.0)) < 1e-9);
        QCOMPARE(values(signal->graph(0)).at(500), 1.0);
    }
    // Sets the packet by a road on which every change fits.
    void setPacket(int n, double a, double b)
    {
        count->setValue(1);
        centre->setValue(2.5);
        step->setValue(b);
        count->setValue(n);
        centre->setValue(a);
    }

    void drag(double from, double to)
    {
        press(spectrum, pixelOf(spectrum, from, 0.5));
        move(spectrum, pixelOf(spectrum, to, 0.5));
        release(spectrum, pixelOf(spectrum, to, 0.5));
    }

    QSpinBox *harmonics = nullptr, *harmonic = nullptr, *count = nullptr;
    QDoubleSpinBox *frequency = nullptr, *amplitude = nullptr, *centre = nullptr, *step = nullptr;
};

QTEST_MAIN(DiscreteTest)
#include "tst_discrete.moc"
