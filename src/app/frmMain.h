#pragma once

#include "app/ActivationTracker.h"
#include "analysis/FeatureCache.h"
#include "app/MainLayout.h"
#include "oto/OtoDocument.h"
#include "oto/OtoListModel.h"
#include "view/ParamEdit.h"
#include "view/ViewSettings.h"
#include "wave/WavePlayer.h"

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
class QComboBox;
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
// boxes, the overview strip, the detail view and the parameter row. The
// document owns the entries, the wave editor the views, the search box its
// own behaviour; the window builds the controls, lays them out and turns
// their events into the handlers below. Controls carry their names as
// objectName ("txtPrm(2)" for an array).
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(clsSett &sett, modLocale &locale, Dialogs &dialogs, QWidget *parent = nullptr);
    ~frmMain() override;

    OtoDocument &document() { return doc_; }
    OtoListModel &listModel() { return list_; }
    WaveEditor &waveEditor() { return *editor_; }
    const SearchBox &searchBox() const { return *search_; }

    // Shows the settings in the menus (the check marks of "Bad filenames?"
    // and the views' items) and the views' settings in the views.
    void aplSett();
    void F5LstOto();
    void F5LstOtoS(const QString &key, int mode);
    // Writes a text box without its change handling reacting.
    void settext(QLineEdit *box, const QString &text);
    void setfrmDispLocale(int charsetIndex);
    void redrawall();
    void refreshPicTry();
    void refreshFields();
    bool isEditable() const;

    // The handlers of the controls and menus, as the mouse, the keys and the
    // menus call them.
    void cmdJmp_Click(int index);
    void cmdPlay_Click();
    // Shift+Space: the current entry's stretch, left to right bound;
    // Ctrl+Space: from its preutterance to the right bound. Esc stops.
    void playEntry(bool fromPreutterance);
    void stopPlaying();
    void mnuFix_Click();
    void mnuOtoDup_Click();
    void mnuOtoDel_Click();
    void mnuExpReplace_Click();
    void mnuExpSplitCmb_Click();
    void mnuEstimate_Click();
    void mnuGenFrq_Click();
    // A singer's same alias in the previous (-1) or next (+1) folder, the
    // view kept where it was relative to the preutterance.
    void mnuSameStep_Click(int direction);
    // The current entry's parameters to the same alias in chosen folders.
    void mnuSameCopy_Click();
    // The prefix.map editor over the singer's prefix.map.
    void mnuPrefixMap_Click();
    void mnuReport_Click();
    // The report window while it is open.
    frmReport *reportWindow() const;
    void mnuExpScript_Click();
    // The script console while it is open.
    frmScript *console() const;
    void mnuUndo_Click();
    void mnuRedo_Click();
    // The splitter released x twips right of its left edge.
    void lblGap_MouseUp(double xTwips);

    // The folder chooser run by File, Open: the folder the user accepted, or
    // nothing. Tests replace it.
    void setFolderChooser(std::function<std::optional<QString>()> chooser) { chooseFolder_ = std::move(chooser); }

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

private:
    // Watches the open oto.ini for changes by other programs.
    void watchOto();
    void otoChangedOnDisk();
    void buildControls();
    void buildViews();
    void buildParamBoxes();
    void buildLockBoxes();
    void buildNavigation();
    void buildList();
    void connectControls();
    void buildMenus();
    QAction *addItem(QMenu *menu, const QString &name, const QKeySequence &shortcut = {});
    void Form_Resize();
    void doLayout();
    void onActivate();
    void enableFileItems();
    void lstOto_Click(int row);
    void selectRow(int row);

    void txtPrm_Change(int index);
    void txtPrm_LostFocus();
    void txtALS_Change();
    void txtLock_Validate(int index);
    LockTexts lockTexts() const;
    // Typing in one box merges into one step until the box loses the focus.
    int typingKey(int box) const;
    static bool isHistoryKey(const QKeyEvent *key);
    void showStep(int index);
    bool handleKeyFor(QObject *watched, const QKeyEvent *key);
    void pic_KeyDown(int key, Qt::KeyboardModifiers shift);
    void startPlayCursor();
    void followPlay();

    void mnuLocFile_Click();
    void mnuLocDisp_Click();
    void mnuSettFilenameBad_Click();
    void mnuSettSpectrogram_Click();
    void mnuSettCurves_Click();
    void mnuSettPitch_Click();
    void mnuSettLoudness_Click();
    void mnuTips_Click();
    void mnuAbout_Click();
    void mnuOnline_Click();

    clsSett &sett_;
    modLocale &locale_;
    Dialogs &dialogs_;
    OtoDocument doc_;
    OtoListModel list_;
    MainLayout layout_;
    int cliW_ = 0, cliH_ = 0;
    bool shownOnce_ = false;
    ActivationTracker activation_;
    std::function<std::optional<QString>()> chooseFolder_;
    WavePlayer player_;
    QPointer<frmScript> console_;
    QPointer<frmReport> report_;
    analysis::FeatureCache featureCache_;  // the sound's features, kept between estimates and shared with the views
    ViewSettings viewSett_;  // kept in lirra.ini beside sett.ini
    QTimer *playTimer_ = nullptr;
    quint64 playingGeneration_ = 0;  // the wave the sound comes from
    static constexpr int kAliasBox = 5;  // the parameter boxes are 0 to 4
    int typingSession_ = 0;

    QWidget *client_ = nullptr;
    QListView *lstOto_ = nullptr;
    QLineEdit *txtSearch_ = nullptr;
    // A singer's folder filter beside the search box; hidden otherwise.
    QComboBox *cboFolder_ = nullptr;
    void fillFolderFilter();
    QLabel *lblGap_ = nullptr;
    QFileSystemWatcher *otoWatcher_ = nullptr;
    QWidget *picNav_ = nullptr;
    QPushButton *cmdPlay_ = nullptr;
    QPushButton *cmdJmp_[2] = {};
    QLineEdit *txtALS_ = nullptr;
    QWidget *picLock_ = nullptr;
    QLineEdit *txtLock_[4] = {};
    PictureBox *picSm_ = nullptr;
    QFrame *shpView_ = nullptr;
    PictureBox *pic_ = nullptr;
    QWidget *picPrm_ = nullptr;
    QLineEdit *txtPrm_[5] = {};
    QAction *mnuSettFilenameBad_ = nullptr;
    QAction *mnuSettSpectrogram_ = nullptr;
    QAction *mnuSettCurves_ = nullptr;
    QAction *mnuSettPitch_ = nullptr;
    QAction *mnuSettLoudness_ = nullptr;

    std::unique_ptr<WaveEditor> editor_;
    std::unique_ptr<SearchBox> search_;
};
