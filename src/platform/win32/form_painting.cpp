// Drawing what the common controls do not: the window's background, the pictures and the
// spin control's arrows in the design's colours.
#include <algorithm>

#include "platform/pixel_geometry.h"
#include "platform/win32/form_internals.h"
#include "platform/win32/form_window.h"
#include "platform/win32/gdi_objects.h"

namespace pelandra::win32 {

using namespace form_internals;

void FormWindow::paintBackground(HDC dc) const {
    const RECT client = clientOf(hwnd_);
    FillRect(dc, &client, backBrush_.get());
}

void FormWindow::paintPicture(const Control& control) const {
    const PaintScope paint(control.hwnd);
    const HDC dc = paint.dc();
    const RECT client = clientOf(control.hwnd);
    FillRect(dc, &client, control.brush.get());
    if (!control.picture) return;
    const MemoryDc source(dc);
    const Selection bitmap(source.get(), control.picture->bitmap());
    const int width = control.picture->width();
    const int height = control.picture->height();
    if (stretches(control) && (width != client.right || height != client.bottom)) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, client.right, client.bottom, source.get(), 0, 0, width, height,
                   SRCCOPY);
    } else {
        BitBlt(dc, 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    }
}

void FormWindow::paintSpin(const Control& control) const {
    // The arrows in the design's colours (blue on light grey), which the common control
    // cannot take.
    const PaintScope paint(control.hwnd);
    const HDC dc = paint.dc();
    const RECT client = clientOf(control.hwnd);
    const LONG middle = client.right / 2;
    const Brush arrowBrush(CreateSolidBrush(colourRef(control.design->foreColour)));
    const Pen arrowPen(CreatePen(PS_SOLID, 1, colourRef(control.design->foreColour)));
    const Selection brush(dc, arrowBrush.get());
    const Selection pen(dc, arrowPen.get());
    for (int arrow = 0; arrow < 2; ++arrow) {
        RECT half = client;
        (arrow == 0 ? half.right : half.left) = middle;
        FillRect(dc, &half, control.brush.get());
        DrawEdge(dc, &half, control.pressedArrow == arrow ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        const LONG size = std::max<LONG>(2, std::min(half.right - half.left, half.bottom) / 4);
        const LONG x = (half.left + half.right) / 2;
        const LONG y = half.bottom / 2;
        const LONG tip = arrow == 0 ? x - size : x + size;
        const LONG base = arrow == 0 ? x + size / 2 : x - size / 2;
        const POINT points[] = {{tip, y}, {base, y - size}, {base, y + size}};
        Polygon(dc, points, 3);
    }
}

LRESULT FormWindow::colour(const Control& control, HDC dc) const {
    SetTextColor(dc, colourRef(control.design->foreColour));
    SetBkColor(dc, colourRef(control.design->backColour));
    return reinterpret_cast<LRESULT>(control.brush.get());
}

LRESULT FormWindow::noticeColour(HDC dc) const {
    SetTextColor(dc, colourRef(kNoticeText));
    SetBkColor(dc, colourRef(kNoticeBack));
    return reinterpret_cast<LRESULT>(noticeBrush_.get());
}

}  // namespace pelandra::win32
