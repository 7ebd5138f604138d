// Navigation: the menu, the authors page, the work page and the controller's
// handling of the combo box.
#include "mainwindow.h"
#include "modecontroller.h"
#include "submode.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>
#include <qcustomplot.h>

using namespace TestSupport;

class NavigationTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { window = makeWindow(); }
    void cleanup() { window.reset(); }

    void authorsPageAndBack();
    void exitEndsTheEventLoop();
    void continuousKindOpensOnGaussian();
    void discreteKindOpensOnSeparateHarmonics();
    void menuThenOtherKindLeavesNoLeftovers();
    void pickingTheSameEntryRebuildsTheSubmode();
    void parameterSlotsNeedACurrentSubmode();

private:
    QStringList comboEntries() const;
    void click(const char *name)
    {
        QTest::mouseClick(find<QPushButton>(window.get(), name), Qt::LeftButton);
    }
    QString currentPage(const char *stack) const
    {
        return find<QStackedWidget>(window.get(), stack)->currentWidget()->objectName();
    }

    std::unique_ptr<MainWindow> window;
};

QStringList NavigationTest::comboEntries() const
{
    auto *box = find<QComboBox>(window.get(), "comboBox");
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}

void NavigationTest::authorsPageAndBack()
{
    click("pushButton_6");
    QCOMPARE(currentPage("stackedWidget"), QString("menuPage"));
    QCOMPARE(currentPage("stackedWidget_3"), QString("page_6"));
    QVERIFY(find<QLabel>(window.get(), "label_24")->isVisible());
    click("pushButton_7");
    QCOMPARE(currentPage("stackedWidget_3"), QString("page_5"));
    QVERIFY(!window->modeController());
}

void NavigationTest::exitEndsTheEventLoop()
{
    QTimer::singleShot(0, this, [this] { click("pushButton_4"); });
    // A safety net: a broken button must fail the test, not hang it.
    QTimer::singleShot(5000, this, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

void NavigationTest::continuousKindOpensOnGaussian()
{
    click("pushButton_3");
    QVERIFY(window->modeController());
    QCOMPARE(currentPage("stackedWidget"), QString("workPage"));
    QCOMPARE(find<QLabel>(window.get(), "label_7")->text(), QString("Непрерывный спектр"));
    QCOMPARE(comboEntries(),
             QStringList({"Гауссов", "Прямоугольный", "Лоренцовский", "Произвольный"}));
    QCOMPARE(find<QComboBox>(window.get(), "comboBox")->currentIndex(), 0);
    QCOMPARE(currentPage("stackedWidget_2"), QString("page_2"));
    QCOMPARE(window->modeController()->currentSubmode()->submodeKind(), int(Submode::Gaussian));
    QCOMPARE(find<QLabel>(window.get(), "label_9")->text(), QString("Гауссов спектр"));
    QCOMPARE(find<QCustomPlot>(window.get(), "widget")->graphCount(), 2);
    QCOMPARE(find<QCustomPlot>(window.get(), "widget_2")->graphCount(), 1);

    auto *combo = find<QComboBox>(window.get(), "comboBox");
    const int kinds[] = {Submode::Gaussian, Submode::Rectangular, Submode::Lorentzian};
    for (int index : {1, 2, 0}) {
        pick(combo, index);
        QCOMPARE(window->modeController()->currentSubmode()->submodeKind(), kinds[index]);
        QCOMPARE(currentPage("stackedWidget_2"), QString("page_2"));
    }
}

void NavigationTest::discreteKindOpensOnSeparateHarmonics()
{
    click("pushButton_2");
    QCOMPARE(currentPage("stackedWidget"), QString("workPage"));
    QCOMPARE(find<QLabel>(window.get(), "label_7")->text(), QString("Дискретный спектр"));
    QCOMPARE(comboEntries(), QStringList({"Отдельные гармоники", "Волновой пакет"}));
    QCOMPARE(find<QComboBox>(window.get(), "comboBox")->currentIndex(), 0);

    // Entry 0 is drawn at once: the separate harmonics with their page.
    QCOMPARE(currentPage("stackedWidget_2"), QString("page"));
    QVERIFY(find<QWidget>(window.get(), "page")->isVisible());
    QCOMPARE(window->modeController()->currentSubmode()->submodeKind(),
             int(Submode::SeparateHarmonics));
    QCOMPARE(find<QLabel>(window.get(), "label_9")->text(), QString("Гармонический сигнал"));
    QCOMPARE(find<QCustomPlot>(window.get(), "widget")->graphCount(), 1);
    QCOMPARE(find<QCustomPlot>(window.get(), "widget_2")->graphCount(), 1);

    pick(find<QComboBox>(window.get(), "comboBox"), 1);
    QCOMPARE(currentPage("stackedWidget_2"), QString("page_3"));
    QVERIFY(find<QWidget>(window.get(), "page_3")->isVisible());
    QCOMPARE(window->modeController()->currentSubmode()->submodeKind(), int(Submode::WavePacket));
    QCOMPARE(find<QLabel>(window.get(), "label_9")->text(), QString("Волновой пакет"));
}

void NavigationTest::menuThenOtherKindLeavesNoLeftovers()
{
    click("pushButton_3");
    pick(find<QComboBox>(window.get(), "comboBox"), 2);
    click("pushButton");
    QVERIFY(!window->modeController());
    QCOMPARE(currentPage("stackedWidget"), QString("menuPage"));
    QCOMPARE(currentPage("stackedWidget_3"), QString("page_5"));
    QVERIFY(comboEntries().isEmpty());
    // The last submode's graphs stay until the next one replaces them.
    QCOMPARE(find<QCustomPlot>(window.get(), "widget")->graphCount(), 2);

    click("pushButton_2");
    QCOMPARE(comboEntries(), QStringList({"Отдельные гармоники", "Волновой пакет"}));
    click("pushButton");
    click("pushButton_3");
    QCOMPARE(comboEntries().size(), 4);
}

void NavigationTest::pickingTheSameEntryRebuildsTheSubmode()
{
    click("pushButton_3");
    auto *centre = find<QDoubleSpinBox>(window.get(), "doubleSpinBox");
    auto *width = find<QDoubleSpinBox>(window.get(), "doubleSpinBox_2");
    centre->setValue(1.2);
    width->setValue(2.5);
    QPointer<QCPGraph> before = find<QCustomPlot>(window.get(), "widget")->graph(0);
    pick(find<QComboBox>(window.get(), "comboBox"), 0);
    QCOMPARE(centre->value(), 3.0);
    QCOMPARE(width->value(), 0.6);
    QVERIFY(!before); // the old graphs went with a fresh redraw
    QCOMPARE(window->modeController()->currentSubmode()->submodeKind(), int(Submode::Gaussian));
}

void NavigationTest::parameterSlotsNeedACurrentSubmode()
{
    click("pushButton_3");
    click("pushButton");
    auto *spectrum = find<QCustomPlot>(window.get(), "widget");
    QPointer<QCPGraph> last = spectrum->graph(0);
    find<QDoubleSpinBox>(window.get(), "doubleSpinBox")->setValue(4.0);
    find<QDoubleSpinBox>(window.get(), "doubleSpinBox_2")->setValue(1.0);
    QVERIFY(last); // nobody redrew
    QCOMPARE(spectrum->graphCount(), 2);
}

QTEST_MAIN(NavigationTest)
#include "tst_navigation.moc"
