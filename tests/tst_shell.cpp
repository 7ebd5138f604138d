// The application shell: the window as it comes up (widget tree, ranges, axes,
// texts, icon) and the navigation between its pages and submodes.
#include "axisticker.h"
#include "modecontroller.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QStackedWidget>
#include <QWindow>
#include <QtTest>
#include <qcustomplot.h>

using namespace TestSupport;
using Doubles = QVector<double>;

class ShellTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { openWindow(); }

    void startsOnTheMenuAndIgnoresControls()
    {
        QCOMPARE(page("stackedWidget"), QString("menuPage"));
        QCOMPARE(page("stackedWidget_3"), QString("page_5"));
        QVERIFY(!find<QLabel>("label_28")->isVisibleTo(window.get()));
        QCOMPARE(window->palette().color(QPalette::Window), QColor(204, 204, 255));
        QCOMPARE(spectrum->legend->font(), QFont(QStringLiteral("Sans Serif"), 15));
        QVERIFY(signal->legend->font() != spectrum->legend->font());
        // With no controller every control is a no-op.
        find<QSpinBox>("spinBox_2")->setValue(3);
        find<QDoubleSpinBox>("doubleSpinBox_2")->setValue(1.5);
        click("pushButton_5");
        pickEntry(0);
        QVERIFY(!window->modeController());
        QCOMPARE(spectrum->graphCount() + signal->graphCount(), 0);
    }

    void spinBoxRanges_data()
    {
        QTest::addColumn<Doubles>("settings"); // minimum, maximum, step, value, decimals
        QTest::newRow("doubleSpinBox_2") << Doubles{0.01, 3.0, 0.01, 0.01, 2};
        QTest::newRow("doubleSpinBox") << Doubles{0.0, 5.0, 0.1, 0.0, 1};
        QTest::newRow("spinBox_2") << Doubles{1, 3, 1, 1, 0};
        QTest::newRow("spinBox_3") << Doubles{1, 99, 1, 1, 0};
        QTest::newRow("doubleSpinBox_3") << Doubles{0.0, 5.0, 0.1, 0.0, 1};
        QTest::newRow("doubleSpinBox_4") << Doubles{0.0, 1.0, 0.1, 0.0, 1};
        QTest::newRow("spinBox") << Doubles{1, 50, 1, 1, 0};
        QTest::newRow("doubleSpinBox_10") << Doubles{0.01, 0.1, 0.01, 0.01, 2};
        QTest::newRow("doubleSpinBox_9") << Doubles{0.0, 5.0, 0.1, 0.0, 1};
    }
    void spinBoxRanges()
    {
        QFETCH(Doubles, settings);
        const QObject *const box = find<QAbstractSpinBox>(QTest::currentDataTag());
        Doubles actual;
        for (const char *name : {"minimum", "maximum", "singleStep", "value", "decimals"})
            actual << box->property(name).toDouble();
        QCOMPARE(actual, settings);
    }

    void axes_data()
    {
        QTest::addColumn<QString>("plot");
        QTest::addColumn<bool>("xAxis");
        QTest::addColumn<Doubles>("rangeAndStep");
        QTest::addColumn<QString>("label");
        QTest::newRow("frequency") << "widget" << true << Doubles{0, 5, 1} << "Частота, Гц";
        QTest::newRow("time") << "widget_2" << true << Doubles{-10, 10.1, 2.5} << "Время, c";
        QTest::newRow("amplitude") << "widget" << false << Doubles{0, 1.1, 0.25} << "";
        QTest::newRow("signal") << "widget_2" << false << Doubles{-1.1, 1.2, 0.5} << "";
    }
    void axes()
    {
        QFETCH(QString, plot);
        QFETCH(bool, xAxis);
        QFETCH(Doubles, rangeAndStep);
        QFETCH(QString, label);
        auto *const widget = window->findChild<QCustomPlot *>(plot);
        QCPAxis *const axis = xAxis ? widget->xAxis : widget->yAxis;
        QCOMPARE(axis->label(), label);
        const Doubles ticks = axis->tickVector();
        QVERIFY(ticks.size() >= 2);
        QCOMPARE(Doubles({axis->range().lower, axis->range().upper, ticks.at(1) - ticks.at(0)}),
                 rangeAndStep);
        if (plot == "widget_2" && xAxis)
            QCOMPARE(Doubles({ticks.first(), ticks.last()}), Doubles({-10.0, 10.0}));
        // Fixed steps whatever the zoom; the x axes add four sub-ticks and
        // ticks only inside, the y axes keep the library's.
        auto fixed = axis->ticker().dynamicCast<QCPAxisTickerFixed>();
        QVERIFY(fixed && fixed->scaleStrategy() == QCPAxisTickerFixed::ssNone);
        const QFont font(QStringLiteral("Sans Serif"), 15);
        QCOMPARE(axis->labelFont(), font);
        QCOMPARE(axis->tickLabelFont(), font);
        QVERIFY(axis->grid()->pen() ==
                QPen(QBrush(QColor(127, 127, 127)), 1, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin));
        auto ours = axis->ticker().dynamicCast<AxisTicker>();
        QCOMPARE(bool(ours), xAxis);
        if (xAxis)
            QCOMPARE(
                QVector<int>({ours->subTickCount(), axis->tickLengthIn(), axis->tickLengthOut(),
                              axis->subTickLengthIn(), axis->subTickLengthOut()}),
                QVector<int>({4, 10, 0, 5, 0}));
    }

    void texts()
    {
        // clang-format off
        const char *const texts[][2] = {
            {"label_8", "Quarnel"}, {"pushButton_6", "Авторы"}, {"pushButton_4", "Выход"},
            {"pushButton_2", "Дискретный спектр"}, {"pushButton_3", "Непрерывный спектр"},
            {"label_18", "2016 г."}, {"pushButton_7", "Меню"}, {"pushButton", "Меню"},
            {"label_7", "TextLabel"}, {"label_9", "TextLabel"}, {"label_26", "Спектр"},
            {"label_27", "Сигнал"}, {"label_28", "Нарисуйте спектр мышью"},
            {"label_3", "Количество"}, {"label_6", "Измение гармоники"}, {"label_4", "Частота"},
            {"label_5", "Амплитуда"}, {"label_10", "Количество гармоник"}, {"label_12", "Шаг"},
            {"label_11", "Центральная частота"}, {"label", "Центральная частота"},
            {"label_2", "Ширина"}, {"label_20", "Гц"}, {"label_21", "Гц"},
            {"pushButton_5", "Очистить спектр"}};
        // clang-format on
        for (const auto &text : texts) {
            const QWidget *const widget = find<QWidget>(text[0]);
            QVERIFY2(widget, text[0]);
            QCOMPARE(widget->property("text").toString(), QString::fromUtf8(text[1]));
        }
        // The hint and the captions float over the plots.
        QCOMPARE(find<QLabel>("label_28")->parentWidget(), spectrum);
        QCOMPARE(find<QLabel>("label_27")->parentWidget(), signal);
        for (const char *name : {"label_13", "label_14", "label_22", "label_23"})
            QVERIFY2(!find<QLabel>(name)->pixmap(Qt::ReturnByValue).isNull(), name);
        find<QStackedWidget>("stackedWidget")->setCurrentIndex(1);
        QCoreApplication::processEvents();
        QVERIFY(spectrum->height() > 300 && find<QWidget>("stackedWidget_2")->height() < 100);
        QVERIFY(qAbs(spectrum->height() - signal->height()) <= 1);
    }

    void iconIsTheInstalledFiles()
    {
        // What the desktop sees is the native window's icon.
        const QIcon icon = window->windowHandle()->icon();
        for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
            // The file that cmake --install puts into hicolor/SIZExSIZE/apps.
            const QString file = QStringLiteral(QUARNEL_ICON_DIR "/quarnel-%1.png").arg(size);
            const QImage expected = QImage(file).convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(expected.size(), QSize(size, size));
            QCOMPARE(qAlpha(expected.pixel(0, 0)), 0); // no square on the desktop's menu
            QVERIFY(icon.availableSizes().contains(QSize(size, size)));
            QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32), expected);
        }
    }

    void authorsPageAndExit()
    {
        click("pushButton_6");
        QCOMPARE(page("stackedWidget"), QString("menuPage"));
        QCOMPARE(page("stackedWidget_3"), QString("page_6"));
        QVERIFY(find<QLabel>("label_24")->isVisible());
        click("pushButton_7");
        QCOMPARE(page("stackedWidget_3"), QString("page_5"));
        QVERIFY(!window->modeController());

        QTimer::singleShot(0, this, [this] { click("pushButton_4"); });
        // A safety net: a broken button must fail the test, not hang it.
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    void entriesBuildTheirSubmodes()
    {
        const QStringList continuous{"Гауссов", "Прямоугольный", "Лоренцовский", "Произвольный"};
        const QStringList discrete{"Отдельные гармоники", "Волновой пакет"};
        // Entry, parameter page, title, graphs on the spectrum and on the signal plot.
        const struct
        {
            int entry;
            const char *page, *title;
            int graphs[2];
        } submodes[] = {{0, "page_2", "Гауссов спектр", {2, 1}},
                        {1, "page_2", "Прямоугольный спектр", {1, 1}},
                        {2, "page_2", "Лоренцовский спектр", {2, 1}},
                        {3, "page_4", "Произвольный спектр", {1, 0}},
                        {0, "page", "Гармонический сигнал", {1, 1}},
                        {1, "page_3", "Волновой пакет", {1, 1}}};
        for (const auto &submode : submodes) {
            const bool isContinuous = &submode < submodes + 4;
            click(isContinuous ? "pushButton_3" : "pushButton_2");
            QCOMPARE(page("stackedWidget"), QString("workPage"));
            QCOMPARE(find<QLabel>("label_7")->text(),
                     isContinuous ? QString("Непрерывный спектр") : QString("Дискретный спектр"));
            QCOMPARE(comboEntries(), isContinuous ? continuous : discrete);
            // Entry 0 is drawn at once, without a pick.
            QCOMPARE(find<QComboBox>("comboBox")->currentIndex(), 0);
            if (submode.entry > 0)
                pickEntry(submode.entry);
            QCOMPARE(page("stackedWidget_2"), QString(submode.page));
            QVERIFY(find<QWidget>(submode.page)->isVisible());
            QCOMPARE(find<QLabel>("label_9")->text(), QString::fromUtf8(submode.title));
            QCOMPARE(spectrum->graphCount(), submode.graphs[0]);
            QCOMPARE(signal->graphCount(), submode.graphs[1]);
            click("pushButton");
        }
    }

    void menuDropsTheController()
    {
        click("pushButton_3");
        pickEntry(2);
        click("pushButton");
        QVERIFY(!window->modeController());
        QCOMPARE(page("stackedWidget"), QString("menuPage"));
        QCOMPARE(page("stackedWidget_3"), QString("page_5"));
        QVERIFY(comboEntries().isEmpty());
        // The last graphs stay, and nobody redraws them any more.
        QPointer<QCPGraph> last = spectrum->graph(0);
        find<QDoubleSpinBox>("doubleSpinBox")->setValue(4.0);
        find<QDoubleSpinBox>("doubleSpinBox_2")->setValue(1.0);
        QVERIFY(last);
        QCOMPARE(spectrum->graphCount(), 2);
    }

private:
    QStringList comboEntries() const
    {
        auto *box = find<QComboBox>("comboBox");
        QStringList entries;
        for (int i = 0; i < box->count(); ++i)
            entries << box->itemText(i);
        return entries;
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
