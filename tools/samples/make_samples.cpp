// Paints the bundled sample photo library: about twenty pictures whose file names
// exercise the captions (category codes, model years from the 1950s to the 2000s, a
// lower-case name) in the formats the show reads.
//
//   make-samples FOLDER     writes the pictures into FOLDER (created if missing)

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

struct Sample {
    const char* file;
    const char* title;
    int hue;  // 0-359: each picture has its own colouring
};

constexpr Sample kSamples[] = {
    {"53COUPE.JPG", "1953 Coupe", 20},
    {"57ROADST.JPG", "1957 Roadster", 200},
    {"63COUPE.JPG", "1963 Coupe", 0},
    {"68FASTBK.JPG", "1968 Fastback", 120},
    {"72TARGA.JPG", "1972 Targa", 45},
    {"85TURBO.JPG", "1985 Turbo", 280},
    {"99CONV.JPG", "1999 Convertible", 170},
    {"01ROADST.JPG", "2001 Roadster", 330},
    {"04SPORT.PNG", "2004 Sport", 90},
    {"ZZ01.JPG", "Philately", 60},
    {"ZY01.JPG", "Coin", 40},
    {"GH01.JPG", "Museum Art Print", 260},
    {"gh_print.jpg", "Museum Art Print", 300},
    {"TT01.JPG", "Top Ten People", 15},
    {"CV01.BMP", "Custom", 190},
    {"VR01.JPG", "Plastic Kit Model", 100},
    {"DR01.JPG", "Race Car", 350},
    {"ES01.PNG", "Ski Boat", 210},
    {"MA01.JPG", "Americana", 30},
    {"TW01.JPG", "Pocket Watch", 230},
};

void paintCar(QPainter& p, const QRectF& area, const QColor& body) {
    const qreal w = area.width();
    const qreal h = area.height();
    const qreal x = area.left();
    const qreal y = area.top();
    QPainterPath shape;
    shape.moveTo(x + 0.02 * w, y + 0.75 * h);
    shape.cubicTo(x + 0.02 * w, y + 0.50 * h, x + 0.15 * w, y + 0.48 * h, x + 0.30 * w,
                  y + 0.45 * h);
    shape.cubicTo(x + 0.38 * w, y + 0.15 * h, x + 0.62 * w, y + 0.12 * h, x + 0.72 * w,
                  y + 0.42 * h);
    shape.cubicTo(x + 0.90 * w, y + 0.45 * h, x + 0.99 * w, y + 0.55 * h, x + 0.98 * w,
                  y + 0.75 * h);
    shape.closeSubpath();
    QLinearGradient paint(area.topLeft(), area.bottomLeft());
    paint.setColorAt(0, body.lighter(160));
    paint.setColorAt(1, body.darker(160));
    p.setPen(QPen(body.darker(250), 3));
    p.setBrush(paint);
    p.drawPath(shape);
    p.setBrush(QColor(170, 210, 240, 200));
    p.drawPolygon(
        QPolygonF({QPointF(x + 0.36 * w, y + 0.44 * h), QPointF(x + 0.42 * w, y + 0.24 * h),
                   QPointF(x + 0.60 * w, y + 0.22 * h), QPointF(x + 0.67 * w, y + 0.43 * h)}));
    for (qreal wheel : {0.22, 0.78}) {
        const QPointF centre(x + wheel * w, y + 0.76 * h);
        QRadialGradient rim(centre, 0.09 * w);
        rim.setColorAt(0, QColor(220, 220, 220));
        rim.setColorAt(0.45, QColor(90, 90, 90));
        rim.setColorAt(0.5, QColor(20, 20, 20));
        p.setBrush(rim);
        p.setPen(Qt::NoPen);
        p.drawEllipse(centre, 0.09 * w, 0.09 * w);
    }
}

QImage paintSample(const Sample& sample, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = QColor::fromHsv(sample.hue, 200, 220);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, base.lighter(170));
    sky.setColorAt(0.62, base);
    sky.setColorAt(0.63, QColor(60, 60, 64));
    sky.setColorAt(1, QColor(25, 25, 28));
    p.fillRect(image.rect(), sky);
    paintCar(
        p,
        QRectF(size.width() * 0.12, size.height() * 0.28, size.width() * 0.76, size.height() * 0.5),
        QColor::fromHsv((sample.hue + 180) % 360, 230, 200));
    QFont font("Sans");
    font.setBold(true);
    font.setPixelSize(size.height() / 12);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 230));
    p.drawText(QRectF(0, size.height() * 0.84, size.width(), size.height() * 0.14), Qt::AlignCenter,
               QString::fromUtf8(sample.title));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-samples FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "make-samples: cannot create %s\n", argv[1]);
        return 1;
    }
    int written = 0;
    for (const auto& sample : kSamples) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(sample.file));
        // One large photo shows that big pictures are decoded at the frame's size.
        const QSize size = written == 2 ? QSize(3000, 2000) : QSize(1024, 640);
        if (!paintSample(sample, size).save(path, nullptr, 88)) {
            std::fprintf(stderr, "make-samples: cannot write %s\n", qPrintable(path));
            return 1;
        }
        ++written;
    }
    std::printf("%d sample photos in %s\n", written, qPrintable(folder));
    return 0;
}
