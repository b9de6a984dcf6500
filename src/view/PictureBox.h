#pragma once

#include <QImage>
#include <QWidget>

// A picture box: a widget that keeps the image last drawn into it and shows
// it until it is drawn again, so repaints never redo the drawing. The image
// has the screen's pixels (the widget's size times the device pixel ratio),
// so that traces are sharp on high-density screens; drawing into it works in
// those pixels.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    QColor backColor() const { return back_; }
    void setBackColor(const QColor &c);
    QColor foreColor() const { return fore_; }
    void setForeColor(const QColor &c) { fore_ = c; }

    // Clears the kept image to the background colour at the current size.
    void cls();
    // The screen pixels per widget pixel that the kept image is made for.
    qreal pixelRatio() const;
    QImage &image() { return image_; }
    const QImage &image() const { return image_; }
    // Shows the kept image again after it was drawn into.
    void refresh() { update(); }

    // The play cursor: a thin vertical line over the kept image at x (widget
    // pixels), or none for -1. Moving it repaints only the strips it leaves
    // and enters, never the whole image.
    void setCursorX(int x);
    int cursorX() const { return cursorX_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect cursorStrip(int x) const;

    QImage image_;
    int cursorX_ = -1;
    QColor back_;
    QColor fore_{Qt::black};
};
