// SPDX-License-Identifier: GPL-3.0-or-later
// The application shell: the window as it comes up (ranges, axes, the sound
// button) and the navigation between its pages and submodes.
#include "axisticker.h"
#include "modecontroller.h"
#include "testsupport.h"

#include <QtTest>
#include <QtWidgets>
#include <qcustomplot.h>

using namespace TestSupport;

class ShellTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { openWindow(); }

    void startsOnTheMenuAndIgnoresControls()
    {
        QCOMPARE(page("stackedWidget") + page("stackedWidget_3"), QString("menuPagepage_5"));
        QCOMPARE(window->palette().color(QPalette::Window), QColor(204, 204, 255));
        perform("set spinBox_2 3; set doubleSpinBox_2 1.5; click pushButton_5; pick 0");
        QVERIFY(!window->modeController());
        QCOMPARE(spectrum->graphCount() + signal->graphCount(), 0);
        // "Звук" is a 12-point toggle just left of "Меню" on the bottom bar, "Огибающая" one
        // (up) just left of it; with no sound device here, "Звук" is disabled and says why.
        auto *const sound = find<QPushButton>("soundButton");
        auto *const envelope = find<QPushButton>("envelopeButton");
        const QLayout *const bar = find<QHBoxLayout>("horizontalLayout");
        QCOMPARE(bar->indexOf(sound) + 1, bar->indexOf(find<QWidget>("pushButton")));
        QCOMPARE(bar->indexOf(find<QWidget>("stackedWidget_2")) + 2, bar->indexOf(sound));
        QCOMPARE(bar->indexOf(envelope) + 1, bar->indexOf(sound));
        QVERIFY(envelope->isCheckable() && !envelope->isChecked() &&
                envelope->font().pointSize() == 12 && envelope->text() == "Огибающая");
        perform("discrete; click soundButton");
        QVERIFY(sound->isCheckable() && sound->font().pointSize() == 12 && !sound->isEnabled() &&
                !sound->isChecked() && signal->graphCount() == 1);
        QCOMPARE(sound->text() + ", " + sound->toolTip(),
                 QString("Звук, Нет устройства вывода звука"));
    }

    void axes()
    {
        // Range, tick step, label; the x axes have four sub-ticks and ticks inside only.
        const std::tuple<QCPAxis *, Doubles, QString> axes[] = {
            {spectrum->xAxis, {0, 5, 1}, "Частота, Гц"},
            {signal->xAxis, {-10, 10.1, 2.5}, "Время, c"},
            {spectrum->yAxis, {0, 1.1, 0.25}, ""},
            {signal->yAxis, {-1.1, 1.2, 0.5}, ""}};
        const QFont font(QStringLiteral("Sans Serif"), 15);
        for (const auto &[axis, rangeAndStep, label] : axes) {
            const Doubles ticks = axis->tickVector();
            QCOMPARE(Doubles({axis->range().lower, axis->range().upper, ticks[1] - ticks[0]}),
                     rangeAndStep);
            auto fixed = axis->ticker().dynamicCast<QCPAxisTickerFixed>();
            QVERIFY(axis->label() == label && fixed && fixed->scaleStrategy() == 0 &&
                    axis->labelFont() == font && axis->tickLabelFont() == font);
            auto ours = axis->ticker().dynamicCast<AxisTicker>();
            QCOMPARE(bool(ours), axis->orientation() == Qt::Horizontal);
            QVERIFY(!ours ||
                    QVector<int>({ours->subTickCount(), axis->tickLengthIn(), axis->tickLengthOut(),
                                  axis->subTickLengthIn(), axis->subTickLengthOut()}) ==
                        QVector<int>({4, 10, 0, 5, 0}));
        }
    }

    void navigation()
    {
        perform("click pushButton_6");
        QCOMPARE(page("stackedWidget_3"), QString("page_6"));
        perform("click pushButton_7");
        QCOMPARE(page("stackedWidget_3"), QString("page_5"));
        // The kind and entry; the parameter page, title and graphs on the two plots.
        const char *const submodes[][2] = {
            {"continuous", "page_2 Гауссов спектр 2 1"},
            {"continuous; pick 1", "page_2 Прямоугольный спектр 1 1"},
            {"continuous; pick 2", "page_2 Лоренцовский спектр 2 1"},
            {"continuous; pick 3", "page_4 Произвольный спектр 1 0"},
            {"discrete", "page Гармонический сигнал 1 1"},
            {"discrete; pick 1", "page_3 Волновой пакет 1 1"}};
        for (const auto &[steps, expected] : submodes) {
            perform(QString(steps).section(';', 0, 0));
            auto *const combo = find<QComboBox>("comboBox");
            QStringList shown{find<QLabel>("label_7")->text(),
                              QString::number(combo->currentIndex())};
            for (int i = 0; i < combo->count(); ++i)
                shown << combo->itemText(i);
            QCOMPARE(
                shown.join(','), // drawn at once, without a pick
                QString(steps[0] == 'c'
                            ? "Непрерывный спектр,0,Гауссов,Прямоугольный,Лоренцовский,Произвольный"
                            : "Дискретный спектр,0,Отдельные гармоники,Волновой пакет"));
            perform(QString(steps).section(';', 1));
            QCOMPARE(QString("%1 %2 %3 %4 %5")
                         .arg(page("stackedWidget"), page("stackedWidget_2"),
                              find<QLabel>("label_9")->text())
                         .arg(spectrum->graphCount())
                         .arg(signal->graphCount()),
                     "workPage " + QString(expected));
            perform("menu");
            QVERIFY(!window->modeController() && combo->count() == 0);
            QCOMPARE(page("stackedWidget") + page("stackedWidget_3"), QString("menuPagepage_5"));
        }
        // The last graphs stay, and nobody redraws them any more.
        QPointer<QCPGraph> last = spectrum->graph(0);
        perform("set spinBox 3");
        QVERIFY(last && spectrum->graphCount() == 1);

        QTimer::singleShot(0, this, [this] { perform("click pushButton_4"); });
        // A safety net: a broken button must fail the test, not hang it.
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
