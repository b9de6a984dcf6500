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

void PictureBox::cls()
{
    if (image_.size() != size())
        image_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image_.fill(back_);
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), back_);
    p.drawImage(0, 0, image_);
}

void PictureBox::resizeEvent(QResizeEvent *)
{
    // A resize clears the image, as a picture box that keeps its image does;
    // the layout redraws right after.
    cls();
}
