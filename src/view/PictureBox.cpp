#include "view/PictureBox.h"

#include <QPaintEvent>
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

QRect PictureBox::cursorStrip(int x) const
{
    return QRect(x - 1, 0, 3, height());
}

void PictureBox::setCursorX(int x)
{
    if (x == cursorX_)
        return;
    if (cursorX_ >= 0)
        update(cursorStrip(cursorX_));
    cursorX_ = x;
    if (cursorX_ >= 0)
        update(cursorStrip(cursorX_));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    // After a resize the old image stays until the redraw replaces it: a
    // view is never blank while the window is dragged larger or smaller.
    // The image is drawn at its own pixel size, one image pixel to one
    // screen pixel, and only the part asked for (the play cursor's strips).
    QPainter p(this);
    const QRect area = event->rect();
    p.fillRect(area, back_);
    const qreal ratio = pixelRatio();
    const QRectF shown = QRectF(area).intersected(QRectF(QPointF(0, 0), QSizeF(image_.size()) / ratio));
    if (!shown.isEmpty())
        p.drawImage(shown, image_, QRectF(shown.topLeft() * ratio, shown.size() * ratio));
    if (cursorX_ >= 0 && area.intersects(cursorStrip(cursorX_)))
        p.fillRect(QRect(cursorX_, 0, 1, height()), QColor(220, 0, 0));
}
