#pragma once

#include "ActivationTracker.h"
#include "MainLayout.h"
#include "OtoDocument.h"
#include "OtoListModel.h"
#include "ParamEdit.h"
#include "ViewWindow.h"
#include "WavePlayer.h"
#include "clsWave.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QFrame;
class PictureBox;
class clsSett;
class modLocale;
class Dialogs;

// The editor's main window: the entry list with its search box on the left,
// the splitter strip, and on the right the navigation row with the lock
// boxes, the overview strip, the detail view and the parameter row.
// Controls carry their names as objectName ("txtPrm(2)" for an array).
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(clsSett &sett, modLocale &locale, Dialogs &dialogs, QWidget *parent = nullptr);
    ~frmMain() override;

    OtoDocument &document() { return doc_; }
    OtoListModel &listModel() { return list_; }

    // State shared with the rest of the editor.
    int curIdx = 0;
    std::shared_ptr<clsOto> curOto;
    clsWave curwav;
    qint16 intSearchMode = 0;
    bool drawing = false;
    double viewStart = 0;
    double viewLen = 0;
    qint16 dispMode = 0;  // 0 normal, 1 with a magnified layer, 2 no wave

    // Shows the settings in the menus (the "Bad filenames?" check mark).
    void aplSett();
    void F5LstOto();
    void F5LstOtoS(const QString &key, int mode);
    // Writes a text box without its change handling reacting.
    void settext(QLineEdit *box, const QString &text);
    void setfrmDispLocale(int charsetIndex);
    void updTitle() { doc_.updTitle(); }
    void redrawall();
    void refreshPicTry();
    void refreshFields();
    void setChanged() { doc_.setChanged(); }
    bool isEditable() const;
    // The detail view's size in the units of its mouse coordinates (pixels).
    double viewW() const;
    double viewH() const;

    // Editing and navigation, as the mouse, the keys and the buttons do them.
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void pic_MouseUp(int button, int shift, double x, double y);
    void pic_KeyDown(int key);
    void cmdJmp_Click(int index);
    void cmdPlay_Click();
    void mnuFix_Click();
    // The entry tools: duplicate or remove the current entry in place, and
    // rewrite every alias by replace rules or by splitting.
    void mnuOtoDup_Click();
    void mnuOtoDel_Click();
    void mnuExpReplace_Click();
    void mnuExpSplitCmb_Click();
    // The splitter released x twips right of its left edge.
    void lblGap_MouseUp(double xTwips);

    // The folder chooser run by File, Open; it sets the document's wrkpath
    // when the user accepts a folder. Tests replace it.
    void setFolderChooser(std::function<void()> chooser) { chooseFolder_ = std::move(chooser); }

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
    void buildControls();
    void buildMenus();
    QAction *addItem(QMenu *menu, const QString &name, const QKeySequence &shortcut = {});
    void Form_Resize();
    void doLayout();
    void onActivate();
    void drawViews();
    void enableFileItems();
    void lstOto_Click(int row);
    void loadWave();
    void selectRow(int row);

    void txtSearch_GotFocus();
    void txtSearch_Change();
    void txtSearch_KeyDown(int key);
    void txtSearch_LostFocus();
    void setSearchColor(bool found);

    void placeViewFrame();
    void drawDetail();
    void drawOverview();
    void picSm_MouseDown(int buttons, double x, double y);
    void picSm_MouseMove(int buttons, double x, double y);
    void txtPrm_Change(int index);
    void txtPrm_LostFocus();
    void txtALS_Change();
    void txtLock_Validate(int index);
    LockTexts lockTexts() const;
    bool handleKeyFor(QObject *watched, int key);
    bool handleMouseFor(QObject *watched, QEvent *e);

    void mnuLocFile_Click();
    void mnuLocDisp_Click();
    void mnuSettFilenameBad_Click();
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
    bool settingText_ = false;
    bool shownOnce_ = false;
    // A redraw asked for while one runs; it runs right after.
    bool redrawPending_ = false;
    ActivationTracker activation_;
    std::function<void()> chooseFolder_;
    WavePlayer player_;
    OverviewDrag drag_;

    QWidget *client_ = nullptr;
    QListView *lstOto_ = nullptr;
    QLineEdit *txtSearch_ = nullptr;
    QLabel *lblGap_ = nullptr;
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
};
