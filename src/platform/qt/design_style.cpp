#include "design_style.h"

#include <QFile>

#include "platform/pixel_geometry.h"

namespace pelandra::qt {

QRect pixelRect(const Twips& where) {
    // Qt draws device-independent pixels at the screen's own scale itself.
    const PixelRect rect = pixelsOf(where, 1.0);
    return {rect.left, rect.top, rect.width, rect.height};
}

QColor colourOf(Colour colour) {
    return {int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)};
}

QFont fontOf(const FontSpec& wanted, double scale) {
    QFont font;
    // Liberation Sans has the narrow metrics the layouts were drawn for; DejaVu Sans is the
    // fallback every Debian has.
    font.setFamilies(
        {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans")});
    font.setStyleHint(QFont::SansSerif);
    const float points = wanted.points > 0 ? wanted.points : 8.25f;
    font.setPixelSize(fontPixelHeight(points, scale));
    font.setBold(wanted.bold || wanted.name == "System");
    return font;
}

QString assetPath(std::string_view asset) {
    const QString base =
        QStringLiteral(":/assets/") + QString::fromUtf8(asset.data(), qsizetype(asset.size()));
    for (const char* extension : {".bmp", ".jpg", ".ico", ".png"}) {
        const QString path = base + QLatin1String(extension);
        if (QFile::exists(path)) return path;
    }
    return {};
}

}  // namespace pelandra::qt
