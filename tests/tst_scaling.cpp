// Display scaling: the window at QT_SCALE_FACTOR 1, 1.5 and 2 (one process
// each) has the layout of factor 1 in logical pixels, shows every text whole,
// renders at the factor, and turns mouse positions into the same values.
#include "audiosink.h"
#include "plot.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBackingStore>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>

using namespace TestSupport;

namespace {

// The width and height a widget's text needs, in logical pixels.
QSize textSize(const QWidget *widget, const QString &text, bool wrap, int width)
{
    if (Qt::mightBeRichText(text)) {
        QTextDocument document;
        document.setDefaultFont(widget->font());
        document.setDocumentMargin(0);
        document.setHtml(text);
        return QSize(qCeil(document.idealWidth()), qCeil(document.size().height()));
    }
    const QFontMetrics metrics = widget->fontMetrics();
    if (wrap)
        return metrics.boundingRect(0, 0, width, 10000, Qt::TextWordWrap, text).size();
    return metrics.size(0, text);
}

// Where a text is drawn inside its widget.
QRect textArea(QWidget *widget)
{
    if (auto *box = qobject_cast<QComboBox *>(widget)) {
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = box->isEditable();
        return box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                            QStyle::SC_ComboBoxEditField, box);
    }
    return widget->contentsRect();
}

// One line per visible named widget and per value a drag and a stroke put on
// the spectrum plot: everything that must not depend on the scale factor.
// Texts that do not fit are added to cut.
QStringList layoutAndHits(MainWindow *window, QStringList &cut)
{
    QStringList lines;
    const auto click = [window](const char *name) {
        find<QAbstractButton>(window, name)->click();
        settle();
    };
    const auto snapshot = [&](const QString &state) {
        settle();
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            const QString name = widget->objectName();
            if (!widget->isVisible() || name.isEmpty() || name.startsWith(QLatin1String("qt_")))
                continue;
            const QRect r(widget->mapTo(window, QPoint()), widget->size());
            lines << QStringLiteral("%1 %2 %3 %4 %5 %6")
                         .arg(state, name)
                         .arg(r.x())
                         .arg(r.y())
                         .arg(r.width())
                         .arg(r.height());
            const QVariant text =
                widget->property(qobject_cast<QComboBox *>(widget) ? "currentText" : "text");
            const auto *label = qobject_cast<QLabel *>(widget);
            if (text.toString().isEmpty() || (label && label->hasScaledContents()))
                continue;
            const QRect area = textArea(widget);
            const QSize need =
                textSize(widget, text.toString(), label && label->wordWrap(), area.width());
            if (need.width() > area.width() || need.height() > area.height())
                cut << QStringLiteral("%1 %2: %3 needs %4x%5 in %6x%7")
                           .arg(state, name, text.toString())
                           .arg(need.width())
                           .arg(need.height())
                           .arg(area.width())
                           .arg(area.height());
        }
    };
    const auto hits = [&](const QString &what, QCustomPlot *plot) {
        QStringList numbers;
        for (const double v : keys(plot->graph(0)) + values(plot->graph(0)))
            numbers << QString::number(v, 'g', 12);
        lines << QStringLiteral("hit %1 %2").arg(what, numbers.join(QLatin1Char(' ')));
    };

    snapshot(QStringLiteral("menu"));
    click("pushButton_6");
    snapshot(QStringLiteral("authors"));
    click("pushButton_7");

    click("pushButton_2");
    auto *spectrum = find<QCustomPlot>(window, "widget");
    press(spectrum, pixelOf(spectrum, 0.2, 1.0));
    move(spectrum, pixelOf(spectrum, 1.53, 0.62));
    release(spectrum, pixelOf(spectrum, 1.53, 0.62));
    hits(QStringLiteral("drag"), spectrum);
    snapshot(QStringLiteral("harmonics"));
    pick(find<QComboBox>(window, "comboBox"), 1);
    snapshot(QStringLiteral("packet"));
    click("pushButton");

    click("pushButton_3");
    snapshot(QStringLiteral("gaussian"));
    pick(find<QComboBox>(window, "comboBox"), 3);
    press(spectrum, pixelOf(spectrum, 0.5, 0.1));
    for (double f = 0.6; f < 4.5; f += 0.25)
        move(spectrum, pixelOf(spectrum, f, 0.5 + 0.4 * std::sin(f * 2)));
    release(spectrum, pixelOf(spectrum, 4.5, 0.2));
    hits(QStringLiteral("stroke"), spectrum);
    snapshot(QStringLiteral("drawn"));
    return lines;
}

double scaleFactor()
{
    return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
}

} // namespace

class ScalingTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { openWindow(); }

    void rendersAtTheFactor()
    {
        const double factor = scaleFactor();
        QCOMPARE(window->devicePixelRatioF(), factor);
        const QPixmap grab = window->grab();
        QCOMPARE(grab.size(), QSize(qRound(1920 * factor), qRound(1080 * factor)));
        click("pushButton_2");
        settle();
        for (QCustomPlot *plot : {spectrum, signal})
            QCOMPARE(plot->bufferDevicePixelRatio(), factor);
        // At this factor too, a render from the plot's static image looks as
        // one that draws every layer.
        press(spectrum, pixelOf(spectrum, 0.2, 1.0));
        move(spectrum, pixelOf(spectrum, 3.0, 0.5));
        settle();
        QVERIFY(static_cast<Plot *>(spectrum)->staticImageRenders() > 0);
        for (Plot *plot : {static_cast<Plot *>(spectrum), static_cast<Plot *>(signal)}) {
            const QImage shown = plot->grab().toImage();
            plot->replotFully();
            settle();
            QCOMPARE(plot->grab().toImage(), shown);
        }
        // The emblems and portraits are scaled down from drawings of at
        // least the screen's resolution.
        const QPixmap emblem = find<QLabel>("label_14")->pixmap(Qt::ReturnByValue);
        QCOMPARE(emblem.width(), factor > 1 ? 300 : 150);
    }

    void playheadLeavesNoTrail()
    {
        AudioSink::setNullDevice(true);
        openWindow();
        AudioSink::setNullDevice(false);
        click("pushButton_2");
        click("soundButton");
        QTest::qWait(1500);
        // What is on the screen, not the window painted afresh: offscreen,
        // the backing store is an image in device pixels; under X, what the
        // server shows.
        QImage shown;
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            QPaintDevice *const device = window->backingStore()->paintDevice();
            QCOMPARE(device->devType(), int(QInternal::Image));
            shown = *static_cast<QImage *>(device);
        } else {
            shown = window->screen()->grabWindow(window->winId()).toImage();
        }
        const double factor = window->devicePixelRatioF();
        const int y = qRound(signal->mapTo(window.get(), signal->rect().center()).y() * factor);
        // One line where the playhead is, and nothing where it was.
        QVector<int> green;
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixel(x, y) == qRgb(0, 130, 0))
                green << x;
        }
        QVERIFY(!green.isEmpty());
        QVERIFY2(green.last() - green.first() < qCeil(2 * factor),
                 qPrintable(QStringLiteral("%1 to %2").arg(green.first()).arg(green.last())));
    }

    void sameLayoutAsAtFactorOne()
    {
        QStringList cut;
        const QStringList here = layoutAndHits(window.get(), cut);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));

        // The same walk in a process of its own at factor 1.
        QProcess reference;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1"));
        reference.setProcessEnvironment(environment);
        reference.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--layout")});
        QVERIFY(reference.waitForFinished(60000));
        const QStringList there =
            QString::fromUtf8(reference.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(there.size(), here.size());

        // Geometry within a logical pixel; a value within what a pixel's
        // difference moves it, and exactly at whole factors.
        const double slack = scaleFactor() == std::floor(scaleFactor()) ? 0 : 1;
        for (int i = 0; i < here.size(); ++i) {
            const QStringList a = here[i].split(' '), b = there[i].split(' ');
            QCOMPARE(a.size(), b.size());
            QCOMPARE(a.mid(0, 2), b.mid(0, 2));
            for (int k = 2; k < a.size(); ++k) {
                const double tolerance = a[0] == QLatin1String("hit") ? slack * 0.01 : slack;
                QVERIFY2(std::fabs(a[k].toDouble() - b[k].toDouble()) <= tolerance,
                         qPrintable(here[i] + QLatin1String(" vs ") + there[i]));
            }
        }
    }
};

int main(int argc, char *argv[])
{
    MainWindow::prepareDisplayScaling();
    QApplication application(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--layout") == 0) {
        auto window = makeWindow();
        QStringList cut;
        QTextStream(stdout) << layoutAndHits(window.get(), cut).join(QLatin1Char('\n')) << '\n';
        return 0;
    }
    ScalingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaling.moc"
