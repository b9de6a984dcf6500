#include "frmMain.h"

#include "Dialogs.h"
#include "PictureBox.h"
#include "applyFont.h"
#include "clsSett.h"
#include "frmOpen.h"
#include "modDispLocale.h"
#include "modHelp.h"
#include "modLocale.h"

#include <QCloseEvent>
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
    setMinimumSize(kMinWindowWidth / 15, kMinWindowHeight / 15);
    resize(9480 / 15, 4110 / 15 + menuBar()->sizeHint().height());
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
    shpView_ = new QFrame(picSm_);
    shpView_->setObjectName(QStringLiteral("shpView"));
    shpView_->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgb(64,64,64); background: transparent; }"));
    shpView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    shpView_->setGeometry(1440 / 15, 0, 615 / 15, 360 / 15);
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
    addItem(edit, QStringLiteral("mnuOtoDup"), QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    addItem(edit, QStringLiteral("mnuOtoDel"), QKeySequence(Qt::SHIFT | Qt::Key_Delete));

    QMenu *settings = addMenu(nullptr, QStringLiteral("mnuSett"));
    connect(addItem(settings, QStringLiteral("mnuLocFile"), QKeySequence(Qt::CTRL | Qt::Key_E)), &QAction::triggered,
            this, [this] { mnuLocFile_Click(); });
    connect(addItem(settings, QStringLiteral("mnuLocDisp")), &QAction::triggered, this, [this] { mnuLocDisp_Click(); });
    addItem(settings, QStringLiteral("mnuFix"));
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
    addItem(experimental, QStringLiteral("mnuExpSplitCmb"));
    addItem(experimental, QStringLiteral("mnuExpReplace"));
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
    if (e->type() == QEvent::WindowActivate || (e->type() == QEvent::Show && !shownOnce_)) {
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
    const int answer = doc_.askSave();
    if (answer == -1) {
        e->ignore();
        return;
    }
    if (answer == 1)
        doc_.saveoto(OtoDocument::kOtoIni);
    sett_.oupsett(dialogs_);
    e->accept();
    emit programEnd();
}

bool frmMain::eventFilter(QObject *watched, QEvent *e)
{
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
    const QSize smallest(kMinWindowWidth / 15, kMinWindowHeight / 15);
    if (outer.width() >= smallest.width() && outer.height() >= smallest.height()) {
        cliW_ = client_->width() * 15;
        cliH_ = client_->height() * 15;
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
    return curwav.Valid && !doc_.wrkpath.isEmpty() && curIdx != -1;
}

void frmMain::redrawall()
{
    pic_->cls();
    picSm_->cls();
    shpView_->setVisible(isEditable());
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
    curIdx = list_.itemData(row);
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
    // The window runs from 100 ms before the entry's start to 100 ms after
    // its end, 200 ms at the least.
    viewStart = curOto->prmLF - 100;
    if (curOto->prmRT < 0)
        viewLen = -curOto->prmRT + 200;
    else
        viewLen = curwav.LengthMs - (curOto->prmRT + curOto->prmLF) + 200;
    if (viewLen < 200)
        viewLen = 200;
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
