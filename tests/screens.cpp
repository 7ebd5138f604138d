// Renders every screen of the window at 1920x1080 into PNG files, so that a
// person can look at what a lecture hall will see. Usage: quarnel_screens DIR
#include "mainwindow.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>

using namespace TestSupport;

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screens"));
    QDir().mkpath(out.path());
    auto window = makeWindow();
    const auto shoot = [&](const QString &name) {
        QCoreApplication::processEvents();
        window->grab().save(out.filePath(name + QStringLiteral(".png")));
    };
    const auto click = [&](const char *name) {
        QTest::mouseClick(find<QPushButton>(window.get(), name), Qt::LeftButton);
    };

    shoot(QStringLiteral("01-menu"));
    click("pushButton_6");
    shoot(QStringLiteral("02-authors"));
    click("pushButton_7");

    int shot = 3;
    for (const char *kind : {"pushButton_2", "pushButton_3"}) {
        click(kind);
        auto *combo = find<QComboBox>(window.get(), "comboBox");
        for (int i = 0; i < combo->count(); ++i) {
            pick(combo, i);
            shoot(QStringLiteral("%1-%2").arg(shot++, 2, 10, QLatin1Char('0')).arg(i));
        }
        click("pushButton");
    }
    return 0;
}
