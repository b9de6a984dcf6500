#include "frmMain.h"

#include "Dialogs.h"
#include "PictureBox.h"
#include "applyFont.h"
#include "clsSett.h"
#include "frmOpen.h"
#include "modDispLocale.h"
#include "modHelp.h"
#include "modLocale.h"
#include "EntryOps.h"
#include "ParamEdit.h"
#include "ToolDialogs.h"
#include "ViewGeometry.h"
#include "modGfx.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr double kTwipsPerPixel = 15;

int px(double twips)
{
    return qRound(twips / kTwipsPerPixel);
}

QRect pxRect(const TwipRect &r)
{
    return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
}

QFont designFont(const QString &family, const QString &fallback)
{
    QFont f;
    f.setFamilies({family, fallback});
    f.setPointSize(9);
    return f;
}

void setBoxColors(QLineEdit *box, const QColor &text, const QColor &base)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Base, base);
    box->setPalette(p);
}

}  // namespace

frmMain::frmMain(clsSett &sett, modLocale &locale, Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent), curwav(&locale), sett_(sett), locale_(locale), dialogs_(dialogs),
      doc_(locale, dialogs), list_(doc_.clcOto)
{
    setObjectName(QStringLiteral("frmMain"));
    // The window's load: the charset table, an empty document and wave.
    locale_.initLocale();
    doc_.blnChanged = false;
    curwav.Valid = false;
    layout_.lstW = 1800;
    drawing = false;

    buildControls();
    buildMenus();

    connect(&doc_, &OtoDocument::titleChanged, this, &QWidget::setWindowTitle);
    connect(&doc_, &OtoDocument::entriesReplaced, this, [this] {
        F5LstOto();
        curwav.Valid = false;
        redrawall();
    });
    chooseFolder_ = [this] {
        frmOpen chooser(sett_, doc_.wrkpath, locale_, dialogs_, this);
        chooser.exec();
    };

    setWindowTitle(doc_.title());
    setMinimumSize(px(kMinWindowWidth), px(kMinWindowHeight));
    resize(px(9480), px(4110) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() = default;

void frmMain::buildControls()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    picSm_ = new PictureBox(client_);
    picSm_->setObjectName(QStringLiteral("picSm"));
    picSm_->setForeColor(QColor(255, 255, 255));
    picSm_->setBackColor(overviewBackColor(palette().color(QPalette::Button)));
    shpView_ = new QFrame(picSm_);
    shpView_->setObjectName(QStringLiteral("shpView"));
    shpView_->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgb(64,64,64); background: transparent; }"));
    shpView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    shpView_->setGeometry(px(1440), 0, px(615), px(360));
    shpView_->hide();

    pic_ = new PictureBox(client_);
    pic_->setObjectName(QStringLiteral("pic"));
    pic_->setBackColor(QColor(255, 255, 255));
    pic_->setForeColor(QColor(192, 192, 255));

    picPrm_ = new QWidget(client_);
    picPrm_->setObjectName(QStringLiteral("picPrm"));
    const QString prmTips[5] = {QStringLiteral("Left sampling bound"), QStringLiteral("Overlap"),
                                QStringLiteral("Preutterance"), QStringLiteral("Fixed length"),
                                QStringLiteral("Right sampling bound")};
    const QColor prmColors[5] = {QColor(0, 0, 192), QColor(0, 128, 0), QColor(128, 0, 0), QColor(192, 0, 192),
                                 QColor(0, 0, 192)};
    for (int i = 0; i < 5; ++i) {
        txtPrm_[i] = new QLineEdit(picPrm_);
        txtPrm_[i]->setObjectName(QStringLiteral("txtPrm(%1)").arg(i));
        txtPrm_[i]->setToolTip(prmTips[i]);
        txtPrm_[i]->setFont(designFont(QStringLiteral("MS Gothic"), QStringLiteral("Noto Sans CJK JP")));
        setBoxColors(txtPrm_[i], prmColors[i], QColor(255, 255, 255));
    }

    picLock_ = new QWidget(client_);
    picLock_->setObjectName(QStringLiteral("picLock"));
    const QString lockTips[4] = {QStringLiteral("Lock [LF - PR]"), QStringLiteral("Lock [LF - OV]"),
                                 QStringLiteral("Lock [LF - FX]"), QStringLiteral("Lock sampling length")};
    const QColor lockColors[4] = {QColor(255, 192, 192), QColor(192, 255, 192), QColor(255, 192, 255),
                                  QColor(192, 192, 255)};
    for (int i = 0; i < 4; ++i) {
        txtLock_[i] = new QLineEdit(picLock_);
        txtLock_[i]->setObjectName(QStringLiteral("txtLock(%1)").arg(i));
        txtLock_[i]->setToolTip(lockTips[i]);
        txtLock_[i]->setFont(designFont(QStringLiteral("MS Gothic"), QStringLiteral("Noto Sans CJK JP")));
        setBoxColors(txtLock_[i], palette().color(QPalette::Text), lockColors[i]);
    }

    picNav_ = new QWidget(client_);
    picNav_->setObjectName(QStringLiteral("picNav"));
    cmdPlay_ = new QPushButton(QStringLiteral("P"), picNav_);
    cmdPlay_->setObjectName(QStringLiteral("cmdPlay"));
    cmdPlay_->setToolTip(QStringLiteral("Play sound"));
    const QString jmpCaptions[2] = {QStringLiteral("<"), QStringLiteral(">")};
    const QString jmpTips[2] = {QStringLiteral("Previous item"), QStringLiteral("Next item")};
    for (int i = 0; i < 2; ++i) {
        cmdJmp_[i] = new QPushButton(jmpCaptions[i], picNav_);
        cmdJmp_[i]->setObjectName(QStringLiteral("cmdJmp(%1)").arg(i));
        cmdJmp_[i]->setToolTip(jmpTips[i]);
    }
    txtALS_ = new QLineEdit(picNav_);
    txtALS_->setObjectName(QStringLiteral("txtALS"));
    txtALS_->setToolTip(QStringLiteral("Alias"));

    lstOto_ = new QListView(client_);
    lstOto_->setObjectName(QStringLiteral("lstOto"));
    lstOto_->setModel(&list_);
    lstOto_->setUniformItemSizes(true);  // keeps 50 000 rows cheap to lay out
    lstOto_->setTextElideMode(Qt::ElideNone);
    lstOto_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstOto_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstOto_->setFont(designFont(QStringLiteral("宋体"), QStringLiteral("Noto Sans CJK SC")));
    connect(lstOto_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    lstOto_Click(current.row());
            });

    txtSearch_ = new QLineEdit(QStringLiteral("Search..."), client_);
    txtSearch_->setObjectName(QStringLiteral("txtSearch"));
    txtSearch_->installEventFilter(this);
    setSearchColor(false);
    connect(txtSearch_, &QLineEdit::textChanged, this, [this] { txtSearch_Change(); });

    lblGap_ = new QLabel(client_);
    lblGap_->setObjectName(QStringLiteral("lblGap"));
    lblGap_->setCursor(Qt::SplitHCursor);

    // Mouse and keys of the views, the splitter, the list and the boxes go
    // through eventFilter to the handlers below.
    pic_->setFocusPolicy(Qt::StrongFocus);
    picSm_->setFocusPolicy(Qt::StrongFocus);
    for (QObject *watched : std::initializer_list<QObject *>{pic_, picSm_, lblGap_, lstOto_, txtALS_})
        watched->installEventFilter(this);
    for (int i = 0; i < 5; ++i) {
        txtPrm_[i]->installEventFilter(this);
        connect(txtPrm_[i], &QLineEdit::textChanged, this, [this, i] { txtPrm_Change(i); });
    }
    for (int i = 0; i < 4; ++i)
        txtLock_[i]->installEventFilter(this);
    connect(txtALS_, &QLineEdit::textChanged, this, [this] { txtALS_Change(); });
    connect(cmdPlay_, &QPushButton::clicked, this, [this] { cmdPlay_Click(); });
    connect(cmdJmp_[0], &QPushButton::clicked, this, [this] { cmdJmp_Click(0); });
    connect(cmdJmp_[1], &QPushButton::clicked, this, [this] { cmdJmp_Click(1); });

    // The tab order of the controls that take the focus.
    QWidget *order[] = {lstOto_, txtSearch_, txtPrm_[0], txtPrm_[1], txtPrm_[2], txtPrm_[3], txtPrm_[4],
                        txtLock_[3], txtLock_[2], txtLock_[1], txtLock_[0], txtALS_, cmdJmp_[1], cmdJmp_[0], cmdPlay_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QAction *frmMain::addItem(QMenu *menu, const QString &name, const QKeySequence &shortcut)
{
    QAction *a = menu->addAction(QString());
    a->setObjectName(name);
    a->setShortcut(shortcut);
    return a;
}

void frmMain::buildMenus()
{
    auto addMenu = [this](QMenu *parentMenu, const QString &name) {
        QMenu *m = parentMenu ? parentMenu->addMenu(QString()) : menuBar()->addMenu(QString());
        m->setObjectName(name);
        m->menuAction()->setObjectName(name + QStringLiteral("Item"));
        return m;
    };
    auto addSeparator = [](QMenu *menu, const QString &name) {
        QAction *s = menu->addSeparator();
        s->setObjectName(name);
        return s;
    };

    QMenu *file = addMenu(nullptr, QStringLiteral("mnuFile"));
    connect(addItem(file, QStringLiteral("mnuOpen"), QKeySequence(Qt::CTRL | Qt::Key_O)), &QAction::triggered, this, [this] {
        doc_.open(chooseFolder_);
        enableFileItems();
    });
    connect(addItem(file, QStringLiteral("mnuReload"), QKeySequence(Qt::CTRL | Qt::Key_R)), &QAction::triggered,
            this, [this] { doc_.reload(); });
    connect(addItem(file, QStringLiteral("mnuSave"), QKeySequence(Qt::CTRL | Qt::Key_S)), &QAction::triggered, this,
            [this] { doc_.save(); });
    addSeparator(file, QStringLiteral("mnu0"));
    addItem(file, QStringLiteral("mnuLoadB"))->setVisible(false);
    addItem(file, QStringLiteral("mnuSaveB"))->setVisible(false);
    addSeparator(file, QStringLiteral("mnu2"))->setVisible(false);
    connect(addItem(file, QStringLiteral("mnuLoadBkp"), QKeySequence(Qt::CTRL | Qt::Key_L)), &QAction::triggered,
            this, [this] { doc_.loadBackup(); });
    connect(addItem(file, QStringLiteral("mnuSaveBkp"), QKeySequence(Qt::CTRL | Qt::Key_B)), &QAction::triggered,
            this, [this] { doc_.saveBackup(); });
    addSeparator(file, QStringLiteral("mnu1"));
    connect(addItem(file, QStringLiteral("mnuQuit")), &QAction::triggered, this, &QWidget::close);

    QMenu *edit = addMenu(nullptr, QStringLiteral("mnuEdit"));
    connect(addItem(edit, QStringLiteral("mnuOtoDup"), QKeySequence(Qt::SHIFT | Qt::Key_Insert)), &QAction::triggered,
            this, [this] { mnuOtoDup_Click(); });
    connect(addItem(edit, QStringLiteral("mnuOtoDel"), QKeySequence(Qt::SHIFT | Qt::Key_Delete)), &QAction::triggered,
            this, [this] { mnuOtoDel_Click(); });

    QMenu *settings = addMenu(nullptr, QStringLiteral("mnuSett"));
    connect(addItem(settings, QStringLiteral("mnuLocFile"), QKeySequence(Qt::CTRL | Qt::Key_E)), &QAction::triggered,
            this, [this] { mnuLocFile_Click(); });
    connect(addItem(settings, QStringLiteral("mnuLocDisp")), &QAction::triggered, this, [this] { mnuLocDisp_Click(); });
    connect(addItem(settings, QStringLiteral("mnuFix")), &QAction::triggered, this, [this] { mnuFix_Click(); });
    addSeparator(settings, QStringLiteral("mnuSett0"));
    mnuSettFilenameBad_ = addItem(settings, QStringLiteral("mnuSettFilenameBad"));
    mnuSettFilenameBad_->setCheckable(true);
    mnuSettFilenameBad_->setChecked(true);
    connect(mnuSettFilenameBad_, &QAction::triggered, this, [this] { mnuSettFilenameBad_Click(); });

    QMenu *help = addMenu(nullptr, QStringLiteral("mnuHelp"));
    connect(addItem(help, QStringLiteral("mnuTips"), QKeySequence(Qt::Key_F1)), &QAction::triggered, this,
            [this] { mnuTips_Click(); });
    connect(addItem(help, QStringLiteral("mnuAbout")), &QAction::triggered, this, [this] { mnuAbout_Click(); });
    connect(addItem(help, QStringLiteral("mnuOnline")), &QAction::triggered, this, [this] { mnuOnline_Click(); });

    QMenu *secret = addMenu(nullptr, QStringLiteral("mnuSecret"));
    QMenu *experimental = addMenu(secret, QStringLiteral("mnuSecretExpr"));
    connect(addItem(experimental, QStringLiteral("mnuExpSplitCmb")), &QAction::triggered, this,
            [this] { mnuExpSplitCmb_Click(); });
    connect(addItem(experimental, QStringLiteral("mnuExpReplace")), &QAction::triggered, this,
            [this] { mnuExpReplace_Click(); });
    addItem(experimental, QStringLiteral("mnuExpScript"));
}

void frmMain::aplSett()
{
    mnuSettFilenameBad_->setChecked(sett_.settFilenameBad != 0);
}

bool frmMain::event(QEvent *e)
{
    // The first showing counts as an activation even where no window
    // manager hands out the focus (a bare X server, the offscreen platform).
    // Coming back from another program is not an activation of ours.
    const bool firstShow = e->type() == QEvent::Show && !shownOnce_;
    if (firstShow || (e->type() == QEvent::WindowActivate && activation_.cameFromAnotherWindow(this))) {
        shownOnce_ = true;
        onActivate();
    }
    return QMainWindow::event(e);
}

void frmMain::onActivate()
{
    setfrmDispLocale(sett_.settlocDisp);
    enableFileItems();
    updTitle();
}

void frmMain::enableFileItems()
{
    const bool open = !doc_.wrkpath.isEmpty();
    for (const char *name : {"mnuSave", "mnuReload", "mnuLoadBkp", "mnuSaveBkp"})
        findChild<QAction *>(QString::fromLatin1(name))->setEnabled(open);
}

void frmMain::closeEvent(QCloseEvent *e)
{
    // A cancelled question, or a save that failed, keeps the window and the
    // edits.
    if (!doc_.saveFirstIfAsked()) {
        e->ignore();
        return;
    }
    sett_.oupsett(dialogs_);
    e->accept();
    emit programEnd();
}

namespace {

// The focus leaves or comes back with the whole window (another program,
// a menu): not a move between the window's own controls, which is what the
// focus handlers are about. Acting on it would clear a filtered list or
// rewrite a half-typed value behind the user's back.
bool windowWideFocusChange(const QEvent *e)
{
    if (e->type() != QEvent::FocusIn && e->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(e)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace

bool frmMain::eventFilter(QObject *watched, QEvent *e)
{
    if (windowWideFocusChange(e))
        return QMainWindow::eventFilter(watched, e);
    if (e->type() == QEvent::KeyPress && watched != txtSearch_) {
        if (handleKeyFor(watched, static_cast<QKeyEvent *>(e)->key()))
            return true;
    } else if (e->type() == QEvent::FocusOut) {
        for (int i = 0; i < 4; ++i)
            if (watched == txtLock_[i])
                txtLock_Validate(i);
        for (QLineEdit *box : txtPrm_)
            if (watched == box)
                txtPrm_LostFocus();
    } else if (handleMouseFor(watched, e)) {
        return true;
    }
    if (watched == client_ && e->type() == QEvent::Resize) {
        Form_Resize();
    } else if (watched == txtSearch_) {
        switch (e->type()) {
        case QEvent::FocusIn: txtSearch_GotFocus(); break;
        case QEvent::FocusOut: txtSearch_LostFocus(); break;
        case QEvent::KeyPress: txtSearch_KeyDown(static_cast<QKeyEvent *>(e)->key()); break;
        default: break;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void frmMain::Form_Resize()
{
    if (isMinimized())
        return;
    const QSize outer = frameGeometry().size();
    const QSize smallest(px(kMinWindowWidth), px(kMinWindowHeight));
    if (outer.width() >= smallest.width() && outer.height() >= smallest.height()) {
        cliW_ = qRound(client_->width() * kTwipsPerPixel);
        cliH_ = qRound(client_->height() * kTwipsPerPixel);
        doLayout();
    } else {
        // Snap back to the smallest size; the new size lays out again.
        resize(std::max(width(), smallest.width()), std::max(height(), smallest.height()));
    }
}

void frmMain::doLayout()
{
    layout_.doLayout(cliW_, cliH_);
    const MainLayout &l = layout_;
    lblGap_->setGeometry(pxRect(l.lblGap));
    lstOto_->setGeometry(pxRect(l.lstOto));
    txtSearch_->setGeometry(pxRect(l.txtSearch));
    picSm_->setGeometry(pxRect(l.picSm));
    pic_->setGeometry(pxRect(l.pic));
    picPrm_->setGeometry(pxRect(l.picPrm));
    for (int i = 0; i < 5; ++i)
        txtPrm_[i]->setGeometry(pxRect(l.txtPrm[i]));
    picNav_->setGeometry(pxRect(l.picNav));
    picLock_->setGeometry(pxRect(l.picLock));
    picLock_->setVisible(l.picLockVisible);
    for (int i = 0; i < 4; ++i)
        txtLock_[i]->setGeometry(pxRect(l.txtLock[i]));
    cmdPlay_->setGeometry(pxRect(l.cmdPlay));
    cmdJmp_[0]->setGeometry(pxRect(l.cmdJmp[0]));
    cmdJmp_[1]->setGeometry(pxRect(l.cmdJmp[1]));
    txtALS_->setGeometry(pxRect(l.txtALS));
    // Below 4800 twips the list spans the window in front of the right side.
    lstOto_->raise();
    txtSearch_->raise();
    lblGap_->raise();
    redrawall();
}

void frmMain::setfrmDispLocale(int charsetIndex)
{
    applyFont(this, charsetIndex, locale_);
    applyFont(lstOto_, charsetIndex, locale_);
    applyFont(txtSearch_, charsetIndex, locale_);
    for (QLineEdit *box : txtPrm_)
        applyFont(box, charsetIndex, locale_);
    applyFont(txtALS_, charsetIndex, locale_);
    for (QLineEdit *box : txtLock_)
        applyFont(box, charsetIndex, locale_);

    for (const auto &[name, caption] : mainMenuCaptions()) {
        if (auto *menu = findChild<QMenu *>(name))
            menu->setTitle(caption);
        else if (auto *action = findChild<QAction *>(name))
            action->setText(caption);
    }
    // The hint never lands in the box while the user types in it. The
    // window's focus widget is the one that gets the focus back when the
    // window is active again, which it is not yet during its activation.
    if (focusWidget() != txtSearch_)
        settext(txtSearch_, searchHint());
    if (cliW_ > 0)
        doLayout();
}

void frmMain::settext(QLineEdit *box, const QString &text)
{
    settingText_ = true;
    box->setText(text);
    settingText_ = false;
}

bool frmMain::isEditable() const
{
    return curwav.Valid && !doc_.wrkpath.isEmpty() && curIdx != -1 && curOto;
}

void frmMain::redrawall()
{
    // A redraw asked for while one runs (from a handler the drawing set
    // off) is not dropped: it runs once the running one is done, so the
    // views always end showing the latest state.
    if (drawing) {
        redrawPending_ = true;
        return;
    }
    drawing = true;
    do {
        redrawPending_ = false;
        drawViews();
    } while (redrawPending_);
    drawing = false;
}

void frmMain::drawViews()
{
    pic_->cls();
    picSm_->cls();
    if (isEditable()) {
        drawDetail();
        drawOverview();
    }
    placeViewFrame();
    refreshFields();
}

void frmMain::refreshPicTry()
{
    if (drawing) {
        redrawPending_ = true;
        return;
    }
    drawing = true;
    pic_->cls();
    drawDetail();
    drawing = false;
    if (redrawPending_)
        redrawall();
}

void frmMain::refreshFields()
{
    const bool editable = isEditable();
    for (int i = 0; i < 5; ++i)
        settext(txtPrm_[i], editable ? paramText(paramValue(*curOto, i)) : QString());
    settext(txtALS_, editable ? curOto->ALS : QString());
}

double frmMain::viewW() const
{
    return pic_->width();
}

double frmMain::viewH() const
{
    return pic_->height();
}

void frmMain::F5LstOto()
{
    list_.F5LstOto();
}

void frmMain::F5LstOtoS(const QString &key, int mode)
{
    if (!list_.F5LstOtoS(key, mode))
        dialogs_.beep();
}

void frmMain::selectRow(int row)
{
    const QModelIndex index = list_.index(row);
    lstOto_->setCurrentIndex(index);
    lstOto_->scrollTo(index);
}

void frmMain::lstOto_Click(int row)
{
    if (row < 0)
        return;
    curIdx = list_.rowItemData(row);
    loadWave();
}

void frmMain::loadWave()
{
    if (curIdx < 0 || curIdx >= doc_.clcOto.size())
        return;
    curOto = doc_.clcOto[curIdx];
    QString name = curOto->FIL;
    curwav.ReadFile(doc_.wrkpath, name);
    if (!curwav.Valid)
        dialogs_.inform(curwav.GetError());
    const ViewWindow window = windowForEntry(*curOto, curwav.LengthMs);
    viewStart = window.start;
    viewLen = window.len;
    redrawall();
}

void frmMain::setSearchColor(bool found)
{
    QPalette p = txtSearch_->palette();
    p.setColor(QPalette::Text, found ? palette().color(QPalette::WindowText)
                                     : palette().color(QPalette::Disabled, QPalette::Text));
    txtSearch_->setPalette(p);
}

void frmMain::txtSearch_GotFocus()
{
    if (doc_.wrkpath.isEmpty())
        return;
    if (list_.isFiltered())
        F5LstOto();
    settext(txtSearch_, QString());
    setSearchColor(true);
}

void frmMain::txtSearch_Change()
{
    if (doc_.wrkpath.isEmpty() || settingText_)
        return;
    intSearchMode = 0;
    const QString typed = txtSearch_->text();
    if (typed.isEmpty())
        return;
    const int row = list_.findRowStartingWith(typed);
    if (row >= 0)
        selectRow(row);
    setSearchColor(row >= 0);
}

void frmMain::txtSearch_KeyDown(int key)
{
    if (doc_.wrkpath.isEmpty() || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return;
    if (intSearchMode != 0) {
        F5LstOtoS(txtSearch_->text(), 1);
        intSearchMode = 2;
    } else {
        F5LstOtoS(txtSearch_->text(), 0);
        intSearchMode = 1;
    }
}

void frmMain::txtSearch_LostFocus()
{
    settext(txtSearch_, searchHint());
    setSearchColor(false);
    intSearchMode = 0;
}

void frmMain::mnuLocFile_Click()
{
    askLocale(0, sett_, locale_, dialogs_);
}

void frmMain::mnuLocDisp_Click()
{
    // The folder chooser reads the display charset each time it opens.
    if (askLocale(1, sett_, locale_, dialogs_))
        setfrmDispLocale(sett_.settlocDisp);
}

void frmMain::mnuSettFilenameBad_Click()
{
    sett_.settFilenameBad = mnuSettFilenameBad_->isChecked() ? -1 : 0;
}

void frmMain::mnuTips_Click()
{
    dialogs_.inform(tipsText(), tipsTitle());
}

void frmMain::mnuAbout_Click()
{
    dialogs_.inform(aboutText(), aboutTitle());
}

void frmMain::mnuOnline_Click()
{
    // Hands the address to the desktop's opener and returns at once; with no
    // browser installed nothing happens.
    QDesktopServices::openUrl(QUrl(webAddress()));
}

// ---- Views, editing and navigation ----------------------------------------

namespace {

int buttonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int buttonMask(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) | (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? ShiftKey : 0) | (modifiers & Qt::ControlModifier ? CtrlKey : 0)
           | (modifiers & Qt::AltModifier ? AltKey : 0);
}

}  // namespace

bool frmMain::handleKeyFor(QObject *watched, int key)
{
    const bool upOrDown = key == Qt::Key_Up || key == Qt::Key_Down;
    const int next = key == Qt::Key_Down ? 1 : 0;
    if (watched == pic_ || watched == picSm_) {
        pic_KeyDown(key);
        return upOrDown || key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Space;
    }
    if (watched == lstOto_ && key == Qt::Key_Space) {
        pic_KeyDown(key);
        return true;
    }
    if (watched == txtALS_ && upOrDown) {
        cmdJmp_Click(next);
        return true;
    }
    for (QLineEdit *box : txtPrm_) {
        if (watched == box && upOrDown && isEditable()) {
            cmdJmp_Click(next);
            return true;
        }
    }
    return false;
}

bool frmMain::handleMouseFor(QObject *watched, QEvent *e)
{
    const auto *m = dynamic_cast<QMouseEvent *>(e);
    if (!m)
        return false;
    const QPointF at = m->position();
    if (watched == pic_ && e->type() == QEvent::MouseButtonRelease) {
        pic_MouseUp(buttonNumber(m->button()), shiftMask(m->modifiers()), at.x(), at.y());
        return true;
    }
    if (watched == picSm_ && e->type() == QEvent::MouseButtonPress) {
        picSm_MouseDown(buttonMask(m->buttons()), at.x(), at.y());
        return true;
    }
    if (watched == picSm_ && e->type() == QEvent::MouseMove) {
        picSm_MouseMove(buttonMask(m->buttons()), at.x(), at.y());
        return true;
    }
    if (watched == lblGap_ && e->type() == QEvent::MouseButtonRelease) {
        lblGap_MouseUp(at.x() * kTwipsPerPixel);
        return true;
    }
    return false;
}

void frmMain::pic_MouseUp(int button, int shift, double x, double y)
{
    if (!isEditable())
        return;
    if (button != 1) {
        dispMode = qint16((dispMode + 1) % 3);
        refreshPicTry();
        drawOverview();
        return;
    }
    const double t = xToMs(x, viewStart, viewLen, viewW());
    const int band = int(std::floor(y * 5 / viewH()));
    switch (mouseEdit(*curOto, band, shift, t, curwav.LengthMs, lockTexts(), sett_.settPrmRound)) {
    case EditResult::Committed:
        setChanged();
        refreshFields();
        refreshPicTry();
        break;
    case EditResult::Rejected:
        dialogs_.beep();
        break;
    case EditResult::Ignored:
        break;
    }
}

LockTexts frmMain::lockTexts() const
{
    LockTexts locks;
    for (int i = 0; i < 4; ++i)
        locks.text[i] = txtLock_[i]->text();
    return locks;
}

void frmMain::pic_KeyDown(int key)
{
    if (!isEditable())
        return;
    switch (key) {
    case Qt::Key_Down: cmdJmp_Click(1); break;
    case Qt::Key_Up: cmdJmp_Click(0); break;
    case Qt::Key_Space: cmdPlay_Click(); break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (drawing)
            break;
        viewStart = key == Qt::Key_Right ? scrollRight({viewStart, viewLen}, curwav.LengthMs)
                                         : scrollLeft({viewStart, viewLen});
        placeViewFrame();
        refreshPicTry();
        break;
    default: break;
    }
}

void frmMain::cmdJmp_Click(int index)
{
    if (!isEditable())
        return;
    const int row = lstOto_->currentIndex().row() + (2 * index - 1);
    if (row >= 0 && row < list_.rowCount())
        selectRow(row);
}

void frmMain::cmdPlay_Click()
{
    player_.play(curwav);
}

void frmMain::mnuFix_Click()
{
    askRoundingStep(sett_, dialogs_);
}

void frmMain::lblGap_MouseUp(double xTwips)
{
    layout_.lstW += int(std::nearbyint(xTwips));
    doLayout();
}

void frmMain::placeViewFrame()
{
    const ViewFrame frame = viewFrame(curwav.Valid, curwav.Length, curwav.LengthMs, {viewStart, viewLen}, viewW());
    if (!frame.visible) {
        shpView_->hide();
        return;
    }
    shpView_->setGeometry(frame.rect());
    shpView_->show();
}

void frmMain::drawDetail()
{
    ::drawDetail(*pic_, curwav, curOto.get(), isEditable(), dispMode, viewStart, viewLen, palette().color(QPalette::Button));
}

void frmMain::drawOverview()
{
    ::drawOverview(*picSm_, curwav, isEditable(), dispMode, palette().color(QPalette::Button));
}

void frmMain::picSm_MouseDown(int buttons, double x, double y)
{
    drag_ = OverviewDrag::press(y, {viewStart, viewLen});
    picSm_MouseMove(buttons, x, y);
}

void frmMain::picSm_MouseMove(int buttons, double x, double y)
{
    if (drawing || !isEditable())
        return;
    ViewWindow window{viewStart, viewLen};
    if (!drag_.move(buttons, x, y, viewW(), curwav.LengthMs, window))
        return;
    viewStart = window.start;
    viewLen = window.len;
    placeViewFrame();
    refreshPicTry();
}

void frmMain::txtPrm_Change(int index)
{
    if (!isEditable() || settingText_)
        return;
    if (typedEdit(*curOto, index, txtPrm_[index]->text(), curwav.LengthMs, sett_.settPrmRound) == EditResult::Committed) {
        setChanged();
        refreshPicTry();
    }
}

void frmMain::txtPrm_LostFocus()
{
    if (isEditable())
        refreshFields();
}

void frmMain::txtALS_Change()
{
    if (!isEditable() || settingText_)
        return;
    const QString alias = txtALS_->text();
    if (!isValidAlias(alias)) {
        settext(txtALS_, curOto->ALS);
        return;
    }
    curOto->ALS = alias;
    const int row = lstOto_->currentIndex().row();
    if (row >= 0)
        list_.rowChanged(row);
    setChanged();
}

void frmMain::txtLock_Validate(int index)
{
    QLineEdit *box = txtLock_[index];
    const QString kept = validatedLockText(box->text());
    if (kept != box->text())
        box->setText(kept);
}

// ---- Entry tools ------------------------------------------------------------

void frmMain::mnuOtoDup_Click()
{
    // The source entry's row stays selected and its wave stays loaded.
    const EntryOpResult r = duplicateEntry(doc_, list_, lstOto_->currentIndex().row(), curIdx);
    if (r.done)
        curIdx = r.curIdx;
}

void frmMain::mnuOtoDel_Click()
{
    // Selecting the next row loads its entry through lstOto_Click; after the
    // only shown row is gone nothing is selected and curIdx is -1.
    const EntryOpResult r = removeEntry(doc_, list_, lstOto_->currentIndex().row(), curIdx, lstOto_->selectionModel());
    if (!r.done)
        return;
    curIdx = r.curIdx;
    if (r.row >= 0)
        lstOto_->scrollTo(list_.index(r.row));
}

void frmMain::mnuExpReplace_Click()
{
    if (runReplaceDialog(dialogs_, doc_)) {
        F5LstOto();
        redrawall();
        setChanged();
    }
}

void frmMain::mnuExpSplitCmb_Click()
{
    if (runSplitDialog(dialogs_, doc_)) {
        F5LstOto();
        redrawall();
        setChanged();
    }
}
