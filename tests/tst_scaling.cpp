// SPDX-License-Identifier: GPL-3.0-or-later
// Display scaling: the window at QT_SCALE_FACTOR 1, 1.5 and 2 (one process
// each) has the layout of factor 1 in logical pixels, shows every text whole,
// renders at the factor, and turns mouse positions into the same values. The
// playhead leaves no trail, also on a real X server at a fractional scale.
#include "testsupport.h"

#include <QtTest>
#include <QtWidgets>
#include <qcustomplot.h>

#include <cmath>

using namespace TestSupport;

// Whether the widget's text fits where the widget draws it.
static bool textFits(QWidget *widget)
{
    auto *const box = qobject_cast<QComboBox *>(widget);
    const auto *const label = qobject_cast<QLabel *>(widget);
    const QString text = widget->property(box ? "currentText" : "text").toString();
    QRect area = widget->contentsRect();
    QStyleOptionComboBox option;
    option.initFrom(widget);
    if (box)
        area = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                            QStyle::SC_ComboBoxEditField, box);
    QTextDocument rich;
    rich.setDefaultFont(widget->font());
    rich.setDocumentMargin(0);
    rich.setHtml(text);
    const int wrap = label && label->wordWrap() ? Qt::TextWordWrap : 0;
    const QSize need = Qt::mightBeRichText(text)
                           ? rich.size().toSize()
                           : widget->fontMetrics().boundingRect(area, wrap, text).size();
    return text.isEmpty() || (label && label->hasScaledContents()) ||
           (need.width() <= area.width() && need.height() <= area.height());
}

class ScalingTest : public QObject, WindowFixture
{
    Q_OBJECT

public:
    // A line per visible named widget (its place in logical pixels) and per
    // value that a drag and a stroke put on the spectrum plot: what must not
    // depend on the scale factor; widgets whose text is cut are added to cut.
    QStringList layoutAndHits(QStringList &cut)
    {
        if (!window)
            openWindow();
        QStringList lines;
        for (const char *steps : {"settle", "click pushButton_6",
                                  "click pushButton_7; discrete; stroke 0.2 1 1.53 0.62", "pick 1",
                                  "menu; continuous", "pick 3; wave"}) {
            perform(steps + QString("; settle"));
            for (QWidget *widget : window->findChildren<QWidget *>()) {
                const QString name = widget->objectName();
                if (!widget->isVisible() || name.isEmpty() || name.startsWith("qt_"))
                    continue;
                const QRect r(widget->mapTo(window.get(), QPoint()), widget->size());
                lines << QString::asprintf("%s %d %d %d %d", qPrintable(name), r.x(), r.y(),
                                           r.width(), r.height());
                if (!textFits(widget))
                    cut << QString(steps) + QLatin1Char(' ') + name;
            }
            QStringList numbers(QStringLiteral("hit"));
            for (const double v : spectrum->graphCount()
                                      ? keys(spectrum->graph(0)) + values(spectrum->graph(0))
                                      : Doubles())
                numbers << QString::number(v, 'g', 12);
            lines << numbers.join(QLatin1Char(' '));
        }
        return lines;
    }

private slots:
    void init() { openWindow(true); }

    void rendersAtTheFactor()
    {
        const double factor = window->devicePixelRatioF();
        QCOMPARE(factor, qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
        QCOMPARE(window->grab().size(), QSize(qRound(1920 * factor), qRound(1080 * factor)));
        // The emblems are scaled down from drawings of at least the screen's resolution.
        QCOMPARE(find<QLabel>("label_14")->pixmap(Qt::ReturnByValue).width(),
                 factor > 1 ? 300 : 150);
        perform("discrete; settle; press 0.2 1; move 3 0.5");
        for (QCustomPlot *plot : {spectrum, signal})
            QCOMPARE(plot->bufferDevicePixelRatio(), factor);
        // A render from the static image looks as one drawing every layer.
        const QString differs = differsFromFullRender();
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    void playheadLeavesNoTrail()
    {
        perform("discrete; click soundButton");
        QTest::qWait(1500);
        // A move shifts the playhead's pixels at once and repaints the strip it
        // left at the next update; a busy machine may wake the test in between.
        QCoreApplication::sendPostedEvents(window.get(), QEvent::UpdateRequest);
        // What is on the screen, not the window painted afresh: offscreen,
        // the backing store, an image in device pixels; under X, the server's.
        QPaintDevice *const device = window->backingStore()->paintDevice();
        const QImage shown = QGuiApplication::platformName() == QLatin1String("offscreen")
                                 ? *static_cast<QImage *>(device)
                                 : window->screen()->grabWindow(window->winId()).toImage();
        const double factor = window->devicePixelRatioF();
        const int y = qRound(signal->mapTo(window.get(), signal->rect().center()).y() * factor);
        QVector<int> green; // one line where the playhead is, nothing where it was
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) == qRgb(0, 130, 0))
                green << x;
        QVERIFY2(!green.isEmpty() && green.last() - green.first() < qCeil(2 * factor),
                 qPrintable(green.isEmpty() ? QStringLiteral("no playhead")
                                            : QString::asprintf("green from x %d to %d",
                                                                green.first(), green.last())));
    }

    void sameLayoutAsAtFactorOne()
    {
        QStringList cut;
        const QStringList here = layoutAndHits(cut);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
        // The same walk in a process of its own at factor 1 (this one is scaled already; the
        // test comes last, after the factor is read).
        qputenv("QT_SCALE_FACTOR", "1");
        QProcess reference;
        reference.start(QCoreApplication::applicationFilePath(), {"--layout"});
        QVERIFY(reference.waitForFinished(60000));
        const QStringList there =
            QString::fromUtf8(reference.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(there.size(), here.size());
        // Within a logical pixel, or what a pixel's difference moves a value;
        // exactly at whole factors.
        const double factor = window->devicePixelRatioF(),
                     slack = factor == std::floor(factor) ? 0 : 1;
        for (int i = 0; i < here.size(); ++i) {
            const QStringList a = here[i].split(' '), b = there[i].split(' ');
            QVERIFY2(a.size() == b.size() && a[0] == b[0], qPrintable(here[i]));
            for (int k = 1; k < a.size(); ++k)
                QVERIFY2(std::fabs(a[k].toDouble() - b[k].toDouble()) <=
                             (a[0] == "hit" ? slack / 100 : slack),
                         qPrintable(here[i] + QLatin1String(" vs ") + there[i]));
        }
    }
};

int main(int argc, char *argv[])
{
    MainWindow::prepareDisplayScaling();
    QApplication application(argc, argv);
    ScalingTest test;
    if (argc > 1 && qstrcmp(argv[1], "--layout") == 0) {
        QStringList cut;
        QTextStream(stdout) << test.layoutAndHits(cut).join(QLatin1Char('\n')) << '\n';
        return 0;
    }
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaling.moc"
