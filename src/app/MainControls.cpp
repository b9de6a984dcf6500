#include "app/MainControls.h"

#include "app/AliasBox.h"
#include "app/EntryListDelegate.h"
#include "core/Twips.h"
#include "ui/applyFont.h"
#include "ui/modDispLocale.h"
#include "ui/modHelp.h"
#include "view/PictureBox.h"
#include "view/ViewGeometry.h"

#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>

namespace {

QFont designFont(const QString &family, const QString &fallback)
{
    QFont f;
    f.setFamilies({family, fallback});
    f.setPointSize(9);
    return f;
}

// One of the number boxes under the views (txtPrm, txtLock): its name, tip,
// font and colours.
QLineEdit *numberBox(QWidget *parent, const QString &name, const QString &tip, const QColor &text,
                     const QColor &base)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    box->setFont(designFont(QStringLiteral("MS Gothic"), QStringLiteral("Noto Sans CJK JP")));
    QPalette p = box->palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Base, base);
    box->setPalette(p);
    return box;
}

}  // namespace

void MainControls::build(QWidget *clientArea)
{
    client = clientArea;
    picSm = new PictureBox(client);
    picSm->setObjectName(QStringLiteral("picSm"));
    picSm->setForeColor(QColor(255, 255, 255));
    picSm->setBackColor(overviewBackColor(client->palette().color(QPalette::Button)));
    shpView = new QFrame(picSm);
    shpView->setObjectName(QStringLiteral("shpView"));
    shpView->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgb(64,64,64); background: transparent; }"));
    shpView->setAttribute(Qt::WA_TransparentForMouseEvents);
    shpView->setGeometry(twipsToPixels(1440), 0, twipsToPixels(615), twipsToPixels(360));
    shpView->hide();

    pic = new PictureBox(client);
    pic->setObjectName(QStringLiteral("pic"));
    pic->setBackColor(QColor(255, 255, 255));
    pic->setForeColor(QColor(192, 192, 255));
    pic->setFocusPolicy(Qt::StrongFocus);
    picSm->setFocusPolicy(Qt::StrongFocus);

    picPrm = new QWidget(client);
    picPrm->setObjectName(QStringLiteral("picPrm"));
    const QString prmTips[5] = {QStringLiteral("Left sampling bound"), QStringLiteral("Overlap"),
                             QStringLiteral("Preutterance"), QStringLiteral("Fixed length"),
                             QStringLiteral("Right sampling bound")};
    const QColor prmColors[5] = {QColor(0, 0, 192), QColor(0, 128, 0), QColor(128, 0, 0), QColor(192, 0, 192),
                              QColor(0, 0, 192)};
    for (int i = 0; i < 5; ++i)
        txtPrm[i] = numberBox(picPrm, QStringLiteral("txtPrm(%1)").arg(i), prmTips[i], prmColors[i], QColor(255, 255, 255));

    picLock = new QWidget(client);
    picLock->setObjectName(QStringLiteral("picLock"));
    const QString lockTips[4] = {QStringLiteral("Lock [LF - PR]"), QStringLiteral("Lock [LF - OV]"),
                             QStringLiteral("Lock [LF - FX]"), QStringLiteral("Lock sampling length")};
    const QColor lockColors[4] = {QColor(255, 192, 192), QColor(192, 255, 192), QColor(255, 192, 255),
                              QColor(192, 192, 255)};
    for (int i = 0; i < 4; ++i)
        txtLock[i] = numberBox(picLock, QStringLiteral("txtLock(%1)").arg(i), lockTips[i],
                               client->palette().color(QPalette::Text), lockColors[i]);

    picNav = new QWidget(client);
    picNav->setObjectName(QStringLiteral("picNav"));
    cmdPlay = new QPushButton(QStringLiteral("P"), picNav);
    cmdPlay->setObjectName(QStringLiteral("cmdPlay"));
    cmdPlay->setToolTip(playButtonTip());
    const QString captions[2] = {QStringLiteral("<"), QStringLiteral(">")};
    const QString jumpTips[2] = {QStringLiteral("Previous item"), QStringLiteral("Next item")};
    for (int i = 0; i < 2; ++i) {
        cmdJmp[i] = new QPushButton(captions[i], picNav);
        cmdJmp[i]->setObjectName(QStringLiteral("cmdJmp(%1)").arg(i));
        cmdJmp[i]->setToolTip(jumpTips[i]);
    }
    txtALS = new AliasBox(picNav);
    txtALS->setObjectName(QStringLiteral("txtALS"));
    txtALS->setToolTip(QStringLiteral("Alias"));

    lstOto = new QListView(client);
    lstOto->setObjectName(QStringLiteral("lstOto"));
    lstOto->setItemDelegate(new EntryListDelegate(lstOto));
    lstOto->setMouseTracking(true);  // the flagged rows' tooltips
    lstOto->setUniformItemSizes(true);  // keeps 50 000 rows cheap to lay out
    lstOto->setTextElideMode(Qt::ElideNone);
    lstOto->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstOto->setSelectionMode(QAbstractItemView::SingleSelection);
    lstOto->setFont(designFont(QStringLiteral("宋体"), QStringLiteral("Noto Sans CJK SC")));

    txtSearch = new QLineEdit(searchHint(), client);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));

    cboFolder = new QComboBox(client);
    cboFolder->setObjectName(QStringLiteral("cboFolder"));
    cboFolder->setVisible(false);

    lblGap = new QLabel(client);
    lblGap->setObjectName(QStringLiteral("lblGap"));
    lblGap->setCursor(Qt::SplitHCursor);

    // The tab order of the controls that take the focus.
    QWidget *order[] = {lstOto, txtSearch, cboFolder, txtPrm[0], txtPrm[1], txtPrm[2], txtPrm[3], txtPrm[4],
                        txtLock[3], txtLock[2], txtLock[1], txtLock[0], txtALS, cmdJmp[1], cmdJmp[0], cmdPlay};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void MainControls::place(const MainLayout &l)
{
    lblGap->setGeometry(pixelRect(l.lblGap));
    lstOto->setGeometry(pixelRect(l.lstOto));
    txtSearch->setGeometry(pixelRect(l.txtSearch));
    if (cboFolder->isVisibleTo(client)) {
        // The folder filter takes the right part of the search box's row.
        const QRect row = pixelRect(l.txtSearch);
        const int filterW = std::min(folderFilterW, row.width() / 2);
        txtSearch->setGeometry(row.adjusted(0, 0, -filterW, 0));
        cboFolder->setGeometry(row.adjusted(row.width() - filterW, 0, 0, 0));
    }
    picSm->setGeometry(pixelRect(l.picSm));
    pic->setGeometry(pixelRect(l.pic));
    picPrm->setGeometry(pixelRect(l.picPrm));
    for (int i = 0; i < 5; ++i)
        txtPrm[i]->setGeometry(pixelRect(l.txtPrm[i]));
    picNav->setGeometry(pixelRect(l.picNav));
    picLock->setGeometry(pixelRect(l.picLock));
    picLock->setVisible(l.picLockVisible);
    for (int i = 0; i < 4; ++i)
        txtLock[i]->setGeometry(pixelRect(l.txtLock[i]));
    cmdPlay->setGeometry(pixelRect(l.cmdPlay));
    cmdJmp[0]->setGeometry(pixelRect(l.cmdJmp[0]));
    cmdJmp[1]->setGeometry(pixelRect(l.cmdJmp[1]));
    txtALS->setGeometry(pixelRect(l.txtALS));
    // Below 4800 twips the list spans the window in front of the right side.
    lstOto->raise();
    txtSearch->raise();
    cboFolder->raise();
    lblGap->raise();
}

void MainControls::applyFonts(int charsetIndex, const modLocale &locale)
{
    for (QWidget *w : std::initializer_list<QWidget *>{lstOto, txtSearch, txtALS, cboFolder})
        applyFont(w, charsetIndex, locale);
    for (QLineEdit *box : txtPrm)
        applyFont(box, charsetIndex, locale);
    for (QLineEdit *box : txtLock)
        applyFont(box, charsetIndex, locale);
    measureFolderFilter();
}

bool MainControls::fillFolders(const QStringList &folders, const std::optional<QString> &shown)
{
    const QSignalBlocker quiet(cboFolder);
    cboFolder->clear();
    cboFolder->addItem(QStringLiteral("All folders - 全部"));
    for (const QString &folder : folders)
        cboFolder->addItem(folder.isEmpty() ? QStringLiteral("./") : folder + u'/', folder);
    cboFolder->setCurrentIndex(shown ? std::max(0, cboFolder->findData(*shown)) : 0);
    measureFolderFilter();
    const bool wasVisible = cboFolder->isVisibleTo(client);
    cboFolder->setVisible(!folders.isEmpty());
    return wasVisible != !folders.isEmpty();
}

int MainControls::searchRowWidth() const
{
    // The hint whole, as a line edit pads its text (frame and margins), and
    // the folder filter's longest item beside it.
    QStyleOptionFrame option;
    option.initFrom(txtSearch);
    const QSize text(txtSearch->fontMetrics().horizontalAdvance(searchHint()) + 2 * 2 + 2, txtSearch->fontMetrics().height());
    const int box = txtSearch->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, txtSearch).width();
    return box + (cboFolder->isVisibleTo(client) ? folderFilterW : 0);
}

void MainControls::measureFolderFilter()
{
    // Its longest item whole.
    const QFontMetrics metrics = cboFolder->fontMetrics();
    int widest = 0;
    for (int i = 0; i < cboFolder->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(cboFolder->itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(cboFolder);
    const QSize text(widest + 2 * metrics.height(), metrics.height());  // and room for the style's padding
    folderFilterW = cboFolder->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, cboFolder).width();
}

bool MainControls::fitListColumns(const QAbstractItemModel &model, MainLayout &layout)
{
    int aliasWidth = 0;
    const int rows = EntryListDelegate::fittingWidths(model, lstOto->font(), &aliasWidth);
    static_cast<EntryListDelegate *>(lstOto->itemDelegate())->setAliasWidth(aliasWidth);
    const int chrome = 2 * lstOto->frameWidth() + lstOto->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int wanted = int(pixelsToTwips(std::max(rows + chrome, searchRowWidth())));
    if (layout.lstWChosen || wanted <= layout.lstW)
        return false;
    layout.lstW = wanted;  // the layout keeps it to half the window
    return true;
}
