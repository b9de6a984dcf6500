#pragma once

#include <QLineEdit>

// The alias box: a text box that shades the alias's leading and trailing
// spaces, which a plain box shows as nothing.
class AliasBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent *e) override;
};
