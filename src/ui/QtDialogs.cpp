#include "ui/QtDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

QString plainLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QMessageBox::StandardButton standardButton(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok: return QMessageBox::Ok;
    case MsgAnswer::Cancel: return QMessageBox::Cancel;
    case MsgAnswer::Yes: return QMessageBox::Yes;
    case MsgAnswer::No: return QMessageBox::No;
    case MsgAnswer::Abort: return QMessageBox::Abort;
    case MsgAnswer::Retry: return QMessageBox::Retry;
    case MsgAnswer::Ignore: return QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons standardButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

int titleBarWidth(const QString &title, const QFont &font)
{
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    // The icon and three buttons, each about a line high and square, and
    // the bar's margins.
    return metrics.horizontalAdvance(title) + 5 * metrics.height();
}

void fitTitle(QDialog &dialog)
{
    const int width = titleBarWidth(dialog.windowTitle(), dialog.font());
    dialog.sizeHint();  // an input box makes its layout only when asked its size
    // A box sets its own size from its layout when shown (a message box,
    // an input box): the width goes into the layout, as an empty item.
    if (QLayout *layout = dialog.layout())
        layout->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum));
    else if (dialog.minimumWidth() < width)
        dialog.setMinimumWidth(std::min(width, dialog.maximumWidth()));
}

QDialogButtonBox *okCancelButtons(QDialog &dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

MsgAnswer QtDialogs::message(const MessageRequest &request)
{
    QMessageBox box(boxIcon(request.icon), request.title, plainLines(request.text),
                    standardButtons(request.buttons), parent_);
    fitTitle(box);
    box.setDefaultButton(standardButton(request.defaultButton));
    // Closing the box is Cancel where there is one; an OK box closes as OK.
    if (request.buttons == MsgButtons::Ok)
        box.setEscapeButton(QMessageBox::Ok);
    else if (request.buttons == MsgButtons::YesNoCancel || request.buttons == MsgButtons::OkCancel
             || request.buttons == MsgButtons::RetryCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Abort: return MsgAnswer::Abort;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    case QMessageBox::Ignore: return MsgAnswer::Ignore;
    default: return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

std::optional<QString> QtDialogs::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(title);
    dialog.setLabelText(plainLines(prompt));
    dialog.setTextValue(defaultText);
    fitTitle(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtDialogs::beep()
{
    QApplication::beep();
}
