#include "drawings.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace artwork {

namespace {

const QColor kCream(250, 236, 200);
const QColor kCherry(196, 24, 36);
const QColor kChrome(226, 230, 236);
const QColor kNight(20, 24, 48);

QImage blank(int width, int height, const QColor& fill) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// A finned two-door coupe facing right, drawn in a 300 x 100 box.
void drawCar(QPainter& p, const QRectF& box, const QColor& body) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 300.0, box.height() / 100.0);

    QPainterPath shell;
    shell.moveTo(10, 72);
    shell.lineTo(292, 72);
    shell.quadTo(300, 64, 294, 54);
    shell.quadTo(290, 46, 262, 44);
    shell.lineTo(204, 42);
    shell.quadTo(190, 22, 172, 18);
    shell.lineTo(116, 18);
    shell.quadTo(98, 22, 86, 40);
    shell.lineTo(34, 42);
    shell.lineTo(12, 28);  // tail fin
    shell.lineTo(6, 50);
    shell.closeSubpath();
    QLinearGradient paint(0, 18, 0, 72);
    paint.setColorAt(0, body.lighter(150));
    paint.setColorAt(0.45, body);
    paint.setColorAt(1, body.darker(170));
    p.setPen(QPen(QColor(10, 10, 10), 1.6));
    p.setBrush(paint);
    p.drawPath(shell);

    QPainterPath glass;
    glass.moveTo(198, 42);
    glass.quadTo(186, 25, 170, 22);
    glass.lineTo(148, 22);
    glass.lineTo(148, 42);
    glass.closeSubpath();
    glass.moveTo(142, 42);
    glass.lineTo(142, 22);
    glass.lineTo(118, 22);
    glass.quadTo(104, 26, 94, 42);
    glass.closeSubpath();
    p.setBrush(QColor(150, 200, 230));
    p.drawPath(glass);

    p.setPen(QPen(kChrome, 2.5));
    p.drawLine(QPointF(24, 56), QPointF(286, 53));  // side trim
    p.setPen(QPen(kChrome, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(258, 70), QPointF(296, 68));  // front bumper
    p.drawLine(QPointF(8, 70), QPointF(40, 70));     // rear bumper

    for (const double x : {70.0, 236.0}) {
        p.setPen(QPen(QColor(10, 10, 10), 1.2));
        p.setBrush(QColor(18, 18, 18));
        p.drawEllipse(QPointF(x, 74), 18, 18);
        p.setBrush(QColor(245, 245, 240));  // whitewall
        p.drawEllipse(QPointF(x, 74), 11, 11);
        p.setBrush(kChrome.darker(115));
        p.drawEllipse(QPointF(x, 74), 6.5, 6.5);
    }
    p.restore();
}

void drawOutlinedText(QPainter& p, const QRectF& box, const QString& text, const QFont& font,
                      const QColor& fill, const QColor& outline, double width) {
    QPainterPath path;
    const QFontMetricsF metrics(font);
    const double x = box.center().x() - metrics.horizontalAdvance(text) / 2;
    const double y = box.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    path.addText(QPointF(x, y), font, text);
    p.save();
    p.translate(4, 4);  // drop shadow
    p.fillPath(path, QColor(0, 0, 0, 150));
    p.restore();
    p.setPen(QPen(outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

QFont font(const char* family, int pixels, int weight, bool italic = false) {
    QFont f(family);
    f.setPixelSize(pixels);
    f.setWeight(QFont::Weight(weight));
    f.setItalic(italic);
    return f;
}

}  // namespace

QImage titlePicture() {
    QImage image = blank(613, 366, kNight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 250);
    sky.setColorAt(0, QColor(28, 36, 92));
    sky.setColorAt(0.55, QColor(226, 96, 58));
    sky.setColorAt(1, QColor(252, 196, 92));
    p.fillRect(QRectF(0, 0, 613, 250), sky);

    QRadialGradient sun(QPointF(470, 232), 80);
    sun.setColorAt(0, QColor(255, 244, 190));
    sun.setColorAt(1, QColor(255, 210, 110, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(470, 232), 80, 80);

    QPainterPath hills;  // far ridge
    hills.moveTo(0, 250);
    hills.cubicTo(120, 190, 200, 230, 300, 212);
    hills.cubicTo(400, 196, 520, 240, 613, 205);
    hills.lineTo(613, 250);
    hills.closeSubpath();
    p.setBrush(QColor(88, 40, 70));
    p.drawPath(hills);

    p.fillRect(QRectF(0, 250, 613, 116), QColor(46, 46, 54));  // road
    p.fillRect(QRectF(0, 250, 613, 6), QColor(120, 110, 100));
    p.setBrush(QColor(250, 214, 60));
    for (int x = 10; x < 613; x += 70) p.drawRect(QRectF(x, 330, 40, 5));

    // Speed streaks behind the car.
    p.setPen(QPen(QColor(250, 236, 200, 170), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) p.drawLine(QPointF(40, 240 + i * 14), QPointF(150, 240 + i * 14));

    drawCar(p, QRectF(170, 196, 360, 124), kCherry);

    drawOutlinedText(p, QRectF(0, 10, 613, 50), QStringLiteral("The Pelandra"),
                     font("Z003", 52, QFont::Normal), kCream, QColor(60, 20, 20), 1.5);
    drawOutlinedText(p, QRectF(0, 62, 613, 96), QStringLiteral("OMNARIUM"),
                     font("URW Bookman", 92, QFont::Bold), kCherry, kCream, 4);
    p.setPen(kCream);
    p.setFont(font("DejaVu Sans", 14, QFont::Bold));
    p.drawText(QRectF(0, 160, 613, 24), Qt::AlignCenter,
               QStringLiteral("A   P H O T O   L I B R A R Y   O F   C L A S S I C   C A R S"));
    return image;
}

QImage logoStrip() {
    QImage image = blank(563, 67, Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kCherry, 3));
    p.drawLine(QPointF(6, 12), QPointF(557, 12));
    p.drawLine(QPointF(6, 55), QPointF(557, 55));
    p.setPen(QPen(kChrome.darker(140), 1));
    p.drawLine(QPointF(6, 17), QPointF(557, 17));
    p.drawLine(QPointF(6, 50), QPointF(557, 50));

    QLinearGradient chrome(0, 18, 0, 50);
    chrome.setColorAt(0, QColor(255, 255, 255));
    chrome.setColorAt(0.5, QColor(150, 160, 176));
    chrome.setColorAt(0.52, QColor(90, 70, 60));
    chrome.setColorAt(1, QColor(230, 210, 170));
    QFont face = font("URW Bookman", 30, QFont::Bold);
    face.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    QPainterPath path;
    const QString name = QStringLiteral("THE PELANDRA OMNARIUM");
    const QFontMetricsF metrics(face);
    path.addText(QPointF((563 - metrics.horizontalAdvance(name)) / 2, 45), face, name);
    p.setPen(QPen(kCherry, 1.2));
    p.setBrush(chrome);
    p.drawPath(path);
    return image;
}

QImage dialogLogo() {
    QImage image = blank(350, 146, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 350, 0);
    band.setColorAt(0, QColor(28, 36, 92));
    band.setColorAt(1, QColor(226, 96, 58));
    p.fillRect(QRectF(0, 88, 350, 40), band);
    drawCar(p, QRectF(60, 40, 230, 78), kCherry);
    drawOutlinedText(p, QRectF(0, 2, 350, 40), QStringLiteral("Pelandra Omnarium"),
                     font("URW Bookman", 30, QFont::Bold), kCherry, QColor(40, 0, 0), 1);
    p.setPen(QColor(0, 0, 128));
    p.setFont(font("DejaVu Sans", 11, QFont::Bold));
    p.drawText(QRectF(0, 128, 350, 18), Qt::AlignCenter, QStringLiteral("Classic Car Photographs"));
    return image;
}

QImage showIcon(int size) {
    QImage image = blank(size, size, QColor(252, 196, 92));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);  // the desktop's icon sizes from the one drawing
    p.fillRect(QRectF(0, 0, 32, 14), QColor(28, 36, 92));
    drawCar(p, QRectF(0, 8, 32, 20), kCherry);
    return image;
}

QImage dialogIcon() {
    QImage image = showIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);  // a small clock: the delay setting
    p.drawEllipse(QPointF(24, 7), 6.5, 6.5);
    p.drawLine(QPointF(24, 7), QPointF(24, 2.5));
    p.drawLine(QPointF(24, 7), QPointF(27, 8));
    return image;
}

}  // namespace artwork
