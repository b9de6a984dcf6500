#pragma once

#include <QRect>
#include <QtGlobal>

// The windows were laid out in twips (1/1440 inch) for a screen of 96 dots
// per inch: 15 twips make a pixel. Every window converts with these, rounding
// to the nearest pixel.

constexpr double kTwipsPerPixel = 15;

struct TwipRect {
    double left = 0, top = 0, width = 0, height = 0;
};

constexpr int twipsToPixels(double twips)
{
    return qRound(twips / kTwipsPerPixel);
}

constexpr double pixelsToTwips(double pixels)
{
    return pixels * kTwipsPerPixel;
}

inline QRect pixelRect(const TwipRect &r)
{
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width), twipsToPixels(r.height));
}
