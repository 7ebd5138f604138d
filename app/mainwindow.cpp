// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "axisticker.h"
#include "baseband.h"
#include "modecontroller.h"
#include "sound.h"
#include "submode.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

// The images are compiled into the static core library, whose resource
// initialiser no linker keeps on its own; registering them before the form is
// built serves the program, the tests and the benchmark alike.
static void registerImages()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), form(std::make_unique<Ui::MainWindow>())
{
    registerImages();
    form->setupUi(this);
    showSharpImages();
    setWindowIcon(applicationIcon());
    // Narrowing the ranges emits valueChanged; with no controller yet the
    // slots ignore it.
    setupSpinBoxes();
    setupPlots();
    setupSound();

    form->stackedWidget->setCurrentIndex(0);
    form->stackedWidget_3->setCurrentIndex(0);
    form->label_28->hide();
    // Up, as the button starts.
    Submode::setEnvelopeShown(false);
}

MainWindow::~MainWindow() = default;

void MainWindow::prepareDisplayScaling()
{
    // A factor given by hand is for a projector whose desktop is left at
    // 100 %; multiplied by the desktop's, it would scale twice elsewhere.
    const bool givenByHand = qEnvironmentVariableIsSet("QT_SCALE_FACTOR");
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    if (!givenByHand)
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#else
    if (givenByHand)
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void MainWindow::showOnWholeScreen()
{
    // A window manager makes the window full screen when asked; without one
    // (a kiosk session started by xinit) the request goes unanswered, and the
    // window has to take the screen's size itself.
    setGeometry(screen()->geometry());
    showFullScreen();
}

QPalette MainWindow::lecturePalette()
{
    QPalette palette;
    palette.setBrush(QPalette::All, QPalette::Window,
                     QBrush(QColor(204, 204, 255, 255), Qt::SolidPattern));
    return palette;
}

QIcon MainWindow::applicationIcon()
{
    // The same drawings the package installs into the hicolor theme, so the
    // window and the menu entry look alike whatever the desktop's theme.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quarnel-%1.png").arg(size), QSize(size, size));
    return icon;
}

void MainWindow::showSharpImages()
{
    // The form loads every image at its 1x size, and the labels scale it to
    // theirs in device pixels; a screen of more pixels per point gets the
    // drawings of twice the resolution to scale from.
    if (qApp->devicePixelRatio() <= 1)
        return;
    const std::pair<QLabel *, const char *> images[] = {{form->label_13, "ulvar"},
                                                        {form->label_14, "mendo"},
                                                        {form->label_22, "rot22"},
                                                        {form->label_23, "rot47"}};
    for (const auto &[label, name] : images)
        label->setPixmap(QPixmap(QStringLiteral(":/images/%1@2x.png").arg(QLatin1String(name))));
}

void MainWindow::setupSpinBoxes()
{
    form->doubleSpinBox_2->setDecimals(2);
    form->doubleSpinBox_2->setMinimum(0.01);
    form->doubleSpinBox_2->setMaximum(3);
    form->doubleSpinBox_2->setSingleStep(0.01);

    form->doubleSpinBox->setMinimum(0);
    form->doubleSpinBox->setMaximum(5);
    form->doubleSpinBox->setDecimals(1);
    form->doubleSpinBox->setSingleStep(0.1);

    form->spinBox_2->setMinimum(1);
    form->spinBox_2->setMaximum(3);

    form->spinBox_3->setMinimum(1);

    form->doubleSpinBox_3->setMinimum(0);
    form->doubleSpinBox_3->setMaximum(5);
    form->doubleSpinBox_3->setDecimals(1);
    form->doubleSpinBox_3->setSingleStep(0.1);

    form->doubleSpinBox_4->setMinimum(0);
    form->doubleSpinBox_4->setMaximum(1);
    form->doubleSpinBox_4->setDecimals(1);
    form->doubleSpinBox_4->setSingleStep(0.1);

    form->spinBox->setMaximum(50);
    form->spinBox->setMinimum(1);

    form->doubleSpinBox_10->setDecimals(2);
    form->doubleSpinBox_10->setMinimum(0.01);
    form->doubleSpinBox_10->setMaximum(0.1);
    form->doubleSpinBox_10->setSingleStep(0.01);

    form->doubleSpinBox_9->setMinimum(0);
    form->doubleSpinBox_9->setMaximum(5);
    form->doubleSpinBox_9->setSingleStep(0.1);
    form->doubleSpinBox_9->setDecimals(1);
}

void MainWindow::setupPlots()
{
    QCustomPlot *const spectrum = form->widget;
    QCustomPlot *const signal = form->widget_2;

    // Fixed steps; the x axes carry four sub-ticks between ticks, the y axes
    // keep the library's choice.
    spectrum->xAxis->setRange(0, 5);
    spectrum->xAxis->setTicker(QSharedPointer<AxisTicker>::create(1, 4));
    signal->xAxis->setRange(-10, 10.1);
    signal->xAxis->setTicker(QSharedPointer<AxisTicker>::create(2.5, 4));
    for (auto [axis, step] : {std::pair(spectrum->yAxis, 0.25), std::pair(signal->yAxis, 0.5)}) {
        QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
        ticker->setTickStep(step);
        ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
        axis->setTicker(ticker);
    }
    spectrum->yAxis->setRange(0, 1.1);
    signal->yAxis->setRange(-1.1, 1.2);

    QPen gridPen(QBrush(Qt::SolidPattern), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    gridPen.setStyle(Qt::DotLine);
    gridPen.setColor(QColor(127, 127, 127, 255));
    for (QCPAxis *axis : {spectrum->xAxis, spectrum->yAxis, signal->xAxis, signal->yAxis})
        axis->grid()->setPen(gridPen);

    const QFont axisFont(QStringLiteral("Sans Serif"), 15);
    spectrum->xAxis->setLabel(QStringLiteral("Частота, Гц"));
    signal->xAxis->setLabel(QStringLiteral("Время, c"));
    const QList<QCPAxis *> axes{spectrum->xAxis, signal->xAxis, spectrum->yAxis, signal->yAxis};
    for (QCPAxis *axis : axes)
        axis->setLabelFont(axisFont);
    for (QCPAxis *axis : axes)
        axis->setTickLabelFont(axisFont);
    spectrum->legend->setFont(axisFont);

    for (QCPAxis *axis : {spectrum->xAxis, signal->xAxis}) {
        axis->setSubTickLength(5, 0);
        axis->setTickLength(10, 0);
    }
}

void MainWindow::setupSound()
{
    sound = std::make_unique<Sound>(form->widget_2);
    // The sound server is looked for in the background; until it answers,
    // and while there is none, the button says why it does nothing.
    const auto showAvailability = [this](bool available) {
        form->soundButton->setEnabled(available);
        form->soundButton->setToolTip(available ? QString()
                                                : QStringLiteral("Нет устройства вывода звука"));
    };
    showAvailability(sound->isAvailable());
    connect(sound.get(), &Sound::availabilityChanged, this, showAvailability);
    // Whatever changes the spectrum ends in one render of the signal plot.
    connect(form->widget_2, &QCustomPlot::afterReplot, this, [this] {
        if (sound->isPlaying())
            sound->change(shownSignal());
    });
    // A press that could not be heard, or playback that stopped by itself:
    // the button comes up and says so; the next press tries afresh.
    connect(sound.get(), &Sound::failed, this, [this] {
        form->soundButton->setChecked(false);
        form->soundButton->setToolTip(QStringLiteral("Звук недоступен"));
    });
}

Baseband MainWindow::shownSignal() const
{
    const Submode *const submode = controller ? controller->currentSubmode() : nullptr;
    return submode ? submode->baseband() : Baseband();
}

void MainWindow::forward(int index, double value)
{
    if (!controller)
        return;
    if (Submode *const submode = controller->currentSubmode())
        submode->setParameter(index, value);
}

void MainWindow::on_pushButton_2_clicked()
{
    controller = std::make_unique<ModeController>(ModeController::DiscreteSpectrum, form.get());
}

void MainWindow::on_pushButton_3_clicked()
{
    controller = std::make_unique<ModeController>(ModeController::ContinuousSpectrum, form.get());
}

void MainWindow::on_comboBox_activated(int index)
{
    if (controller)
        controller->select(index);
}

void MainWindow::on_pushButton_clicked()
{
    form->soundButton->setChecked(false);
    controller.reset();
}

void MainWindow::on_pushButton_4_clicked()
{
    QCoreApplication::quit();
}

void MainWindow::on_doubleSpinBox_valueChanged(double value)
{
    forward(0, value);
}

void MainWindow::on_doubleSpinBox_2_valueChanged(double value)
{
    forward(1, value);
}

void MainWindow::on_spinBox_valueChanged(int value)
{
    forward(0, value);
}

void MainWindow::on_doubleSpinBox_9_valueChanged(double value)
{
    forward(1, value);
}

void MainWindow::on_doubleSpinBox_10_valueChanged(double value)
{
    forward(2, value);
}

void MainWindow::on_spinBox_2_valueChanged(int value)
{
    forward(0, value);
}

void MainWindow::on_spinBox_3_valueChanged(int value)
{
    forward(1, value);
}

void MainWindow::on_doubleSpinBox_3_valueChanged(double value)
{
    forward(2, value);
}

void MainWindow::on_doubleSpinBox_4_valueChanged(double value)
{
    forward(3, value);
}

void MainWindow::on_pushButton_5_clicked()
{
    forward(0, 0.0);
}

void MainWindow::on_pushButton_6_clicked()
{
    form->stackedWidget_3->setCurrentIndex(1);
}

void MainWindow::on_pushButton_7_clicked()
{
    form->stackedWidget_3->setCurrentIndex(0);
}

void MainWindow::on_envelopeButton_toggled(bool checked)
{
    // Kept through picks and "Меню"; the submode now shown redraws with it.
    Submode::setEnvelopeShown(checked);
    if (Submode *const submode = controller ? controller->currentSubmode() : nullptr)
        submode->redraw();
}

void MainWindow::on_soundButton_toggled(bool checked)
{
    if (!checked) {
        sound->stop();
    } else if (sound->play(shownSignal())) {
        form->soundButton->setToolTip(QString());
    } else {
        form->soundButton->setChecked(false);
    }
}
