// The project's own artwork, drawn with QPainter: a classic car-poster look.
#pragma once

#include <QImage>

namespace artwork {

QImage titlePicture();           // 613 x 366: "The Pelandra Omnarium" poster
QImage logoStrip();              // 563 x 67: the library's name on the show's black background
QImage dialogLogo();             // 350 x 146: the name and a car on the dialog's white panel
QImage showIcon(int size = 32);  // size x size, drawn on a 32 x 32 grid
QImage dialogIcon();             // 32 x 32

}  // namespace artwork
