#pragma once

#include <QImage>
#include <QWidget>

// A picture box: a widget that keeps the image last drawn into it and shows
// it until it is drawn again, so repaints never redo the drawing.
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
    QImage &image() { return image_; }
    const QImage &image() const { return image_; }
    // Shows the kept image again after it was drawn into.
    void refresh() { update(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage image_;
    QColor back_;
    QColor fore_{Qt::black};
};
