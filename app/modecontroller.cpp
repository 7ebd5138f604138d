// SPDX-License-Identifier: GPL-3.0-or-later
#include "modecontroller.h"

#include "continuous.h"
#include "drawing.h"
#include "equdistant.h"
#include "nonequdistant.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>

ModeController::ModeController(int spectrumKind, Ui::MainWindow *form)
    : spectrumKind(spectrumKind), comboBox(form->comboBox), kindLabel(form->label_7), form(form)
{
    form->stackedWidget->setCurrentIndex(1);

    QStringList entries;
    if (spectrumKind == DiscreteSpectrum) {
        kindLabel->setText(QStringLiteral("Дискретный спектр"));
        entries << QStringLiteral("Отдельные гармоники") << QStringLiteral("Волновой пакет");
    } else {
        kindLabel->setText(QStringLiteral("Непрерывный спектр"));
        entries << QStringLiteral("Гауссов") << QStringLiteral("Прямоугольный")
                << QStringLiteral("Лоренцовский") << QStringLiteral("Произвольный");
    }
    for (const QString &entry : entries)
        comboBox->insertItem(comboBox->count(), entry);

    // Filling the box emits no activated(), so the first submode is made here.
    select(0);
}

ModeController::~ModeController()
{
    form->stackedWidget->setCurrentIndex(0);
    while (comboBox->count() > 0)
        comboBox->removeItem(0);
    current.reset();
}

void ModeController::select(int index)
{
    // The pointer is null while the old submode goes and the new one is built,
    // so the value changes made by its constructor are forwarded nowhere.
    current.reset();

    // Pages of the parameter panel.
    enum { HarmonicsPage = 0, PacketPage = 1, LinePage = 2, DrawingPage = 3 };
    int page = -1;
    if (spectrumKind == DiscreteSpectrum) {
        switch (index) {
        case 0:
            current.reset(new Nonequdistant(
                Submode::SeparateHarmonics, form->spinBox_2, form->spinBox_3, form->doubleSpinBox_3,
                form->doubleSpinBox_4, form->widget, form->widget_2, form->label_9));
            page = HarmonicsPage;
            break;
        case 1:
            current.reset(new Equdistant(Submode::WavePacket, form->spinBox, form->doubleSpinBox_9,
                                         form->doubleSpinBox_10, form->widget, form->widget_2,
                                         form->label_9));
            page = PacketPage;
            break;
        default:
            break;
        }
    } else {
        switch (index) {
        case 0:
        case 1:
        case 2: {
            static const int lineKinds[] = {Submode::Gaussian, Submode::Rectangular,
                                            Submode::Lorentzian};
            current.reset(new Continuous(lineKinds[index], form->doubleSpinBox,
                                         form->doubleSpinBox_2, form->widget, form->widget_2,
                                         form->label_9, form->label_2));
            page = LinePage;
            break;
        }
        case 3:
            current.reset(new Drawing(Submode::Drawn, form->widget, form->widget_2,
                                      form->pushButton_5, form->label_9, form->label_28));
            page = DrawingPage;
            break;
        default:
            break;
        }
    }
    if (page >= 0) {
        form->stackedWidget_2->setCurrentIndex(page);
        // Each widget the switch shows posts itself an update, delivered only
        // after the new submode's replots, queued earlier, have painted the
        // window and the page with it: the page would be painted twice.
        // Marking it dirty now lets that one paint cover it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    }
}
