#include "PictureBox.h"

#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent), back_(palette().color(QPalette::Button))
{
}

void PictureBox::setBackColor(const QColor &c)
{
    back_ = c;
    cls();
}

qreal PictureBox::pixelRatio() const
{
    return devicePixelRatioF();
}

void PictureBox::cls()
{
    const QSize pixels = (QSizeF(size()) * pixelRatio()).toSize().expandedTo(QSize(1, 1));
    if (image_.size() != pixels)
        image_ = QImage(pixels, QImage::Format_RGB32);
    image_.fill(back_);
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    // After a resize the old image stays until the redraw replaces it: a
    // view is never blank while the window is dragged larger or smaller.
    // The image is drawn at its own pixel size, one image pixel to one
    // screen pixel.
    QPainter p(this);
    p.fillRect(rect(), back_);
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(image_.size()) / pixelRatio()), image_);
}
