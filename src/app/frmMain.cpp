#include "app/frmMain.h"

#include "analysis/EstimateRun.h"
#include "app/frmScript.h"
#include "app/FrqGeneration.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/Twips.h"
#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "report/BankReport.h"
#include "app/frmReport.h"
#include "singer/CopyAcross.h"
#include "singer/PrefixMap.h"
#include "app/PrefixMapDialog.h"
#include "app/CopyToFoldersDialog.h"
#include "app/DiskChangeDialog.h"
#include "tools/EntryOps.h"
#include "tools/ToolDialogs.h"
#include "ui/applyFont.h"
#include "ui/frmOpen.h"
#include "ui/modDispLocale.h"
#include "ui/modHelp.h"
#include "ui/SearchBox.h"
#include "view/PictureBox.h"
#include "view/ViewGeometry.h"
#include "view/WaveEditor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QStatusBar>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QSignalBlocker>
#include <QUrl>

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

// The focus leaves or comes back with the whole window (another program,
// a menu): not a move between the window's own controls, which is what the
// focus handlers are about. Acting on it would rewrite a half-typed value
// behind the user's back.
bool windowWideFocusChange(const QEvent *e)
{
    if (e->type() != QEvent::FocusIn && e->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(e)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace

frmMain::frmMain(clsSett &sett, modLocale &locale, Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent), sett_(sett), locale_(locale), dialogs_(dialogs), doc_(locale, dialogs), list_(doc_)
{
    setObjectName(QStringLiteral("frmMain"));
    // The window's load: the charset table, an empty document and wave.
    locale_.initLocale();
    layout_.lstW = 1800;
    viewSett_ = ViewSettings::read(ViewSettings::pathBeside(sett_.iniPath()));

    buildControls();
    buildMenus();

    connect(&doc_, &OtoDocument::titleChanged, this, &QWidget::setWindowTitle);
    // A save renames a new file into place: the watch follows every load
    // and save (both change the title).
    otoWatcher_ = new QFileSystemWatcher(this);
    connect(otoWatcher_, &QFileSystemWatcher::fileChanged, this, &frmMain::otoChangedOnDisk);
    connect(&doc_, &OtoDocument::titleChanged, this, &frmMain::watchOto);
    connect(&doc_, &OtoDocument::stepApplied, this, &frmMain::showStep);
    // A load shows every entry (the list follows by itself), no wave until
    // an entry is selected, and empty views.
    connect(&doc_, &OtoDocument::entriesReplaced, this, [this] {
        editor_->forgetWave();
        fillFolderFilter();
        redrawall();
    });
    chooseFolder_ = [this] {
        frmOpen chooser(sett_, doc_.wrkpath(), locale_, dialogs_, this);
        chooser.exec();
        return chooser.chosenFolder();
    };

    setWindowTitle(doc_.title());
    setMinimumSize(twipsToPixels(kMinWindowWidth), twipsToPixels(kMinWindowHeight));
    resize(twipsToPixels(9480), twipsToPixels(4110) + menuBar()->sizeHint().height());
}

frmMain::~frmMain()
{
    delete console_.data();
}

// ---- Controls -----------------------------------------------------------------

void frmMain::buildControls()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    buildViews();
    buildParamBoxes();
    buildLockBoxes();
    buildNavigation();
    buildList();
    connectControls();

    // The tab order of the controls that take the focus.
    QWidget *order[] = {lstOto_, txtSearch_, txtPrm_[0], txtPrm_[1], txtPrm_[2], txtPrm_[3], txtPrm_[4],
                        txtLock_[3], txtLock_[2], txtLock_[1], txtLock_[0], txtALS_, cmdJmp_[1], cmdJmp_[0], cmdPlay_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmMain::buildViews()
{
    picSm_ = new PictureBox(client_);
    picSm_->setObjectName(QStringLiteral("picSm"));
    picSm_->setForeColor(QColor(255, 255, 255));
    picSm_->setBackColor(overviewBackColor(palette().color(QPalette::Button)));
    shpView_ = new QFrame(picSm_);
    shpView_->setObjectName(QStringLiteral("shpView"));
    shpView_->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgb(64,64,64); background: transparent; }"));
    shpView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    shpView_->setGeometry(twipsToPixels(1440), 0, twipsToPixels(615), twipsToPixels(360));
    shpView_->hide();

    pic_ = new PictureBox(client_);
    pic_->setObjectName(QStringLiteral("pic"));
    pic_->setBackColor(QColor(255, 255, 255));
    pic_->setForeColor(QColor(192, 192, 255));
    pic_->setFocusPolicy(Qt::StrongFocus);
    picSm_->setFocusPolicy(Qt::StrongFocus);

    editor_ = std::make_unique<WaveEditor>(doc_, locale_, sett_, dialogs_, *pic_, *picSm_, *shpView_);
    editor_->setLockTexts([this] { return lockTexts(); });
    editor_->setFeatureCache(&featureCache_);
    connect(editor_.get(), &WaveEditor::viewsRedrawn, this, &frmMain::refreshFields);
    connect(editor_.get(), &WaveEditor::entryEdited, this, &frmMain::refreshFields);
}

void frmMain::buildParamBoxes()
{
    picPrm_ = new QWidget(client_);
    picPrm_->setObjectName(QStringLiteral("picPrm"));
    const QString tips[5] = {QStringLiteral("Left sampling bound"), QStringLiteral("Overlap"),
                             QStringLiteral("Preutterance"), QStringLiteral("Fixed length"),
                             QStringLiteral("Right sampling bound")};
    const QColor colors[5] = {QColor(0, 0, 192), QColor(0, 128, 0), QColor(128, 0, 0), QColor(192, 0, 192),
                              QColor(0, 0, 192)};
    for (int i = 0; i < 5; ++i)
        txtPrm_[i] = numberBox(picPrm_, QStringLiteral("txtPrm(%1)").arg(i), tips[i], colors[i], QColor(255, 255, 255));
}

void frmMain::buildLockBoxes()
{
    picLock_ = new QWidget(client_);
    picLock_->setObjectName(QStringLiteral("picLock"));
    const QString tips[4] = {QStringLiteral("Lock [LF - PR]"), QStringLiteral("Lock [LF - OV]"),
                             QStringLiteral("Lock [LF - FX]"), QStringLiteral("Lock sampling length")};
    const QColor colors[4] = {QColor(255, 192, 192), QColor(192, 255, 192), QColor(255, 192, 255),
                              QColor(192, 192, 255)};
    for (int i = 0; i < 4; ++i)
        txtLock_[i] = numberBox(picLock_, QStringLiteral("txtLock(%1)").arg(i), tips[i], palette().color(QPalette::Text),
                                colors[i]);
}

void frmMain::buildNavigation()
{
    picNav_ = new QWidget(client_);
    picNav_->setObjectName(QStringLiteral("picNav"));
    cmdPlay_ = new QPushButton(QStringLiteral("P"), picNav_);
    cmdPlay_->setObjectName(QStringLiteral("cmdPlay"));
    cmdPlay_->setToolTip(playButtonTip());
    const QString captions[2] = {QStringLiteral("<"), QStringLiteral(">")};
    const QString tips[2] = {QStringLiteral("Previous item"), QStringLiteral("Next item")};
    for (int i = 0; i < 2; ++i) {
        cmdJmp_[i] = new QPushButton(captions[i], picNav_);
        cmdJmp_[i]->setObjectName(QStringLiteral("cmdJmp(%1)").arg(i));
        cmdJmp_[i]->setToolTip(tips[i]);
    }
    txtALS_ = new QLineEdit(picNav_);
    txtALS_->setObjectName(QStringLiteral("txtALS"));
    txtALS_->setToolTip(QStringLiteral("Alias"));
}

void frmMain::buildList()
{
    lstOto_ = new QListView(client_);
    lstOto_->setObjectName(QStringLiteral("lstOto"));
    lstOto_->setModel(&list_);
    lstOto_->setUniformItemSizes(true);  // keeps 50 000 rows cheap to lay out
    lstOto_->setTextElideMode(Qt::ElideNone);
    lstOto_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstOto_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstOto_->setFont(designFont(QStringLiteral("宋体"), QStringLiteral("Noto Sans CJK SC")));

    txtSearch_ = new QLineEdit(searchHint(), client_);
    txtSearch_->setObjectName(QStringLiteral("txtSearch"));
    search_ = std::make_unique<SearchBox>(
        *txtSearch_, list_, dialogs_, [this] { return !doc_.wrkpath().isEmpty(); }, [this](int row) { selectRow(row); });

    cboFolder_ = new QComboBox(client_);
    cboFolder_->setObjectName(QStringLiteral("cboFolder"));
    cboFolder_->setVisible(false);
    connect(cboFolder_, &QComboBox::activated, this, [this](int item) {
        const QVariant folder = cboFolder_->itemData(item);
        list_.setFolderFilter(folder.isValid() ? std::optional<QString>(folder.toString()) : std::nullopt);
    });

    lblGap_ = new QLabel(client_);
    lblGap_->setObjectName(QStringLiteral("lblGap"));
    lblGap_->setCursor(Qt::SplitHCursor);
}

void frmMain::connectControls()
{
    connect(lstOto_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    lstOto_Click(current.row());
            });
    // Keys of the views, the list and the boxes, focus changes of the boxes
    // and the splitter's mouse go through eventFilter.
    for (QObject *watched : std::initializer_list<QObject *>{pic_, picSm_, lblGap_, lstOto_, txtALS_})
        watched->installEventFilter(this);
    txtSearch_->installEventFilter(this);
    for (int i = 0; i < 5; ++i) {
        txtPrm_[i]->installEventFilter(this);
        connect(txtPrm_[i], &QLineEdit::textChanged, this, [this, i] { txtPrm_Change(i); });
    }
    for (QLineEdit *box : txtLock_)
        box->installEventFilter(this);
    connect(txtALS_, &QLineEdit::textChanged, this, [this] { txtALS_Change(); });
    connect(cmdPlay_, &QPushButton::clicked, this, [this] { cmdPlay_Click(); });
    playTimer_ = new QTimer(this);
    connect(playTimer_, &QTimer::timeout, this, &frmMain::followPlay);
    auto *stop = new QAction(this);
    stop->setObjectName(QStringLiteral("actStop"));
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(stop);
    connect(stop, &QAction::triggered, this, &frmMain::stopPlaying);
    connect(cmdJmp_[0], &QPushButton::clicked, this, [this] { cmdJmp_Click(0); });
    connect(cmdJmp_[1], &QPushButton::clicked, this, [this] { cmdJmp_Click(1); });
}

// ---- Menus ----------------------------------------------------------------------

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
    auto on = [this](QAction *action, auto handler) { connect(action, &QAction::triggered, this, handler); };

    QMenu *file = addMenu(nullptr, QStringLiteral("mnuFile"));
    on(addItem(file, QStringLiteral("mnuOpen"), QKeySequence(Qt::CTRL | Qt::Key_O)), [this] {
        doc_.open(chooseFolder_);
        enableFileItems();
    });
    on(addItem(file, QStringLiteral("mnuReload"), QKeySequence(Qt::CTRL | Qt::Key_R)), [this] { doc_.reload(); });
    on(addItem(file, QStringLiteral("mnuSave"), QKeySequence(Qt::CTRL | Qt::Key_S)), [this] { doc_.save(); });
    addSeparator(file, QStringLiteral("mnu0"));
    addItem(file, QStringLiteral("mnuLoadB"))->setVisible(false);
    addItem(file, QStringLiteral("mnuSaveB"))->setVisible(false);
    addSeparator(file, QStringLiteral("mnu2"))->setVisible(false);
    on(addItem(file, QStringLiteral("mnuLoadBkp"), QKeySequence(Qt::CTRL | Qt::Key_L)), [this] { doc_.loadBackup(); });
    on(addItem(file, QStringLiteral("mnuSaveBkp"), QKeySequence(Qt::CTRL | Qt::Key_B)), [this] { doc_.saveBackup(); });
    addSeparator(file, QStringLiteral("mnu1"));
    on(addItem(file, QStringLiteral("mnuQuit")), [this] { close(); });

    QMenu *edit = addMenu(nullptr, QStringLiteral("mnuEdit"));
    on(addItem(edit, QStringLiteral("mnuOtoDup"), QKeySequence(Qt::SHIFT | Qt::Key_Insert)), [this] { mnuOtoDup_Click(); });
    on(addItem(edit, QStringLiteral("mnuOtoDel"), QKeySequence(Qt::SHIFT | Qt::Key_Delete)), [this] { mnuOtoDel_Click(); });
    addSeparator(edit, QStringLiteral("mnuEdit0"));
    QAction *undo = addItem(edit, QStringLiteral("mnuUndo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redo = addItem(edit, QStringLiteral("mnuRedo"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    on(undo, [this] { mnuUndo_Click(); });
    on(redo, [this] { mnuRedo_Click(); });
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(&doc_.history(), &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(&doc_.history(), &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    addSeparator(edit, QStringLiteral("mnuEdit1"));
    on(addItem(edit, QStringLiteral("mnuSamePrev"), QKeySequence(Qt::CTRL | Qt::Key_PageUp)), [this] { mnuSameStep_Click(-1); });
    on(addItem(edit, QStringLiteral("mnuSameNext"), QKeySequence(Qt::CTRL | Qt::Key_PageDown)), [this] { mnuSameStep_Click(+1); });
    on(addItem(edit, QStringLiteral("mnuSameCopy")), [this] { mnuSameCopy_Click(); });
    on(addItem(edit, QStringLiteral("mnuPrefixMap")), [this] { mnuPrefixMap_Click(); });

    QMenu *settings = addMenu(nullptr, QStringLiteral("mnuSett"));
    on(addItem(settings, QStringLiteral("mnuLocFile"), QKeySequence(Qt::CTRL | Qt::Key_E)), [this] { mnuLocFile_Click(); });
    on(addItem(settings, QStringLiteral("mnuLocDisp")), [this] { mnuLocDisp_Click(); });
    on(addItem(settings, QStringLiteral("mnuFix")), [this] { mnuFix_Click(); });
    addSeparator(settings, QStringLiteral("mnuSett0"));
    mnuSettFilenameBad_ = addItem(settings, QStringLiteral("mnuSettFilenameBad"));
    mnuSettFilenameBad_->setCheckable(true);
    mnuSettFilenameBad_->setChecked(true);
    on(mnuSettFilenameBad_, [this] { mnuSettFilenameBad_Click(); });
    mnuSettSpectrogram_ = addItem(settings, QStringLiteral("mnuSettSpectrogram"));
    mnuSettSpectrogram_->setCheckable(true);
    on(mnuSettSpectrogram_, [this] { mnuSettSpectrogram_Click(); });
    mnuSettCurves_ = addItem(settings, QStringLiteral("mnuSettCurves"));
    mnuSettCurves_->setCheckable(true);
    on(mnuSettCurves_, [this] { mnuSettCurves_Click(); });
    mnuSettPitch_ = addItem(settings, QStringLiteral("mnuSettPitch"));
    mnuSettPitch_->setCheckable(true);
    on(mnuSettPitch_, [this] { mnuSettPitch_Click(); });
    mnuSettLoudness_ = addItem(settings, QStringLiteral("mnuSettLoudness"));
    mnuSettLoudness_->setCheckable(true);
    on(mnuSettLoudness_, [this] { mnuSettLoudness_Click(); });

    QMenu *help = addMenu(nullptr, QStringLiteral("mnuHelp"));
    on(addItem(help, QStringLiteral("mnuTips"), QKeySequence(Qt::Key_F1)), [this] { mnuTips_Click(); });
    on(addItem(help, QStringLiteral("mnuAbout")), [this] { mnuAbout_Click(); });
    on(addItem(help, QStringLiteral("mnuOnline")), [this] { mnuOnline_Click(); });

    QMenu *secret = addMenu(nullptr, QStringLiteral("mnuSecret"));
    QMenu *experimental = addMenu(secret, QStringLiteral("mnuSecretExpr"));
    on(addItem(experimental, QStringLiteral("mnuExpSplitCmb")), [this] { mnuExpSplitCmb_Click(); });
    on(addItem(experimental, QStringLiteral("mnuExpReplace")), [this] { mnuExpReplace_Click(); });
    on(addItem(experimental, QStringLiteral("mnuExpScript")), [this] { mnuExpScript_Click(); });
    on(addItem(secret, QStringLiteral("mnuEstimate")), [this] { mnuEstimate_Click(); });
    on(addItem(secret, QStringLiteral("mnuGenFrq")), [this] { mnuGenFrq_Click(); });
    on(addItem(secret, QStringLiteral("mnuReport")), [this] { mnuReport_Click(); });
}

void frmMain::aplSett()
{
    mnuSettFilenameBad_->setChecked(sett_.filenameRuleOn());
    mnuSettSpectrogram_->setChecked(viewSett_.spectrogram);
    mnuSettCurves_->setChecked(viewSett_.analysisCurves);
    editor_->setSpectrogram(viewSett_.spectrogram);
    editor_->setAnalysisCurves(viewSett_.analysisCurves);
    mnuSettPitch_->setChecked(viewSett_.pitchCurve);
    mnuSettLoudness_->setChecked(viewSett_.loudnessCurve);
    editor_->setPitchCurve(viewSett_.pitchCurve);
    editor_->setLoudnessCurve(viewSett_.loudnessCurve);
}

// ---- Activation, closing, events ------------------------------------------------

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
    doc_.updTitle();
}

void frmMain::watchOto()
{
    const QString path = doc_.wrkpath().isEmpty() ? QString() : joinPath(doc_.wrkpath(), OtoDocument::kOtoIni);
    const QStringList watched = otoWatcher_->files();
    if (watched == QStringList{path})
        return;
    if (!watched.isEmpty())
        otoWatcher_->removePaths(watched);
    if (!path.isEmpty() && QFileInfo::exists(path))
        otoWatcher_->addPath(path);
}

void frmMain::otoChangedOnDisk()
{
    const std::shared_ptr<clsOto> current = editor_->curOto();
    const QString alias = current ? current->ALS : QString();
    const DiskChange change = doc_.followDiskChange([this](const QString &path, const auto &difference) {
        return askDiskChange(this, path, difference, sett_.settlocDisp, locale_);
    });
    otoWatcher_->removePaths(otoWatcher_->files());  // a replaced file is watched anew
    watchOto();
    if (change != DiskChange::Reloaded)
        return;
    // The same alias stays selected where it still is.
    const OtoEntries &entries = doc_.clcOto();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i]->ALS == alias) {
            lstOto_->setCurrentIndex(list_.index(i));
            break;
        }
    }
    statusBar()->showMessage(QStringLiteral("oto.ini was changed on disk and has been read again. - oto.ini已被外部修改，已重新讀取。"));
}

void frmMain::enableFileItems()
{
    const bool open = !doc_.wrkpath().isEmpty();
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
    if (sett_.oupsett(dialogs_)) {
        if (auto error = viewSett_.write(ViewSettings::pathBeside(sett_.iniPath())))
            dialogs_.message({QStringLiteral("error while saving settings - 保存設定時出現錯誤") + QStringLiteral("\r\n") + *error,
                              QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
    }
    // The console ends with the program (a script waiting in it is stopped).
    if (console_)
        console_->closeWhenIdle();
    e->accept();
    emit programEnd();
}

bool frmMain::eventFilter(QObject *watched, QEvent *e)
{
    if (windowWideFocusChange(e))
        return QMainWindow::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::KeyPress:
        if (handleKeyFor(watched, static_cast<QKeyEvent *>(e)))
            return true;
        break;
    case QEvent::FocusOut:
        for (int i = 0; i < 4; ++i)
            if (watched == txtLock_[i])
                txtLock_Validate(i);
        for (QLineEdit *box : txtPrm_)
            if (watched == box)
                txtPrm_LostFocus();
        if (watched == txtALS_ || std::find(std::begin(txtPrm_), std::end(txtPrm_), watched) != std::end(txtPrm_))
            ++typingSession_;  // what is typed next is a step of its own
        break;
    case QEvent::ShortcutOverride:
        // Ctrl+Z and Ctrl+Y in a box undo and redo the document's steps
        // (each keystroke is one), not the box's own text.
        if (isHistoryKey(static_cast<QKeyEvent *>(e)))
            return true;
        break;
    case QEvent::MouseButtonRelease:
        if (watched == lblGap_) {
            lblGap_MouseUp(pixelsToTwips(static_cast<QMouseEvent *>(e)->position().x()));
            return true;
        }
        break;
    case QEvent::Resize:
        if (watched == client_)
            Form_Resize();
        break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, e);
}

bool frmMain::handleKeyFor(QObject *watched, const QKeyEvent *event)
{
    const int key = event->key();
    const bool upOrDown = key == Qt::Key_Up || key == Qt::Key_Down;
    const int next = key == Qt::Key_Down ? 1 : 0;
    if (watched == pic_ || watched == picSm_) {
        pic_KeyDown(key, event->modifiers());
        return upOrDown || key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Space;
    }
    if (watched == lstOto_ && key == Qt::Key_Space) {
        pic_KeyDown(key, event->modifiers());
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

void frmMain::pic_KeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (!isEditable())
        return;
    switch (key) {
    case Qt::Key_Down: cmdJmp_Click(1); break;
    case Qt::Key_Up: cmdJmp_Click(0); break;
    case Qt::Key_Space:
        if (shift & Qt::ShiftModifier)
            playEntry(false);
        else if (shift & Qt::ControlModifier)
            playEntry(true);
        else
            cmdPlay_Click();
        break;
    case Qt::Key_Left: editor_->scroll(false); break;
    case Qt::Key_Right: editor_->scroll(true); break;
    default: break;
    }
}

// ---- Layout and display charset ---------------------------------------------------

void frmMain::Form_Resize()
{
    if (isMinimized())
        return;
    const QSize outer = frameGeometry().size();
    const QSize smallest(twipsToPixels(kMinWindowWidth), twipsToPixels(kMinWindowHeight));
    if (outer.width() >= smallest.width() && outer.height() >= smallest.height()) {
        cliW_ = qRound(pixelsToTwips(client_->width()));
        cliH_ = qRound(pixelsToTwips(client_->height()));
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
    lblGap_->setGeometry(pixelRect(l.lblGap));
    lstOto_->setGeometry(pixelRect(l.lstOto));
    txtSearch_->setGeometry(pixelRect(l.txtSearch));
    if (cboFolder_->isVisibleTo(this)) {
        // The folder filter takes the right part of the search box's row.
        const QRect row = pixelRect(l.txtSearch);
        const int filterW = row.width() * 2 / 5;
        txtSearch_->setGeometry(row.adjusted(0, 0, -filterW, 0));
        cboFolder_->setGeometry(row.adjusted(row.width() - filterW, 0, 0, 0));
        cboFolder_->raise();
    }
    picSm_->setGeometry(pixelRect(l.picSm));
    pic_->setGeometry(pixelRect(l.pic));
    picPrm_->setGeometry(pixelRect(l.picPrm));
    for (int i = 0; i < 5; ++i)
        txtPrm_[i]->setGeometry(pixelRect(l.txtPrm[i]));
    picNav_->setGeometry(pixelRect(l.picNav));
    picLock_->setGeometry(pixelRect(l.picLock));
    picLock_->setVisible(l.picLockVisible);
    for (int i = 0; i < 4; ++i)
        txtLock_[i]->setGeometry(pixelRect(l.txtLock[i]));
    cmdPlay_->setGeometry(pixelRect(l.cmdPlay));
    cmdJmp_[0]->setGeometry(pixelRect(l.cmdJmp[0]));
    cmdJmp_[1]->setGeometry(pixelRect(l.cmdJmp[1]));
    txtALS_->setGeometry(pixelRect(l.txtALS));
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
    applyFont(cboFolder_, charsetIndex, locale_);
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
        search_->showHint();
    if (cliW_ > 0)
        doLayout();
}

// ---- Views and boxes --------------------------------------------------------------

void frmMain::settext(QLineEdit *box, const QString &text)
{
    const QSignalBlocker quiet(box);
    box->setText(text);
}

bool frmMain::isEditable() const
{
    return editor_->isEditable();
}

void frmMain::redrawall()
{
    editor_->redrawall();
}

void frmMain::refreshPicTry()
{
    editor_->refreshPicTry();
}

void frmMain::refreshFields()
{
    const bool editable = isEditable();
    const clsOto *entry = editor_->curOto().get();
    for (int i = 0; i < 5; ++i)
        settext(txtPrm_[i], editable ? paramText(paramValue(*entry, i)) : QString());
    settext(txtALS_, editable ? entry->ALS : QString());
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
    if (row >= 0)
        editor_->loadWave(list_.rowItemData(row));
}

void frmMain::txtPrm_Change(int index)
{
    if (!isEditable())
        return;
    const EditOutcome edit = typedEdit(*editor_->curOto(), index, txtPrm_[index]->text(), editor_->curwav().LengthMs,
                                       sett_.settPrmRound);
    if (edit.result == EditResult::Committed) {
        doc_.editEntries({{editor_->curIdx(), edit.entry}}, QStringLiteral("Typed value"), typingKey(index));
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
    if (!isEditable())
        return;
    const QString alias = txtALS_->text();
    if (!isValidAlias(alias)) {
        settext(txtALS_, editor_->curOto()->ALS);
        return;
    }
    doc_.editAliases({{editor_->curIdx(), alias}}, QStringLiteral("Alias"), typingKey(kAliasBox));
}

void frmMain::txtLock_Validate(int index)
{
    QLineEdit *box = txtLock_[index];
    const QString kept = validatedLockText(box->text());
    if (kept != box->text())
        box->setText(kept);
}

LockTexts frmMain::lockTexts() const
{
    LockTexts locks;
    for (int i = 0; i < 4; ++i)
        locks.text[i] = txtLock_[i]->text();
    return locks;
}

// ---- Undo and redo ---------------------------------------------------------------------

int frmMain::typingKey(int box) const
{
    return typingSession_ * 8 + box + 1;
}

bool frmMain::isHistoryKey(const QKeyEvent *key)
{
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
           || (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_Y);
}

void frmMain::mnuUndo_Click()
{
    ++typingSession_;
    doc_.undo();
}

void frmMain::mnuRedo_Click()
{
    ++typingSession_;
    doc_.redo();
}

void frmMain::showStep(int index)
{
    // The entry an undo or redo changed (or, after a removal, the one in
    // its place) becomes the selected row, scrolled to and drawn.
    if (index < 0 || index >= doc_.clcOto().size()) {
        redrawall();
        return;
    }
    int row = list_.rowOfEntry(index);
    if (row < 0) {  // not in a filtered list (or back from a removal): show every entry
        F5LstOto();
        row = list_.rowOfEntry(index);
    }
    if (row == lstOto_->currentIndex().row()) {
        if (editor_->curIdx() == index && editor_->isEditable())
            redrawall();
        else
            editor_->loadWave(index);
    } else {
        selectRow(row);
    }
    lstOto_->scrollTo(list_.index(row));
}

// ---- Navigation, playback, settings, help ---------------------------------------------

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
    if (player_.play(editor_->curwav()))
        startPlayCursor();
}

void frmMain::playEntry(bool fromPreutterance)
{
    if (!isEditable())
        return;
    const clsOto &e = *editor_->curOto();
    const double lengthMs = editor_->curwav().LengthMs;
    const double end = e.prmRT >= 0 ? lengthMs - e.prmRT : e.prmLF - e.prmRT;
    const double start = fromPreutterance ? e.prmLF + e.prmPR : e.prmLF;
    if (player_.playRange(editor_->curwav(), start, end))
        startPlayCursor();
}

void frmMain::stopPlaying()
{
    player_.stop();
    followPlay();
}

void frmMain::startPlayCursor()
{
    playingGeneration_ = editor_->curwav().generation();
    // At the screen's frame rate, from the device's own position.
    const qreal hz = screen() ? screen()->refreshRate() : 60;
    playTimer_->start(std::max(4, int(1000 / (hz > 0 ? hz : 60))));
    followPlay();
}

void frmMain::followPlay()
{
    const qint64 heard = player_.position();
    if (heard < 0)
        playTimer_->stop();
    // Another wave selected meanwhile: its views get no cursor from this sound.
    const clsWave &wave = editor_->curwav();
    if (heard < 0 || wave.generation() != playingGeneration_)
        editor_->setPlayCursor(-1);
    else
        editor_->setPlayCursor(heard * 1000.0 / wave.Samplerate);
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

void frmMain::mnuLocFile_Click()
{
    askLocale(0, sett_, locale_, dialogs_);
}

void frmMain::mnuLocDisp_Click()
{
    // The folder chooser reads the display charset each time it opens.
    if (askLocale(1, sett_, locale_, dialogs_)) {
        setfrmDispLocale(sett_.settlocDisp);
        if (console_)
            console_->setfrmDispLocale(sett_.settlocDisp);
    }
}

void frmMain::mnuSettFilenameBad_Click()
{
    sett_.settFilenameBad = mnuSettFilenameBad_->isChecked() ? -1 : 0;
}

void frmMain::mnuSettSpectrogram_Click()
{
    viewSett_.spectrogram = mnuSettSpectrogram_->isChecked();
    editor_->setSpectrogram(viewSett_.spectrogram);
}

void frmMain::mnuSettCurves_Click()
{
    viewSett_.analysisCurves = mnuSettCurves_->isChecked();
    editor_->setAnalysisCurves(viewSett_.analysisCurves);
}

void frmMain::mnuSettPitch_Click()
{
    viewSett_.pitchCurve = mnuSettPitch_->isChecked();
    editor_->setPitchCurve(viewSett_.pitchCurve);
}

void frmMain::mnuSettLoudness_Click()
{
    viewSett_.loudnessCurve = mnuSettLoudness_->isChecked();
    editor_->setLoudnessCurve(viewSett_.loudnessCurve);
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

// ---- Entry tools ------------------------------------------------------------------

void frmMain::mnuOtoDup_Click()
{
    // The source entry's row stays selected and its wave stays loaded.
    duplicateEntry(doc_, list_, lstOto_->currentIndex().row(), editor_->curIdx());
}

void frmMain::mnuOtoDel_Click()
{
    // Selecting the next row loads its entry through lstOto_Click; after the
    // only shown row is gone nothing is selected and no entry is current.
    const EntryOpResult r =
        removeEntry(doc_, list_, lstOto_->currentIndex().row(), editor_->curIdx(), lstOto_->selectionModel());
    if (r.done && r.row >= 0)
        lstOto_->scrollTo(list_.index(r.row));
}

void frmMain::mnuExpReplace_Click()
{
    if (runReplaceDialog(dialogs_, doc_)) {
        F5LstOto();
        redrawall();
    }
}

frmScript *frmMain::console() const
{
    return console_.data();
}

void frmMain::mnuExpScript_Click()
{
    // Created on first use, a window of its own beside this one; closing it
    // destroys it, and the next open loads it afresh.
    if (!console_)
        console_ = new frmScript(*this, locale_, dialogs_, sett_.settlocDisp);
    console_->show();
    console_->raise();
    console_->activateWindow();
}

void frmMain::mnuEstimate_Click()
{
    if (doc_.wrkpath().isEmpty())
        return;
    const std::optional<analysis::EstimateScope> scope = analysis::askEstimateScope(dialogs_);
    if (!scope)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const analysis::EstimateRun run = analysis::runEstimate(
        doc_, *scope, editor_->curIdx(), analysis::folderWaves(doc_.wrkpath(), &locale_), &featureCache_,
        sett_.settPrmRound);
    QApplication::restoreOverrideCursor();
    doc_.editEntries(run.changes, QStringLiteral("Estimate"));
    std::vector<WaveEditor::Flagged> flagged;
    for (const analysis::Estimate &e : run.flaggedEstimates)
        if (e.index >= 0 && e.index < doc_.clcOto().size())
            flagged.push_back({doc_.clcOto()[e.index], {e.entry, e.reason}});
    editor_->setFlaggedEstimates(std::move(flagged));
    redrawall();
    dialogs_.inform(analysis::estimateSummary(run), QStringLiteral("Estimate - 自動估算"));
}

void frmMain::mnuGenFrq_Click()
{
    if (doc_.wrkpath().isEmpty())
        return;
    if (generateFrqFiles(this, dialogs_, doc_.wrkpath()))
        editor_->reloadFrq();
}

frmReport *frmMain::reportWindow() const
{
    return report_;
}

void frmMain::mnuReport_Click()
{
    if (doc_.wrkpath().isEmpty())
        return;
    if (!report_) {
        ReportActions actions;
        actions.run = [this](const QString &coverage) { return reportOnDocument(doc_, coverage); };
        actions.select = [this](int entry) { showStep(entry); };
        actions.createMissing = [this](const QList<Problem> &problems) { createMissingEntries(doc_, problems); };
        report_ = new frmReport(std::move(actions), this);
        report_->setAttribute(Qt::WA_DeleteOnClose);
    }
    report_->refresh();
    report_->show();
    report_->raise();
    report_->activateWindow();
}

void frmMain::mnuExpSplitCmb_Click()
{
    if (runSplitDialog(dialogs_, doc_)) {
        F5LstOto();
        redrawall();
    }
}

// ---- A singer's folders ---------------------------------------------------------

namespace {

singer::AffixPairs prefixMapPairs(const OtoDocument &doc, modLocale &locale)
{
    const auto map = singer::PrefixMap::read(doc.wrkpath(), locale);
    return map ? map->affixPairs() : singer::AffixPairs();
}

}  // namespace

void frmMain::mnuSameStep_Click(int direction)
{
    if (!editor_->isEditable())
        return;
    const singer::SameAlias same(doc_.clcOto(), doc_.folders(), prefixMapPairs(doc_, locale_));
    const int target = same.step(editor_->curIdx(), direction);
    if (target < 0) {
        dialogs_.beep();
        return;
    }
    const clsOto &from = *editor_->curOto();
    const ViewWindow view = editor_->view();
    const double fromPr = from.prmLF + from.prmPR;
    showStep(target);
    if (editor_->curIdx() != target || !editor_->isEditable())
        return;
    const clsOto &to = *editor_->curOto();
    editor_->setView({view.start - fromPr + to.prmLF + to.prmPR, view.len});
    redrawall();
}

void frmMain::mnuSameCopy_Click()
{
    if (!editor_->isEditable() || !doc_.isSinger())
        return;
    const int index = editor_->curIdx();
    QStringList others = doc_.folders();
    others.removeAll(doc_.clcOto()[index]->folder);
    const std::optional<QStringList> chosen =
        chooseCopyFolders(this, doc_.clcOto()[index]->ALS, others, sett_.settlocDisp, locale_);
    if (!chosen)
        return;
    const singer::SameAlias same(doc_.clcOto(), doc_.folders(), prefixMapPairs(doc_, locale_));
    const singer::CopyAcross copy = singer::copyAcrossFolders(doc_, same, index, *chosen, &locale_);
    doc_.editEntries(copy.changes, QStringLiteral("Copy to other folders"));
    QStringList report;
    if (!copy.unsure.isEmpty())
        report << QStringLiteral("Check these, their recordings did not line up clearly - 以下條目對齊不確定，請檢查:")
               << copy.unsure;
    if (!copy.skipped.isEmpty())
        report << QStringLiteral("Not copied (no such alias or no wave) - 未複製:") << copy.skipped;
    if (!report.isEmpty())
        dialogs_.inform(report.join(QStringLiteral("\r\n")));
    redrawall();
}

void frmMain::mnuPrefixMap_Click()
{
    if (doc_.wrkpath().isEmpty())
        return;
    // A singer without one gets a new file in the file charset.
    singer::PrefixMapDialog dialog(singer::PrefixMap::read(doc_.wrkpath(), locale_).value_or(singer::PrefixMap()), this);
    dialog.setfrmDispLocale(sett_.settlocDisp, locale_);
    if (dialog.exec() == QDialog::Accepted)
        dialog.result().write(doc_.wrkpath(), locale_);
}

void frmMain::fillFolderFilter()
{
    const QSignalBlocker quiet(cboFolder_);
    const std::optional<QString> shown = list_.folderFilter();
    cboFolder_->clear();
    cboFolder_->addItem(QStringLiteral("All folders - 全部"));
    for (const QString &folder : doc_.folders())
        cboFolder_->addItem(folder.isEmpty() ? QStringLiteral("./") : folder + u'/', folder);
    // The folder shown before stays shown when the singer still has it.
    const int keep = shown ? cboFolder_->findData(*shown) : -1;
    cboFolder_->setCurrentIndex(std::max(0, keep));
    if (shown && keep < 0)
        list_.setFolderFilter(std::nullopt);
    const bool wasVisible = cboFolder_->isVisibleTo(this);
    cboFolder_->setVisible(doc_.isSinger());
    if (wasVisible != doc_.isSinger())
        doLayout();
}
