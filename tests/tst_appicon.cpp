// The application icon: the window carries every drawn size, and each one is
// the very file that installation puts into the hicolor theme.
#include "mainwindow.h"
#include "testsupport.h"

#include <QIcon>
#include <QImage>
#include <QWindow>
#include <QtTest>

using namespace TestSupport;

class AppIconTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { window = makeWindow(); }
    void cleanupTestCase() { window.reset(); }

    void windowCarriesTheIcon();
    void sizesMatchTheInstalledFiles_data();
    void sizesMatchTheInstalledFiles();

private:
    std::unique_ptr<MainWindow> window;
};

void AppIconTest::windowCarriesTheIcon()
{
    QVERIFY(!window->windowIcon().isNull());
    // What the desktop sees is the native window's icon, not the widget property.
    QVERIFY(window->windowHandle());
    QVERIFY(!window->windowHandle()->icon().isNull());
    QCOMPARE(window->windowHandle()->icon().availableSizes(),
             window->windowIcon().availableSizes());
}

void AppIconTest::sizesMatchTheInstalledFiles_data()
{
    QTest::addColumn<int>("size");
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        QTest::addRow("%dx%d", size, size) << size;
}

void AppIconTest::sizesMatchTheInstalledFiles()
{
    QFETCH(int, size);
    const QIcon icon = window->windowIcon();
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));

    // The file that cmake --install copies to hicolor/SIZExSIZE/apps/quarnel.png.
    const QString installed = QStringLiteral(QUARNEL_ICON_DIR "/quarnel-%1.png").arg(size);
    const QImage expected(installed);
    QVERIFY2(!expected.isNull(), qPrintable(installed));
    QCOMPARE(expected.size(), QSize(size, size));
    // Opaque corners would show as a square on the desktop's menu.
    QCOMPARE(qAlpha(expected.pixel(0, 0)), 0);

    const QImage shown = icon.pixmap(QSize(size, size)).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
             expected.convertToFormat(QImage::Format_ARGB32));
}

QTEST_MAIN(AppIconTest)
#include "tst_appicon.moc"
