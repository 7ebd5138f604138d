// Start-up: the window as it comes up, its widget tree, ranges and plot axes.
#include "axisticker.h"
#include "mainwindow.h"
#include "modecontroller.h"
#include "testsupport.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>
#include <qcustomplot.h>

using namespace TestSupport;

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { window = makeWindow(); }
    void cleanup() { window.reset(); }

    void opensOnMenuPage();
    void spinBoxRanges_data();
    void spinBoxRanges();
    void rangeSetupEmissionsChangeNothing();
    void axes_data();
    void axes();
    void gridPenAndFonts();
    void widgetTexts_data();
    void widgetTexts();
    void layoutsKeepSpacingAndMargins();
    void imagesAreBuiltIn();
    void plotsShareTheHeight();

private:
    std::unique_ptr<MainWindow> window;
};

void StartupTest::opensOnMenuPage()
{
    auto *pages = find<QStackedWidget>(window.get(), "stackedWidget");
    QCOMPARE(pages->currentWidget()->objectName(), QString("menuPage"));
    QCOMPARE(find<QStackedWidget>(window.get(), "stackedWidget_3")->currentWidget()->objectName(),
             QString("page_5"));
    QVERIFY(find<QPushButton>(window.get(), "pushButton_2")->isVisible());
    QVERIFY(!find<QLabel>(window.get(), "label_28")->isVisibleTo(window.get()));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(204, 204, 255));
    QVERIFY(window->autoFillBackground());
    QCOMPARE(window->windowTitle(), QString("MainWindow"));
    QVERIFY(!window->modeController());
    QCOMPARE(find<QCustomPlot>(window.get(), "widget")->graphCount(), 0);
    QCOMPARE(find<QCustomPlot>(window.get(), "widget_2")->graphCount(), 0);
}

void StartupTest::spinBoxRanges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("step");
    QTest::newRow("width") << "doubleSpinBox_2" << 0.01 << 3.0 << 2 << 0.01;
    QTest::newRow("line centre") << "doubleSpinBox" << 0.0 << 5.0 << 1 << 0.1;
    QTest::newRow("count") << "spinBox_2" << 1.0 << 3.0 << 0 << 1.0;
    QTest::newRow("harmonic") << "spinBox_3" << 1.0 << 99.0 << 0 << 1.0;
    QTest::newRow("frequency") << "doubleSpinBox_3" << 0.0 << 5.0 << 1 << 0.1;
    QTest::newRow("amplitude") << "doubleSpinBox_4" << 0.0 << 1.0 << 1 << 0.1;
    QTest::newRow("packet count") << "spinBox" << 1.0 << 50.0 << 0 << 1.0;
    QTest::newRow("packet step") << "doubleSpinBox_10" << 0.01 << 0.1 << 2 << 0.01;
    QTest::newRow("packet centre") << "doubleSpinBox_9" << 0.0 << 5.0 << 1 << 0.1;
}

void StartupTest::spinBoxRanges()
{
    QFETCH(QString, name);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(int, decimals);
    QFETCH(double, step);
    auto *box = window->findChild<QAbstractSpinBox *>(name);
    QVERIFY(box);
    if (auto *d = qobject_cast<QDoubleSpinBox *>(box)) {
        QCOMPARE(d->minimum(), minimum);
        QCOMPARE(d->maximum(), maximum);
        QCOMPARE(d->decimals(), decimals);
        QCOMPARE(d->singleStep(), step);
        QCOMPARE(d->value(), minimum);
    } else {
        auto *i = qobject_cast<QSpinBox *>(box);
        QVERIFY(i);
        QCOMPARE(double(i->minimum()), minimum);
        QCOMPARE(double(i->maximum()), maximum);
        QCOMPARE(double(i->singleStep()), step);
        QCOMPARE(double(i->value()), minimum);
    }
}

void StartupTest::rangeSetupEmissionsChangeNothing()
{
    // With no controller every parameter slot must be a no-op.
    find<QSpinBox>(window.get(), "spinBox_2")->setValue(3);
    find<QDoubleSpinBox>(window.get(), "doubleSpinBox_2")->setValue(1.5);
    QTest::mouseClick(find<QPushButton>(window.get(), "pushButton_5"), Qt::LeftButton);
    pick(find<QComboBox>(window.get(), "comboBox"), 0);
    QVERIFY(!window->modeController());
    QCOMPARE(find<QCustomPlot>(window.get(), "widget")->graphCount(), 0);
    QCOMPARE(find<QCustomPlot>(window.get(), "widget_2")->graphCount(), 0);
}

void StartupTest::axes_data()
{
    QTest::addColumn<QString>("plot");
    QTest::addColumn<bool>("xAxis");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("step");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("subTicks");
    QTest::newRow("frequency") << "widget" << true << 0.0 << 5.0 << 1.0 << "Частота, Гц" << 4;
    QTest::newRow("time") << "widget_2" << true << -10.0 << 10.1 << 2.5 << "Время, c" << 4;
    QTest::newRow("amplitude") << "widget" << false << 0.0 << 1.1 << 0.25 << "" << -1;
    QTest::newRow("signal") << "widget_2" << false << -1.1 << 1.2 << 0.5 << "" << -1;
}

void StartupTest::axes()
{
    QFETCH(QString, plot);
    QFETCH(bool, xAxis);
    QFETCH(double, lower);
    QFETCH(double, upper);
    QFETCH(double, step);
    QFETCH(QString, label);
    QFETCH(int, subTicks);
    QCPAxis *axis = xAxis ? window->findChild<QCustomPlot *>(plot)->xAxis
                          : window->findChild<QCustomPlot *>(plot)->yAxis;
    QCOMPARE(axis->range().lower, lower);
    QCOMPARE(axis->range().upper, upper);
    QCOMPARE(axis->label(), label);
    auto fixed = axis->ticker().dynamicCast<QCPAxisTickerFixed>();
    QVERIFY(fixed);
    QCOMPARE(fixed->tickStep(), step);
    QCOMPARE(fixed->scaleStrategy(), QCPAxisTickerFixed::ssNone);
    // Ticks really land on the fixed step across the whole range.
    const QVector<double> ticks = axis->tickVector();
    QVERIFY(ticks.size() >= 2);
    QVERIFY(qFuzzyCompare(ticks.at(1) - ticks.at(0), step));
    if (subTicks > 0) {
        auto ours = axis->ticker().dynamicCast<AxisTicker>();
        QVERIFY(ours);
        QCOMPARE(ours->subTickCount(), subTicks);
        QCOMPARE(axis->tickLengthIn(), 10);
        QCOMPARE(axis->tickLengthOut(), 0);
        QCOMPARE(axis->subTickLengthIn(), 5);
        QCOMPARE(axis->subTickLengthOut(), 0);
    } else {
        QVERIFY(!axis->ticker().dynamicCast<AxisTicker>());
    }
    if (xAxis && plot == "widget_2") {
        QCOMPARE(ticks.first(), -10.0);
        QCOMPARE(ticks.last(), 10.0);
    }
}

void StartupTest::gridPenAndFonts()
{
    auto *spectrum = find<QCustomPlot>(window.get(), "widget");
    auto *signal = find<QCustomPlot>(window.get(), "widget_2");
    for (QCPAxis *axis : {spectrum->xAxis, spectrum->yAxis, signal->xAxis, signal->yAxis}) {
        const QPen pen = axis->grid()->pen();
        QCOMPARE(pen.style(), Qt::DotLine);
        QCOMPARE(pen.color(), QColor(127, 127, 127, 255));
        QCOMPARE(pen.width(), 1);
        QCOMPARE(pen.capStyle(), Qt::SquareCap);
        QCOMPARE(pen.joinStyle(), Qt::BevelJoin);
        QCOMPARE(axis->labelFont().family(), QString("Sans Serif"));
        QCOMPARE(axis->labelFont().pointSize(), 15);
        QCOMPARE(axis->tickLabelFont().pointSize(), 15);
        QVERIFY(!axis->labelFont().italic());
    }
    QCOMPARE(spectrum->legend->font().pointSize(), 15);
    QVERIFY(signal->legend->font().pointSize() != 15);
}

void StartupTest::widgetTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::newRow("title") << "label_8"
                           << "Quarnel" << 20 << true;
    QTest::newRow("authors") << "pushButton_6"
                             << "Авторы" << 18 << false;
    QTest::newRow("discrete") << "pushButton_2"
                              << "Дискретный спектр" << 18 << false;
    QTest::newRow("continuous") << "pushButton_3"
                                << "Непрерывный спектр" << 18 << false;
    QTest::newRow("year") << "label_18"
                          << "2016 г." << 14 << false;
    QTest::newRow("exit") << "pushButton_4"
                          << "Выход" << 18 << false;
    QTest::newRow("authors menu") << "pushButton_7"
                                  << "Меню" << 18 << false;
    QTest::newRow("kind") << "label_7"
                          << "TextLabel" << 16 << false;
    QTest::newRow("submode title") << "label_9"
                                   << "TextLabel" << 14 << false;
    QTest::newRow("spectrum caption") << "label_26"
                                      << "Спектр" << 14 << true;
    QTest::newRow("hint") << "label_28"
                          << "Нарисуйте спектр мышью" << 18 << false;
    QTest::newRow("signal caption") << "label_27"
                                    << "Сигнал" << 14 << true;
    QTest::newRow("count") << "label_3"
                           << "Количество" << 12 << false;
    QTest::newRow("harmonic") << "label_6"
                              << "Измение гармоники" << 12 << false;
    QTest::newRow("frequency") << "label_4"
                               << "Частота" << 12 << false;
    QTest::newRow("amplitude") << "label_5"
                               << "Амплитуда" << 12 << false;
    QTest::newRow("packet count") << "label_10"
                                  << "Количество гармоник" << 12 << false;
    QTest::newRow("packet centre") << "label_11"
                                   << "Центральная частота" << 12 << false;
    QTest::newRow("packet step") << "label_12"
                                 << "Шаг" << 12 << false;
    QTest::newRow("line centre") << "label"
                                 << "Центральная частота" << 12 << false;
    QTest::newRow("line width") << "label_2"
                                << "Ширина" << 12 << false;
    QTest::newRow("centre unit") << "label_20"
                                 << "Гц" << 12 << false;
    QTest::newRow("width unit") << "label_21"
                                << "Гц" << 12 << false;
    QTest::newRow("clear") << "pushButton_5"
                           << "Очистить спектр" << 12 << false;
    QTest::newRow("work menu") << "pushButton"
                               << "Меню" << 12 << false;
}

void StartupTest::widgetTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, pointSize);
    QFETCH(bool, bold);
    QWidget *widget = window->findChild<QWidget *>(name);
    QVERIFY(widget);
    const QString shown = qobject_cast<QLabel *>(widget)
                              ? qobject_cast<QLabel *>(widget)->text()
                              : qobject_cast<QAbstractButton *>(widget)->text();
    QCOMPARE(shown, text);
    QCOMPARE(widget->font().pointSize(), pointSize);
    QCOMPARE(widget->font().bold(), bold);
    if (name == "label_28")
        QVERIFY(widget->font().italic());
}

void StartupTest::layoutsKeepSpacingAndMargins()
{
    const auto layout = [this](const char *name) {
        return window->findChild<QLayout *>(QString::fromLatin1(name));
    };
    for (const char *name : {"gridLayout_6", "gridLayout_9", "gridLayout_2"})
        QCOMPARE(layout(name)->contentsMargins(), QMargins(11, 11, 11, 11));
    for (const char *name : {"gridLayout", "gridLayout_8", "gridLayout_10", "gridLayout_11",
                             "gridLayout_4", "gridLayout_5", "gridLayout_3", "gridLayout_7"})
        QCOMPARE(layout(name)->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(layout("verticalLayout_5")->spacing(), 0);
    QCOMPARE(layout("verticalLayout")->spacing(), 6);

    auto *work = qobject_cast<QBoxLayout *>(layout("verticalLayout"));
    QCOMPARE(work->count(), 5);
    QCOMPARE(work->itemAt(2)->widget()->objectName(), QString("widget"));
    QCOMPARE(work->itemAt(3)->widget()->objectName(), QString("widget_2"));
    QCOMPARE(work->stretch(2), 1);
    QCOMPARE(work->stretch(3), 1);
    auto *header = qobject_cast<QBoxLayout *>(layout("horizontalLayout_5"));
    QCOMPARE(header->stretch(1), 100);
    auto *controls = qobject_cast<QBoxLayout *>(layout("horizontalLayout"));
    QCOMPARE(controls->itemAt(0)->widget()->objectName(), QString("comboBox"));
    QCOMPARE(controls->stretch(1), 1);

    auto *panel = find<QStackedWidget>(window.get(), "stackedWidget_2");
    QStringList pages;
    for (int i = 0; i < panel->count(); ++i)
        pages << panel->widget(i)->objectName();
    QCOMPARE(pages, QStringList({"page", "page_3", "page_2", "page_4"}));
    QCOMPARE(panel->font().pointSize(), 12);
    auto *combo = find<QComboBox>(window.get(), "comboBox");
    QCOMPARE(combo->sizeAdjustPolicy(), QComboBox::AdjustToContents);
    QCOMPARE(combo->minimumWidth(), 150);
    // The captions float over the plots inside the plots' own layouts.
    QCOMPARE(find<QLabel>(window.get(), "label_28")->parentWidget()->objectName(),
             QString("widget"));
    QCOMPARE(find<QLabel>(window.get(), "label_27")->parentWidget()->objectName(),
             QString("widget_2"));
}

void StartupTest::imagesAreBuiltIn()
{
    const struct
    {
        const char *path;
        QSize size;
    } images[] = {{":/images/ulvar.png", {500, 500}},
                  {":/images/mendo.png", {150, 122}},
                  {":/images/rot22.png", {186, 217}},
                  {":/images/rot47.png", {518, 488}},
                  {":/images/rot22.jpg", {186, 217}}};
    for (const auto &image : images)
        QCOMPARE(QPixmap(QString::fromLatin1(image.path)).size(), image.size);
    for (const char *name : {"label_13", "label_14", "label_22", "label_23"}) {
        auto *label = find<QLabel>(window.get(), name);
        QVERIFY2(!label->pixmap(Qt::ReturnByValue).isNull(), name);
        QVERIFY(label->hasScaledContents());
        QVERIFY(label->text().isEmpty());
    }
    QCOMPARE(find<QLabel>(window.get(), "label_13")->size(), QSize(160, 160));
}

void StartupTest::plotsShareTheHeight()
{
    find<QStackedWidget>(window.get(), "stackedWidget")->setCurrentIndex(1);
    QCoreApplication::processEvents();
    auto *spectrum = find<QCustomPlot>(window.get(), "widget");
    auto *signal = find<QCustomPlot>(window.get(), "widget_2");
    QVERIFY(spectrum->height() > 300);
    QVERIFY(qAbs(spectrum->height() - signal->height()) <= 1);
    auto *panel = find<QStackedWidget>(window.get(), "stackedWidget_2");
    QVERIFY(panel->height() < 100);
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
