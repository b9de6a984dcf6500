#pragma once

#include "app/ActivationTracker.h"
#include "app/EstimateDialogs.h"
#include "app/EntryPlayer.h"
#include "app/MainControls.h"
#include "app/frmReport.h"
#include "app/MainMenus.h"
#include "app/Listener.h"
#include "app/MainLayout.h"
#include "control/MainController.h"
#include "control/MainView.h"
#include "view/ParamEdit.h"
#include "view/WaveEditor.h"

#include <QListView>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QKeyEvent;
class QFrame;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QTimer;
class frmScript;
class frmReport;
class Dialogs;
class PictureBox;
class SearchBox;
class WaveEditor;
class clsSett;
class modLocale;

// The editor's main window: the entry list with its search box on the left,
// the splitter strip, and on the right the navigation row with the lock
// boxes, the overview strip, the detail view and the parameter row. It shows
// and forwards: the commands, their menus (built from the menu table) and
// the open bank belong to the controller; the document owns the entries,
// the wave editor the views, the search box its own behaviour. Controls
// carry their names as objectName ("txtPrm(2)" for an array).
class frmMain : public QMainWindow, private MainView {
    Q_OBJECT
public:
    frmMain(clsSett &sett, modLocale &locale, Dialogs &dialogs, QWidget *parent = nullptr);
    ~frmMain() override;

    MainController &controller() { return controller_; }
    OtoDocument &document() { return controller_.document(); }
    OtoListModel &listModel() { return controller_.listModel(); }
    WaveEditor &waveEditor() { return *editor_; }
    const SearchBox &searchBox() const { return *search_; }

    // Shows the settings in the menus and the views' settings in the views.
    void aplSett();
    void F5LstOto() { listModel().F5LstOto(); }
    void F5LstOtoS(const QString &key, int mode);
    // Writes a text box without its change handling reacting.
    void settext(QLineEdit *box, const QString &text);
    void setfrmDispLocale(int charsetIndex);
    void redrawall() override { editor_->redrawall(); }
    void refreshPicTry() { editor_->refreshPicTry(); }
    void refreshFields();
    bool isEditable() const override { return editor_->isEditable(); }

    // The handlers of the controls and menus, as the mouse, the keys and the
    // menus call them.
    void cmdJmp_Click(int index);
    void cmdPlay_Click() { player_->playAll(); }
    // Shift+Space: the current entry's stretch, left to right bound;
    // Ctrl+Space: from its preutterance to the right bound. Esc stops.
    void playEntry(bool fromPreutterance) { player_->playEntry(fromPreutterance); }
    void stopPlaying() { player_->stop(); }
    void mnuFix_Click() { controller_.roundingStep(); }
    void mnuOtoDup_Click() { controller_.duplicate(); }
    void mnuOtoDel_Click() { controller_.remove(); }
    void mnuExpReplace_Click() { controller_.replace(); }
    void mnuExpSplitCmb_Click() { controller_.split(); }
    void mnuEstimate_Click() { controller_.estimate(); }
    void mnuGenFrq_Click() { controller_.generateFrq(); }
    void mnuExpScript_Click() { controller_.script(); }
    void mnuUndo_Click() { controller_.undo(); }
    void mnuRedo_Click() { controller_.redo(); }
    void mnuAbout_Click() { controller_.about(); }
    void mnuReport_Click() { controller_.report(); }
    void mnuSameStep_Click(int direction) { direction < 0 ? controller_.samePrevious() : controller_.sameNext(); }
    void mnuSameCopy_Click() { controller_.copyToFolders(); }
    void mnuPrefixMap_Click() { controller_.editPrefixMap(); }
    // The report window while it is open.
    frmReport *reportWindow() const { return report_; }
    // The script console while it is open.
    frmScript *console() const;
    // The splitter released x twips right of its left edge.
    void lblGap_MouseUp(double xTwips);

    // The folder chooser run by File, Open: the folder the user accepted, or
    // nothing. Tests replace it.
    void setFolderChooser(std::function<std::optional<QString>()> chooser) { chooseFolder_ = std::move(chooser); }
    // The Estimate command's dialogs. Tests replace them.
    void setEstimateUi(EstimateUi *ui) { estimateUi_ = ui; }
    // The action built for the menu table's row named name (tests).
    QAction *menuAction(const char *name) const { return menus_->action(name); }

    const MainLayout &layoutState() const { return layout_; }
    int cliW() const { return cliW_; }
    int cliH() const { return cliH_; }

signals:
    // The window has closed after its save question: the program ends.
    void programEnd();

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    // MainView: what the controller asks of the window.
    int currentRow() const override { return ui_.lstOto->currentIndex().row(); }
    int currentEntry() const override { return editor_->curIdx(); }
    QItemSelectionModel *listSelection() override { return ui_.lstOto->selectionModel(); }
    void selectRow(int row) override;
    void scrollToRow(int row) override { ui_.lstOto->scrollTo(listModel().index(row)); }
    void showEntry(int index) override;
    std::optional<QString> chooseFolder() override { return chooseFolder_(); }
    std::optional<QString> chooseSaveFolder() override;
    void closeWindow() override { close(); }
    void openConsole() override;
    void openAddress(const QString &url) override;
    void applyDisplayCharset(int charsetIndex) override;
    void applyViewSettings(const ViewSettings &settings) override;
    void showEstimateFlags() override;
    void generateFrequencyFiles(const QString &folder) override;
    EstimateUi &estimateUi() override { return *estimateUi_; }
    void openReport() override;
    ViewWindow viewWindow() const override { return editor_->view(); }
    void setViewWindow(const ViewWindow &view) override { editor_->setView(view); }
    std::optional<singer::PrefixMap> editPrefixMap(const singer::PrefixMap &map) override;
    void listen(Listening what) override { listener_->run(what); }
    std::optional<QStringList> chooseCopyFolders(const QString &alias, const QStringList &folders) override;
    DiskChoice askDiskChange(const QString &path, const std::function<QList<EntryDifference>()> &difference) override;


    void buildControls();
    void connectControls();
    void placeOnScreen();
    void fitListColumns();
    void fillFolderFilter();
    void Form_Resize();
    void doLayout();
    void onActivate();
    void lstOto_Click(int row);

    void txtPrm_Change(int index);
    void txtPrm_LostFocus();
    void txtALS_Change();
    void txtLock_Validate(int index);
    LockTexts lockTexts() const;
    bool handleKeyFor(QObject *watched, const QKeyEvent *key);
    void pic_KeyDown(int key, Qt::KeyboardModifiers shift);

    clsSett &sett_;
    modLocale &locale_;
    Dialogs &dialogs_;
    MainController controller_;
    MainLayout layout_;
    int cliW_ = 0, cliH_ = 0;
    bool shownOnce_ = false;
    ActivationTracker activation_;
    std::function<std::optional<QString>()> chooseFolder_;
    EstimateDialogs estimateDialogs_{this};
    EstimateUi *estimateUi_ = &estimateDialogs_;
    EntryPlayer *player_ = nullptr;
    Listener *listener_ = nullptr;
    QPointer<frmScript> console_;
    QPointer<frmReport> report_;

    MainControls ui_;
    MainMenus *menus_ = nullptr;

    std::unique_ptr<WaveEditor> editor_;
    std::unique_ptr<SearchBox> search_;
};
