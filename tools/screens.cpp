// SPDX-License-Identifier: GPL-3.0-or-later
// Renders every screen of the window at 1920x1080 into PNG files, so that a
// person can look at what a lecture hall will see, and the states that the
// README's tour shows. Usage: quarnel_screens [--width W] DIR
// (--width scales the files down to W pixels wide; QT_SCALE_FACTOR=2 renders
// them as a 200 % desktop shows them).
#include "audiosink.h"
#include "mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <qcustomplot.h>

#include <cmath>

int main(int argc, char *argv[])
{
    // The offscreen screen claims 100 dpi, which the desktop's scaling would
    // turn into a factor of 1.04; the screens are shown at 1 unless asked.
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "1");
    MainWindow::prepareDisplayScaling();
    QApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);
    int width = 0;
    if (args.size() >= 2 && args.first() == QLatin1String("--width")) {
        width = args.at(1).toInt();
        args = args.mid(2);
    }
    const QDir out(args.isEmpty() ? QStringLiteral("screens") : args.first());
    QDir().mkpath(out.path());
    // "Звук" as on a machine with a sound output, whatever this one has.
    AudioSink::setNullDevice(true);

    MainWindow window;
    window.setAutoFillBackground(true);
    window.setPalette(MainWindow::lecturePalette());
    window.resize(1920, 1080);
    window.show();
    const auto shoot = [&](const QString &name) {
        QCoreApplication::processEvents();
        QImage image = window.grab().toImage();
        if (width > 0)
            image = image.scaledToWidth(width, Qt::SmoothTransformation);
        image.save(out.filePath(name + QStringLiteral(".png")));
    };
    const auto click = [&](const char *name) {
        window.findChild<QPushButton *>(QLatin1String(name))->click();
    };
    auto *const combo = window.findChild<QComboBox *>(QStringLiteral("comboBox"));
    const auto pick = [combo](int index) {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };

    shoot(QStringLiteral("01-menu"));
    click("pushButton_6");
    shoot(QStringLiteral("02-authors"));
    click("pushButton_7");

    int shot = 3;
    for (const char *kind : {"pushButton_2", "pushButton_3"}) {
        click(kind);
        for (int i = 0; i < combo->count(); ++i) {
            pick(i);
            shoot(QStringLiteral("%1-%2").arg(shot++, 2, 10, QLatin1Char('0')).arg(i));
        }
        click("pushButton");
    }

    // The tour: amplitude modulation and beats, the wave packet, a Gaussian
    // line, a spectrum drawn with the mouse.
    click("pushButton_2");
    auto *const count = window.findChild<QSpinBox *>(QStringLiteral("spinBox_2"));
    count->setValue(3);
    shoot(QStringLiteral("tour-modulation"));
    count->setValue(2);
    shoot(QStringLiteral("tour-beats"));
    pick(1);
    shoot(QStringLiteral("tour-packet"));
    click("pushButton");
    click("pushButton_3");
    shoot(QStringLiteral("tour-gaussian"));
    // The same line narrower, with its envelope and both widths read out.
    click("envelopeButton");
    window.findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_2"))->setValue(0.3);
    shoot(QStringLiteral("tour-envelope"));
    click("envelopeButton");
    pick(3);
    auto *const plot = window.findChild<QCustomPlot *>(QStringLiteral("widget"));
    const auto mouse = [plot](QEvent::Type type, double f, double a) {
        const QPoint at(qRound(plot->xAxis->coordToPixel(f)), qRound(plot->yAxis->coordToPixel(a)));
        QMouseEvent event(type, at, plot->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QCoreApplication::sendEvent(plot, &event);
    };
    // Two lines of different widths, drawn left to right.
    const auto drawn = [](double f) {
        return 0.9 * std::exp(-std::pow((f - 1.5) / 0.25, 2)) +
               0.55 * std::exp(-std::pow((f - 3.3) / 0.45, 2));
    };
    mouse(QEvent::MouseButtonPress, 0.4, drawn(0.4));
    for (double f = 0.45; f < 4.6; f += 0.05)
        mouse(QEvent::MouseMove, f, drawn(f));
    mouse(QEvent::MouseButtonRelease, 4.6, drawn(4.6));
    shoot(QStringLiteral("tour-drawn"));
    click("envelopeButton");
    shoot(QStringLiteral("envelope-drawn"));
    click("pushButton");
    click("pushButton_2");
    pick(1);
    shoot(QStringLiteral("envelope-packet"));
    click("envelopeButton");
    return 0;
}
