// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the menu emblems and the neutral author avatars used by Quarnel.
// Everything is computed from fixed formulas, so repeated runs give identical files.
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const double Pi = 3.14159265358979323846;

// A w x h canvas at the given scale: scale 2 gives the @2x variant that Qt
// picks on its own for a screen of device pixel ratio 2.
QImage blank(int w, int h, double scale, const QColor &fill = Qt::transparent)
{
    QImage img(qRound(w * scale), qRound(h * scale), QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

// Drawing in the units of the 1x image, whatever the canvas's scale.
void smooth(QPainter &p, double scale)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
}

// Spectrum emblem: line heights follow |sinc|, the spectrum of a rectangular pulse,
// which is the first example shown in the lectures.
QImage spectrumEmblem(double scale)
{
    const int s = 500;
    QImage img = blank(s, s, scale);
    QPainter p(&img);
    smooth(p, scale);

    const QPointF c(s / 2.0, s / 2.0);
    QRadialGradient bg(c.x() - 60, c.y() - 80, s * 0.6);
    bg.setColorAt(0, QColor(255, 255, 255));
    bg.setColorAt(1, QColor(222, 230, 250));
    p.setPen(QPen(QColor(30, 70, 170), 14));
    p.setBrush(bg);
    p.drawEllipse(c, s / 2.0 - 12, s / 2.0 - 12);
    p.setPen(QPen(QColor(120, 150, 220), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, s / 2.0 - 32, s / 2.0 - 32);

    const double base = 350, left = 110, right = 390, top = 125;
    p.setPen(QPen(QColor(40, 40, 70), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(left - 25, base), QPointF(right + 25, base));

    // Symmetric two-sided spectrum keeps the emblem balanced inside the round badge.
    const int half = 4;
    const QColor blue(25, 80, 200);
    for (int k = -half; k <= half; ++k) {
        const double x = c.x() + (right - left) / 2.0 * k / half;
        const double u = std::abs(k) * 0.3;
        const double a = k == 0 ? 1.0 : std::fabs(std::sin(Pi * u) / (Pi * u));
        const double y = base - (base - top) * (0.1 + 0.9 * a);
        p.setPen(QPen(blue, 8, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(x, base), QPointF(x, y));
        p.setPen(QPen(QColor(15, 50, 140), 4));
        p.setBrush(QColor(90, 150, 245));
        p.drawEllipse(QPointF(x, y), 15, 15);
    }
    return img;
}

// Wave emblem: an exponentially damped sine, the time-domain counterpart of a spectral line.
QImage waveEmblem(double scale)
{
    const int w = 150, h = 122;
    QImage img = blank(w, h, scale);
    QPainter p(&img);
    smooth(p, scale);

    const QRectF box(3, 3, w - 6, h - 6);
    QLinearGradient bg(box.topLeft(), box.bottomLeft());
    bg.setColorAt(0, QColor(255, 255, 255));
    bg.setColorAt(1, QColor(252, 228, 228));
    p.setPen(QPen(QColor(170, 30, 40), 4));
    p.setBrush(bg);
    p.drawRoundedRect(box, 20, 20);

    const double mid = h / 2.0, x0 = 18, x1 = w - 18, amp = 40;
    p.setPen(QPen(QColor(90, 60, 60), 1.5));
    p.drawLine(QPointF(x0, mid), QPointF(x1, mid));

    QPainterPath wave;
    const int steps = 400;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double y = mid - amp * std::exp(-3.0 * t) * std::sin(2 * Pi * 4.5 * t);
        const QPointF pt(x0 + (x1 - x0) * t, y);
        if (i == 0)
            wave.moveTo(pt);
        else
            wave.lineTo(pt);
    }
    p.setPen(QPen(QColor(210, 35, 45), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    return img;
}

// Application icon: one spectral line standing over the wave packet it produces. It is drawn
// on a 256-unit canvas and scaled, with strokes kept at least a pixel or so wide, so that the
// small sizes stay readable instead of being shrunk copies of the large one.
QImage appIcon(int size)
{
    QImage img = blank(size, size, 1);
    QPainter p(&img);
    smooth(p, 1);
    const double k = size / 256.0;
    p.scale(k, k);
    const auto stroke = [k](double units, double minPixels) {
        return std::max(units, minPixels / k);
    };

    const QRectF box(8, 8, 240, 240);
    QLinearGradient bg(box.topLeft(), box.bottomLeft());
    bg.setColorAt(0, QColor(236, 240, 255));
    bg.setColorAt(1, QColor(196, 204, 250));
    p.setPen(QPen(QColor(30, 70, 170), stroke(8, 1)));
    p.setBrush(bg);
    p.drawRoundedRect(box, 44, 44);

    // The signal: a carrier under a Gaussian envelope, the time picture of one line.
    const double mid = 178, x0 = 30, x1 = 226, amp = 44;
    QPainterPath wave;
    const int steps = 600;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double u = (t - 0.5) / 0.2;
        const double y = mid - amp * std::exp(-u * u / 2) * std::cos(2 * Pi * 5.0 * (t - 0.5));
        const QPointF pt(x0 + (x1 - x0) * t, y);
        if (i == 0)
            wave.moveTo(pt);
        else
            wave.lineTo(pt);
    }
    p.setPen(QPen(QColor(210, 35, 45), stroke(9, 1.2), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);

    // The spectrum: one narrow Gaussian line on a short frequency axis above the wave.
    const double base = 118, left = 44, right = 212, top = 34, centre = 128, width = 16;
    p.setPen(QPen(QColor(40, 40, 70), stroke(6, 1), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(left, base), QPointF(right, base));
    QPainterPath line;
    for (int i = 0; i <= steps; ++i) {
        const double x = left + (right - left) * i / steps;
        const double u = (x - centre) / width;
        const QPointF pt(x, base - (base - top) * std::exp(-u * u / 2));
        if (i == 0)
            line.moveTo(pt);
        else
            line.lineTo(pt);
    }
    QPainterPath filled = line;
    filled.lineTo(right, base);
    filled.lineTo(left, base);
    filled.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 150, 245, 150));
    p.drawPath(filled);
    p.setPen(QPen(QColor(25, 80, 200), stroke(9, 1.2), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
    return img;
}

struct AvatarStyle
{
    QColor bgTop, bgBottom, figure, outline;
    bool roundFrame;
};

// Avatars are opaque so the JPEG copy matches the PNG; all sizes scale from the shorter side.
QImage avatar(int w, int h, double scale, const AvatarStyle &st)
{
    QImage img = blank(w, h, scale, st.bgBottom);
    QPainter p(&img);
    smooth(p, scale);
    const QRect area(0, 0, w, h);

    QLinearGradient bg(0, 0, 0, h);
    bg.setColorAt(0, st.bgTop);
    bg.setColorAt(1, st.bgBottom);
    p.fillRect(area, bg);

    const double u = std::min(w, h);
    const double cx = w / 2.0;
    QPainterPath clip;
    if (st.roundFrame) {
        const double r = u * 0.46;
        clip.addEllipse(QPointF(cx, h / 2.0), r, r);
        p.setPen(Qt::NoPen);
        p.setBrush(st.bgTop.lighter(112));
        p.drawPath(clip);
    } else {
        clip.addRect(area);
    }
    p.setClipPath(clip);

    const double headR = u * 0.2;
    const double headY = h * 0.40;
    const double shoulderTop = headY + headR * 1.15;
    QPainterPath body;
    body.moveTo(cx - u * 0.44, h + 2);
    body.cubicTo(cx - u * 0.44, shoulderTop + u * 0.05, cx - u * 0.3, shoulderTop, cx, shoulderTop);
    body.cubicTo(cx + u * 0.3, shoulderTop, cx + u * 0.44, shoulderTop + u * 0.05, cx + u * 0.44,
                 h + 2);
    body.closeSubpath();

    p.setPen(QPen(st.outline, std::max(2.0, u * 0.012)));
    p.setBrush(st.figure);
    p.drawPath(body);
    p.drawEllipse(QPointF(cx, headY), headR * 0.92, headR);

    p.setClipping(false);
    if (st.roundFrame) {
        p.setPen(QPen(st.outline, u * 0.015));
        p.setBrush(Qt::NoBrush);
        p.drawPath(clip);
    }
    return img;
}

bool save(const QImage &img, const QDir &dir, const QString &name, const char *format)
{
    const QString path = dir.filePath(name);
    // Top JPEG quality keeps the copy close to the PNG; for PNG, Qt maps 100 to "no compression",
    // so the default is used there instead.
    const int quality = qstrcmp(format, "JPG") == 0 ? 100 : -1;
    if (img.save(path, format, quality))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [ICON_DIR]\n", argv[0]);
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    const AvatarStyle first{QColor(176, 188, 204), QColor(132, 146, 166), QColor(228, 232, 238),
                            QColor(92, 104, 124), false};
    const AvatarStyle second{QColor(196, 186, 164), QColor(150, 138, 116), QColor(236, 230, 218),
                             QColor(104, 94, 78), true};
    const QImage author1 = avatar(186, 217, 1, first);
    bool ok = save(author1.convertToFormat(QImage::Format_RGB32), dir, "rot22.jpg", "JPG");
    for (const double scale : {1, 2}) {
        const QString suffix = scale == 1 ? QString(".png") : QString("@2x.png");
        ok = save(spectrumEmblem(scale), dir, "ulvar" + suffix, "PNG") && ok;
        ok = save(waveEmblem(scale), dir, "mendo" + suffix, "PNG") && ok;
        ok = save(avatar(186, 217, scale, first), dir, "rot22" + suffix, "PNG") && ok;
        ok = save(avatar(518, 488, scale, second), dir, "rot47" + suffix, "PNG") && ok;
    }

    // The sizes the hicolor theme looks up first; the window takes them from the resources too.
    if (argc == 3) {
        QDir icons(QString::fromLocal8Bit(argv[2]));
        if (!icons.mkpath(".")) {
            std::fprintf(stderr, "cannot create %s\n", argv[2]);
            return 1;
        }
        // An icon drawn for twice the pixels is what a screen of ratio 2 shows.
        for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
            ok = save(appIcon(size), icons, QString("quarnel-%1.png").arg(size), "PNG") && ok;
            ok =
                save(appIcon(2 * size), icons, QString("quarnel-%1@2x.png").arg(size), "PNG") && ok;
        }
    }
    return ok ? 0 : 1;
}
