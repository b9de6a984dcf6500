#include "app/frmMain.h"

#include "app/AliasBox.h"
#include "app/OtoWatcher.h"
#include "app/WindowPlacement.h"
#include "app/frmScript.h"
#include "app/FrqGeneration.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/Twips.h"
#include "oto/modLocale.h"
#include "app/PrefixMapDialog.h"
#include "app/CopyToFoldersDialog.h"
#include "app/DiskChangeDialog.h"
#include "ui/applyFont.h"
#include "ui/frmOpen.h"
#include "ui/SearchBox.h"
#include "view/PictureBox.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QStatusBar>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

frmMain::frmMain(clsSett &sett, modLocale &locale, Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent), sett_(sett), locale_(locale), dialogs_(dialogs), controller_(sett, locale, dialogs, *this)
{
    setObjectName(QStringLiteral("frmMain"));
    // The window's load: the charset table, an empty document and wave.
    locale_.initLocale();
    layout_.lstW = 1800;

    buildControls();
    menus_ = new MainMenus(*menuBar(), controller_);
    listener_ = new Listener(*this, player_->device(), locale_);  // a child of the window

    OtoDocument &doc = document();
    connect(&doc, &OtoDocument::titleChanged, this, &QWidget::setWindowTitle);
    // A load forgets the wave before the controller shows the bank's entry.
    connect(&doc, &OtoDocument::entriesAboutToBeReplaced, this, [this] { editor_->forgetWave(); });
    // The folder filter first: the list is widened to show it whole.
    connect(&doc, &OtoDocument::entriesReplaced, this, [this] { fillFolderFilter(); fitListColumns(); });
    connect(new OtoWatcher(controller_, this), &OtoWatcher::reloaded, statusBar(), [this](const QString &m) { statusBar()->showMessage(m); });
    chooseFolder_ = [this] {
        frmOpen chooser(sett_, document().wrkpath(), locale_, dialogs_, this);
        chooser.exec();
        return chooser.chosenFolder();
    };
    setWindowTitle(doc.title());
    setMinimumSize(twipsToPixels(kMinWindowWidth), twipsToPixels(kMinWindowHeight));
    setAcceptDrops(true);
    placeOnScreen();
}

frmMain::~frmMain()
{
    // The document outlives the widgets: its last signals must reach no menu.
    disconnect(&controller_, nullptr, nullptr, nullptr);
    delete console_.data();
}

void frmMain::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    client->installEventFilter(this);
    ui_.build(client);
    ui_.lstOto->setModel(&listModel());

    editor_ = std::make_unique<WaveEditor>(document(), locale_, sett_, dialogs_, *ui_.pic, *ui_.picSm, *ui_.shpView);
    editor_->setLockTexts([this] { return lockTexts(); });
    editor_->setFeatureCache(&controller_.featureCache());
    connect(editor_.get(), &WaveEditor::viewsRedrawn, this, &frmMain::refreshFields);
    connect(editor_.get(), &WaveEditor::entryEdited, this, &frmMain::refreshFields);
    search_ = std::make_unique<SearchBox>(
        *ui_.txtSearch, listModel(), dialogs_, [this] { return !document().wrkpath().isEmpty(); },
        [this](int row) { selectRow(row); }, [this] { return currentEntry(); });
    connectControls();
}

void frmMain::connectControls()
{
    connect(ui_.cboFolder, &QComboBox::activated, this, [this](int item) {
        const QVariant folder = ui_.cboFolder->itemData(item);
        controller_.showFolder(folder.isValid() ? std::optional<QString>(folder.toString()) : std::nullopt);
    });
    connect(ui_.lstOto->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    lstOto_Click(current.row());
                controller_.selectionChanged();
            });
    // Keys of the views, the list and the boxes, focus changes of the boxes
    // and the splitter's mouse go through eventFilter.
    for (QObject *watched : std::initializer_list<QObject *>{ui_.pic, ui_.picSm, ui_.lblGap, ui_.lstOto, ui_.txtALS})
        watched->installEventFilter(this);
    ui_.txtSearch->installEventFilter(this);
    for (int i = 0; i < 5; ++i) {
        ui_.txtPrm[i]->installEventFilter(this);
        connect(ui_.txtPrm[i], &QLineEdit::textChanged, this, [this, i] { txtPrm_Change(i); });
    }
    for (QLineEdit *box : ui_.txtLock)
        box->installEventFilter(this);
    connect(ui_.txtALS, &QLineEdit::textChanged, this, [this] { txtALS_Change(); });
    connect(ui_.cmdPlay, &QPushButton::clicked, this, [this] { cmdPlay_Click(); });
    player_ = new EntryPlayer(*editor_, *this);
    auto *stop = new QAction(this);
    stop->setObjectName(QStringLiteral("actStop"));
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(stop);
    connect(stop, &QAction::triggered, this, &frmMain::stopPlaying);
    connect(ui_.cmdJmp[0], &QPushButton::clicked, this, [this] { cmdJmp_Click(0); });
    connect(ui_.cmdJmp[1], &QPushButton::clicked, this, [this] { cmdJmp_Click(1); });
}

void frmMain::aplSett()
{
    menus_->refresh();
    applyViewSettings(controller_.viewSettings());
}

void frmMain::applyViewSettings(const ViewSettings &settings)
{
    editor_->setSpectrogram(settings.spectrogram);
    editor_->setAnalysisCurves(settings.analysisCurves);
    editor_->setPitchCurve(settings.pitchCurve);
    editor_->setLoudnessCurve(settings.loudnessCurve);
}

void frmMain::generateFrequencyFiles(const QString &folder)
{
    if (generateFrqFiles(this, dialogs_, folder))
        editor_->reloadFrq();
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
    menus_->refresh();
    document().updTitle();
}

void frmMain::closeEvent(QCloseEvent *e)
{
    // A cancelled question, or a save that failed, keeps the window and the
    // edits.
    if (!document().saveFirstIfAsked()) {
        e->ignore();
        return;
    }
    controller_.writeSettings({saveGeometry(), layout_.lstW});
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
            if (watched == ui_.txtLock[i])
                txtLock_Validate(i);
        for (QLineEdit *box : ui_.txtPrm)
            if (watched == box)
                txtPrm_LostFocus();
        if (watched == ui_.txtALS || std::find(std::begin(ui_.txtPrm), std::end(ui_.txtPrm), watched) != std::end(ui_.txtPrm))
            controller_.endTyping();  // what is typed next is a step of its own
        break;
    case QEvent::ShortcutOverride:
        // The menus' keys act on the entry whichever box has the focus:
        // Ctrl+Z and Ctrl+Y undo and redo the document's steps (each
        // keystroke is one), not the box's own text; Shift+Delete removes
        // the entry rather than cutting the box's text.
        if (menus_->isShortcut(static_cast<QKeyEvent *>(e)))
            return true;
        break;
    case QEvent::MouseButtonRelease:
        if (watched == ui_.lblGap) {
            lblGap_MouseUp(pixelsToTwips(static_cast<QMouseEvent *>(e)->position().x()));
            return true;
        }
        break;
    case QEvent::Resize:
        if (watched == centralWidget())
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
    if (watched == ui_.pic || watched == ui_.picSm) {
        pic_KeyDown(key, event->modifiers());
        return upOrDown || key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Space;
    }
    if (watched == ui_.lstOto && key == Qt::Key_Space) {
        pic_KeyDown(key, event->modifiers());
        return true;
    }
    if (watched == ui_.txtALS && upOrDown) {
        cmdJmp_Click(next);
        return true;
    }
    for (QLineEdit *box : ui_.txtPrm) {
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

void frmMain::Form_Resize()
{
    if (isMinimized())
        return;
    const QSize outer = frameGeometry().size();
    const QSize smallest(twipsToPixels(kMinWindowWidth), twipsToPixels(kMinWindowHeight));
    if (outer.width() >= smallest.width() && outer.height() >= smallest.height()) {
        cliW_ = qRound(pixelsToTwips(centralWidget()->width()));
        cliH_ = qRound(pixelsToTwips(centralWidget()->height()));
        doLayout();
    } else {
        // Snap back to the smallest size; the new size lays out again.
        resize(std::max(width(), smallest.width()), std::max(height(), smallest.height()));
    }
}

void frmMain::doLayout()
{
    layout_.doLayout(cliW_, cliH_);
    ui_.place(layout_);
    redrawall();
}

void frmMain::setfrmDispLocale(int charsetIndex)
{
    applyFont(this, charsetIndex, locale_);
    ui_.applyFonts(charsetIndex, locale_);

    menus_->setCaptions();
    // The hint never lands in the box while the user types in it. The
    // window's focus widget is the one that gets the focus back when the
    // window is active again, which it is not yet during its activation.
    if (focusWidget() != ui_.txtSearch)
        search_->showHint();
    if (cliW_ > 0)
        doLayout();
}

void frmMain::settext(QLineEdit *box, const QString &text)
{
    const QSignalBlocker quiet(box);
    box->setText(text);
}

void frmMain::refreshFields()
{
    const bool editable = isEditable();
    const clsOto *entry = editor_->curOto().get();
    for (int i = 0; i < 5; ++i)
        settext(ui_.txtPrm[i], editable ? paramText(paramValue(*entry, i)) : QString());
    settext(ui_.txtALS, editable ? entry->ALS : QString());
}

void frmMain::F5LstOtoS(const QString &key, int mode)
{
    if (!listModel().F5LstOtoS(key, mode))
        dialogs_.beep();
}

void frmMain::selectRow(int row)
{
    const QModelIndex index = listModel().index(row);
    ui_.lstOto->setCurrentIndex(index);
    ui_.lstOto->scrollTo(index);
}

void frmMain::lstOto_Click(int row)
{
    if (row >= 0)
        editor_->loadWave(listModel().rowItemData(row));
}

void frmMain::txtPrm_Change(int index)
{
    if (isEditable() && controller_.typeValue(index, ui_.txtPrm[index]->text(), editor_->curwav().LengthMs))
        refreshPicTry();
}

void frmMain::txtPrm_LostFocus()
{
    if (isEditable())
        refreshFields();
}

void frmMain::txtALS_Change()
{
    if (isEditable() && !controller_.typeAlias(ui_.txtALS->text()))
        settext(ui_.txtALS, editor_->curOto()->ALS);  // a separator of the file's lines is refused
}

void frmMain::txtLock_Validate(int index)
{
    QLineEdit *box = ui_.txtLock[index];
    const QString kept = validatedLockText(box->text());
    if (kept != box->text())
        box->setText(kept);
}

LockTexts frmMain::lockTexts() const
{
    LockTexts locks;
    for (int i = 0; i < 4; ++i)
        locks.text[i] = ui_.txtLock[i]->text();
    return locks;
}

void frmMain::showEntry(int index)
{
    if (editor_->curIdx() == index && editor_->isEditable())
        redrawall();
    else
        editor_->loadWave(index);
}

void frmMain::cmdJmp_Click(int index)
{
    if (!isEditable())
        return;
    const int row = ui_.lstOto->currentIndex().row() + (2 * index - 1);
    if (row >= 0 && row < listModel().rowCount())
        selectRow(row);
}

void frmMain::lblGap_MouseUp(double xTwips)
{
    layout_.chooseListWidth(layout_.lstW + int(std::nearbyint(xTwips)));
    doLayout();
}

void frmMain::applyDisplayCharset(int charsetIndex)
{
    // The folder chooser reads the display charset each time it opens.
    setfrmDispLocale(charsetIndex);
    if (console_)
        console_->setfrmDispLocale(charsetIndex);
}

void frmMain::openAddress(const QString &url)
{
    // Hands the address to the desktop's opener and returns at once; with no
    // browser installed nothing happens.
    QDesktopServices::openUrl(QUrl(url));
}

void frmMain::openConsole()
{
    // Created on first use, a window of its own beside this one; closing it
    // destroys it, and the next open loads it afresh.
    if (!console_)
        console_ = new frmScript(*this, locale_, dialogs_, sett_.settlocDisp);
    console_->show();
    console_->raise();
    console_->activateWindow();
}

void frmMain::showEstimateFlags()
{
    fitListColumns();  // the entries a new bank was given may be wider than the list was
    std::vector<WaveEditor::Flagged> flagged;
    const OtoEntries &entries = document().clcOto();
    for (const analysis::Estimate &e : controller_.estimateFlow().lastFlagged())
        if (e.index >= 0 && e.index < entries.size())
            flagged.push_back({entries[e.index], {e.entry, e.reason}});
    editor_->setFlaggedEstimates(std::move(flagged));
}

void frmMain::placeOnScreen()
{
    const WindowPlace &place = controller_.startPlace();
    if (place.listWidth > 0)
        layout_.chooseListWidth(place.listWidth);
    if (place.geometry.isEmpty() || !restoreGeometry(place.geometry))
        setGeometry(firstWindowRect(screen(), minimumSize()));
}

void frmMain::openReport()
{
    frmReport::showOver(report_, document(), [this](int entry) { controller_.showStep(entry); }, this);
}

void frmMain::fitListColumns()
{
    if (ui_.fitListColumns(listModel(), layout_) && cliW_ > 0)
        doLayout();
}

void frmMain::dragEnterEvent(QDragEnterEvent *e)
{
    if (droppedFolder(e->mimeData()))
        e->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *e)
{
    if (const std::optional<QString> folder = droppedFolder(e->mimeData())) {
        e->acceptProposedAction();
        controller_.openFolder(*folder);
    }
}

std::optional<singer::PrefixMap> frmMain::editPrefixMap(const singer::PrefixMap &map)
{
    return singer::editPrefixMap(this, map, sett_.settlocDisp, locale_);
}

std::optional<QStringList> frmMain::chooseCopyFolders(const QString &alias, const QStringList &folders)
{
    return ::chooseCopyFolders(this, alias, folders, sett_.settlocDisp, locale_);
}

DiskChoice frmMain::askDiskChange(const QString &path, const std::function<QList<EntryDifference>()> &difference)
{
    return ::askDiskChange(this, path, difference, sett_.settlocDisp, locale_);
}

void frmMain::fillFolderFilter()
{
    if (ui_.fillFolders(controller_.filterFolders(), listModel().folderFilter()) && cliW_ > 0)
        doLayout();
}

frmScript *frmMain::console() const
{
    return console_.data();
}

std::optional<QString> frmMain::chooseSaveFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Save As - 另存為"), document().wrkpath());
    return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
}
