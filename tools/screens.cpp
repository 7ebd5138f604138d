// Renders every screen of the window at 1920x1080 into PNG files, so that a
// person can look at what a lecture hall will see. Usage: quarnel_screens DIR
// (QT_SCALE_FACTOR=2 renders them as a 200 % desktop shows them).
#include "mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>

int main(int argc, char *argv[])
{
    // The offscreen screen claims 100 dpi, which the desktop's scaling would
    // turn into a factor of 1.04; the screens are shown at 1 unless asked.
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "1");
    MainWindow::prepareDisplayScaling();
    QApplication application(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screens"));
    QDir().mkpath(out.path());
    MainWindow window;
    window.setAutoFillBackground(true);
    window.setPalette(MainWindow::lecturePalette());
    window.resize(1920, 1080);
    window.show();
    const auto shoot = [&](const QString &name) {
        QCoreApplication::processEvents();
        window.grab().save(out.filePath(name + QStringLiteral(".png")));
    };
    const auto click = [&](const char *name) {
        window.findChild<QPushButton *>(QLatin1String(name))->click();
    };

    shoot(QStringLiteral("01-menu"));
    click("pushButton_6");
    shoot(QStringLiteral("02-authors"));
    click("pushButton_7");

    int shot = 3;
    for (const char *kind : {"pushButton_2", "pushButton_3"}) {
        click(kind);
        auto *combo = window.findChild<QComboBox *>(QStringLiteral("comboBox"));
        for (int i = 0; i < combo->count(); ++i) {
            combo->setCurrentIndex(i);
            emit combo->activated(i);
            shoot(QStringLiteral("%1-%2").arg(shot++, 2, 10, QLatin1Char('0')).arg(i));
        }
        click("pushButton");
    }
    return 0;
}
