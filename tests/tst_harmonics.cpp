// Separate harmonics: the three examples, the spin boxes and dragging a
// harmonic's marker, read back from the plots.
#include "mainwindow.h"
#include "modecontroller.h"
#include "submode.h"
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
using Doubles = QVector<double>;

class HarmonicsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { window.reset(); }
    void examples_data();
    void examples();
    void countChangeDiscardsEdits_data();
    void countChangeDiscardsEdits();
    void valuesFromOutsideTheBoxesStayInRange();
    void pressPicksWithinReachHighestWins();
    void dragFollowsTheGridAndStopsAtTheEdges();
    void legendLivesWithTheSubmode();

private:
    Doubles plotted(bool frequencies) const
    {
        Doubles out;
        for (int i = 0; i < spectrum->graphCount(); ++i)
            out << (frequencies ? keys(spectrum->graph(i)) : values(spectrum->graph(i)));
        return out;
    }
    // The plots hold harmonics (f, a) and the mean of their cosines.
    void verifyPlots(const Doubles &f, const Doubles &a) const;

    std::unique_ptr<MainWindow> window;
    QCustomPlot *spectrum = nullptr;
    QCustomPlot *signal = nullptr;
    QSpinBox *count = nullptr;
    QSpinBox *harmonic = nullptr;
    QDoubleSpinBox *frequency = nullptr;
    QDoubleSpinBox *amplitude = nullptr;
    QLabel *title = nullptr;
};

void HarmonicsTest::init()
{
    window = makeWindow();
    spectrum = find<QCustomPlot>(window.get(), "widget");
    signal = find<QCustomPlot>(window.get(), "widget_2");
    count = find<QSpinBox>(window.get(), "spinBox_2");
    harmonic = find<QSpinBox>(window.get(), "spinBox_3");
    frequency = find<QDoubleSpinBox>(window.get(), "doubleSpinBox_3");
    amplitude = find<QDoubleSpinBox>(window.get(), "doubleSpinBox_4");
    title = find<QLabel>(window.get(), "label_9");
    QTest::mouseClick(find<QPushButton>(window.get(), "pushButton_2"), Qt::LeftButton);
}

void HarmonicsTest::verifyPlots(const Doubles &f, const Doubles &a) const
{
    QCOMPARE(plotted(true), f);
    QCOMPARE(plotted(false), a);
    const Doubles t = keys(signal->graph(0));
    const Doubles s = values(signal->graph(0));
    QCOMPARE(t.size(), 1001);
    QCOMPARE(t.at(500), 0.0);
    for (int i = 0; i < t.size(); ++i) {
        double mean = 0.0;
        for (int j = 0; j < f.size(); ++j)
            mean += a[j] * std::cos(2 * M_PI * f[j] * t[i]) / f.size();
        QVERIFY(std::fabs(t[i] - (i * 0.02 - 10.0)) < 1e-12);
        QVERIFY(std::fabs(s[i] - mean) < 1e-12);
    }
}

void HarmonicsTest::examples_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Doubles>("f");
    QTest::addColumn<Doubles>("a");
    QTest::newRow("one") << 1 << "Гармонический сигнал" << Doubles{0.2} << Doubles{1.0};
    QTest::newRow("beats") << 2 << "Картина биений" << Doubles{1.0, 1.1} << Doubles{1.0, 1.0};
    QTest::newRow("modulation, typed")
        << -3 << "Амплитудная модуляция" << Doubles{2.9, 3.0, 3.1} << Doubles{0.5, 1.0, 0.5};
}

void HarmonicsTest::examples()
{
    QFETCH(int, n);
    QFETCH(QString, name);
    QFETCH(Doubles, f);
    QFETCH(Doubles, a);
    if (n < 0)
        type(count, QString::number(n = -n));
    else if (n > 1)
        count->setValue(n);

    QCOMPARE(title->text(), name);
    QCOMPARE(count->value(), n);
    QCOMPARE(harmonic->value(), 1);
    QCOMPARE(harmonic->maximum(), n);
    QCOMPARE(frequency->value(), f.first());
    QCOMPARE(amplitude->value(), a.first());
    verifyPlots(f, a);
    QCOMPARE(values(signal->graph(0)).at(500), n == 3 ? 2.0 / 3 : 1.0);
    QCOMPARE(signal->graph(0)->pen().color(), QColor(Qt::red));
    QCOMPARE(signal->graph(0)->pen().width(), 3);
    QCOMPARE(spectrum->legend->itemCount(), n);
    const QColor colours[] = {Qt::black, Qt::blue, Qt::red};
    for (int i = 0; i < n; ++i) {
        QCPGraph *const graph = spectrum->graph(i);
        QCOMPARE(graph->name(), QString::number(i + 1));
        QCOMPARE(graph->lineStyle(), QCPGraph::lsImpulse);
        QCOMPARE(graph->scatterStyle().shape(), QCPScatterStyle::ssCircle);
        QCOMPARE(graph->scatterStyle().size(), 10.0);
        QCOMPARE(graph->pen().color(), colours[i]);
        QCOMPARE(graph->pen().width(), 3);
    }
}

void HarmonicsTest::countChangeDiscardsEdits_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("to");
    // Lowering the count below the selection narrows the harmonic box, whose
    // echo selects anew before the example is loaded.
    QTest::newRow("3, third, to 1") << 3 << 3 << 1;
    QTest::newRow("3, third, to 2") << 3 << 3 << 2;
    QTest::newRow("2, second, to 3") << 2 << 2 << 3;
}

void HarmonicsTest::countChangeDiscardsEdits()
{
    QFETCH(int, from);
    QFETCH(int, selected);
    QFETCH(int, to);
    const Doubles examples[][2] = {
        {{0.2}, {1.0}}, {{1.0, 1.1}, {1.0, 1.0}}, {{2.9, 3.0, 3.1}, {0.5, 1.0, 0.5}}};
    count->setValue(from);
    harmonic->setValue(selected);
    type(frequency, QString::number(4) + frequency->locale().decimalPoint() + "4");
    amplitude->setValue(0.0);
    Doubles f = examples[from - 1][0], a = examples[from - 1][1];
    f[selected - 1] = 4.4;
    a[selected - 1] = 0.0;
    verifyPlots(f, a); // only the selected harmonic moved

    count->setValue(to);
    QCOMPARE(harmonic->value(), 1);
    QCOMPARE(harmonic->maximum(), to);
    QCOMPARE(frequency->value(), examples[to - 1][0].first());
    QCOMPARE(amplitude->value(), examples[to - 1][1].first());
    verifyPlots(examples[to - 1][0], examples[to - 1][1]);
}

void HarmonicsTest::valuesFromOutsideTheBoxesStayInRange()
{
    Submode *const submode = window->modeController()->currentSubmode();
    // Each asked twice: the second time the box already holds the bound and
    // sends no echo that could cover for a missing one.
    for (int i = 0; i < 2; ++i) {
        submode->setParameter(0, 7.0);
        QCOMPARE(count->value(), 3);
        QCOMPARE(harmonic->maximum(), 3);
        QCOMPARE(spectrum->graphCount(), 3);
    }
    submode->setParameter(1, 9.0);
    QCOMPARE(frequency->value(), 3.1);
    submode->setParameter(1, -4.0);
    for (int i = 0; i < 2; ++i) {
        submode->setParameter(2, 8.0);
        submode->setParameter(3, -0.5);
        QCOMPARE(harmonic->value(), 1);
        verifyPlots({5.0, 3.0, 3.1}, {0.0, 1.0, 0.5});
    }
    for (int i = 0; i < 2; ++i) {
        submode->setParameter(0, 0.0);
        QCOMPARE(harmonic->maximum(), 1);
        verifyPlots({0.2}, {1.0});
    }
    submode->setParameter(1, 2.0);
    QCOMPARE(harmonic->value(), 1);
}

void HarmonicsTest::pressPicksWithinReachHighestWins()
{
    count->setValue(2);
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
    QCOMPARE(harmonic->value(), 1);
    verifyPlots({1.0, 1.1}, {1.0, 1.0});

    press(spectrum, QPoint(inside, row), Qt::RightButton);
    QCOMPARE(harmonic->value(), 2);
    move(spectrum, pixelOf(spectrum, 1.0, 1.0)); // onto harmonic 1
    release(spectrum, pixelOf(spectrum, 1.0, 1.0));
    press(spectrum, pixelOf(spectrum, 1.04, 1.0));
    QCOMPARE(harmonic->value(), 2);
    move(spectrum, pixelOf(spectrum, 3.0, 0.2));
    verifyPlots({1.0, 3.0}, {1.0, 0.2});
}

void HarmonicsTest::dragFollowsTheGridAndStopsAtTheEdges()
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
        QCOMPARE(frequency->value(), s[2]);
        QCOMPARE(amplitude->value(), s[3]);
        verifyPlots({s[2]}, {s[3]});
    }
    release(spectrum, pixelOf(spectrum, 0.71, 0.33));
    move(spectrum, pixelOf(spectrum, 3.0, 0.9), Qt::NoButton);
    move(spectrum, pixelOf(spectrum, 3.5, 0.9));
    verifyPlots({0.7}, {0.3});
}

void HarmonicsTest::legendLivesWithTheSubmode()
{
    auto *combo = find<QComboBox>(window.get(), "comboBox");
    QVERIFY(spectrum->legend->visible());
    pick(combo, 1);
    QVERIFY(!spectrum->legend->visible());
    pick(combo, 0);
    QVERIFY(spectrum->legend->visible());
    QCOMPARE(signal->xAxis->range().upper, 10.0); // as the wave packet left it

    count->setValue(3);
    pick(combo, 0); // a fresh submode starts from the first example
    QCOMPARE(count->value(), 1);
    verifyPlots({0.2}, {1.0});
    QTest::mouseClick(find<QPushButton>(window.get(), "pushButton"), Qt::LeftButton);
    QVERIFY(!spectrum->legend->visible());
    QCOMPARE(spectrum->graphCount(), 1);
}

QTEST_MAIN(HarmonicsTest)
#include "tst_harmonics.moc"
