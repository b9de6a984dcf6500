#include "ui/frmOpen.h"

#include "core/clsSett.h"
#include "core/modUtils.h"
#include "core/Twips.h"
#include "ui/applyFont.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPx = 12;

// Indents each folder row by its depth, so the ancestors read as a path
// going down and the subfolders as the level below it.
class DepthDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + kIndentPx * index.data(kDepthRole).toInt());
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

// A control of the form: its name, which tests find it by, and its place in
// twips.
template <class Control>
Control *addControl(QWidget *form, const char *name, const TwipRect &at)
{
    auto *control = new Control(form);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(pixelRect(at));
    return control;
}

}  // namespace

frmOpen::frmOpen(clsSett &sett, const QString &wrkpath, const modLocale &locale, Dialogs &dialogs,
                 QWidget *parent, QList<DriveInfo> drives)
    : QDialog(parent),
      sett_(sett),
      locale_(locale),
      dialogs_(dialogs),
      chooser_(drives.isEmpty() ? drivesFromMounts(systemMounts(), QDir::homePath()) : std::move(drives))
{
    setObjectName(QStringLiteral("frmOpen"));
    setFixedSize(twipsToPixels(5160), twipsToPixels(5430));

    txtPath = addControl<QPlainTextEdit>(this, "txtPath", {120, 120, 4935, 495});
    // Long paths wrap and scroll down; a horizontal bar would leave no room
    // for the text in a box of this height.
    txtPath->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtPath->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtPath->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    txtPath->setTabChangesFocus(true);
    txtPath->installEventFilter(this);

    drv = addControl<QComboBox>(this, "drv", {120, 720, 4935, 300});
    for (const DriveInfo &d : chooser_.drives())
        drv->addItem(d.label, d.root);

    dir = addControl<QListWidget>(this, "dir", {120, 1080, 4935, 3660});
    dir->setItemDelegate(new DepthDelegate(dir));
    dir->setUniformItemSizes(true);
    dir->installEventFilter(this);

    cmdOpen = addControl<QPushButton>(this, "cmdOpen", {120, 4920, 2415, 375});
    cmdOpen->setDefault(true);

    cmdCancel = addControl<QPushButton>(this, "cmdCancel", {2640, 4920, 2415, 375});

    setTabOrder(txtPath, drv);
    setTabOrder(drv, dir);
    setTabOrder(dir, cmdOpen);
    setTabOrder(cmdOpen, cmdCancel);

    connect(drv, &QComboBox::activated, this, &frmOpen::drv_Change);
    connect(dir, &QListWidget::itemClicked, this, &frmOpen::dir_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &frmOpen::cmdOpen_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    setfrmDispLocale(sett_.settlocDisp);
    chooser_.start(chooseStartFolder(wrkpath, sett_.settRecentPath, demoHome(programFolder())));
    showChooser();
}

void frmOpen::setfrmDispLocale(int id)
{
    applyFont(drv, id, locale_);
    applyFont(dir, id, locale_);
    applyFont(txtPath, id, locale_);
    cmdOpen->setText(QStringLiteral("Open - 打開"));
    cmdCancel->setText(QStringLiteral("Cancel - 取消"));
    setWindowTitle(QStringLiteral("Open... - 選擇UTAU聲音庫"));
}

void frmOpen::drv_Change(int index)
{
    // A drive that cannot be listed leaves the folder list where it was; the
    // drive list goes back to match it.
    chooser_.chooseDrive(index);
    showChooser();
    dir->setFocus();
}

void frmOpen::dir_Click(QListWidgetItem *item)
{
    if (item)
        enterFolder(item->data(Qt::UserRole).toString());
}

void frmOpen::enterFolder(const QString &path)
{
    // A folder that has gone or cannot be read since it was listed: re-reading
    // the current folder drops it from the list.
    if (!chooser_.enter(path))
        chooser_.enter(chooser_.folder());
    showChooser();
}

void frmOpen::cmdOpen_Click()
{
    chosen_ = acceptFolder(txtPath->toPlainText(), sett_, dialogs_);
    if (chosen_)
        accept();
}

void frmOpen::showChooser()
{
    drv->setCurrentIndex(chooser_.drive());

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    dir->clear();
    for (const FolderEntry &e : chooser_.entries()) {
        auto *item = new QListWidgetItem(e.kind == FolderEntry::Child ? closed : open, e.name, dir);
        item->setData(Qt::UserRole, e.path);
        item->setData(kDepthRole, e.depth);
        item->setToolTip(e.path);
        if (e.kind == FolderEntry::Current)
            dir->setCurrentItem(item);
    }
    txtPath->setPlainText(chooser_.folder());
}

bool frmOpen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
    // Enter in the path box is the default button, not a line break: a path
    // with a line break in it would never open.
    if (watched == txtPath && plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        cmdOpen->click();
        return true;
    }
    // Space enters the selected folder, so the list works without a mouse
    // while Enter stays with the Open button.
    if (watched == dir && plain && key->key() == Qt::Key_Space) {
        dir_Click(dir->currentItem());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
