#pragma once

#include "analysis/FeatureCache.h"
#include "control/EstimateFlow.h"
#include "control/MainView.h"
#include "control/MenuTable.h"
#include "control/RecentBanks.h"
#include "control/WindowPlace.h"
#include "oto/FlagMarks.h"
#include "oto/OtoDocument.h"
#include "oto/OtoListModel.h"
#include "view/ViewSettings.h"

#include <QObject>
#include <QStringList>

class Dialogs;
class clsSett;
class modLocale;

// What the main window's commands do, without widgets. It owns the open
// bank (the document and the list's rows), the flag marks, the views'
// settings and the recent banks; the menu table names its handlers and the
// states that enable them. The window shows, forwards the user's actions
// here and answers the few questions of MainView.
class MainController : public QObject {
    Q_OBJECT
public:
    MainController(clsSett &sett, modLocale &locale, Dialogs &dialogs, MainView &view, QObject *parent = nullptr);

    OtoDocument &document() { return doc_; }
    const OtoDocument &document() const { return doc_; }
    OtoListModel &listModel() { return list_; }
    FlagMarks &flags() { return flags_; }
    analysis::FeatureCache &featureCache() { return featureCache_; }
    const ViewSettings &viewSettings() const { return viewSett_; }
    const RecentBanks &recentBanks() const { return recent_; }
    // Where the window stood when the program last ended, as read at start.
    const WindowPlace &startPlace() const { return startPlace_; }
    const EstimateFlow &estimateFlow() const { return estimate_; }
    // lirra.ini, beside sett.ini: the views' settings, the recent banks and
    // the window's place.
    QString ownIniPath() const;

    // ---- The menu table's states and handlers.
    bool isEnabled(const MenuItem &item) const;
    bool isChecked(const MenuItem &item) const;
    void run(const MenuItem &item);

    void open();
    // A folder of recordings without entries yet: the offer to make them.
    void offerNewBank();
    void reload();
    void save();
    // The entries written to another folder's oto.ini in a chosen code page;
    // that folder is the open bank from then on.
    void saveAs();
    void loadBackup();
    void saveBackup();
    void quit();
    void duplicate();
    void remove();
    void undo();
    void redo();
    void nextFlagged();
    void clearFlag();
    void fileCharset();
    void displayCharset();
    void roundingStep();
    void toggleFilenameRule();
    void toggleSpectrogram();
    void toggleCurves();
    void togglePitch();
    void toggleLoudness();
    bool filenameRuleOn() const;
    bool spectrogramOn() const { return viewSett_.spectrogram; }
    bool curvesOn() const { return viewSett_.analysisCurves; }
    bool pitchOn() const { return viewSett_.pitchCurve; }
    bool loudnessOn() const { return viewSett_.loudnessCurve; }
    void tips();
    void about();
    void online();
    void split();
    void replace();
    void script();
    void estimate();
    void generateFrq();
    void report();
    // A singer's folders: the same alias in the previous or next folder
    // (the view kept where it was relative to the preutterance), the
    // current entry's parameters copied to chosen folders, prefix.map.
    void samePrevious() { sameStep(-1); }
    void sameNext() { sameStep(+1); }
    void copyToFolders();
    void editPrefixMap();
    // The Listen menu: the window's listener sings the entry on show.
    void listenNote() { view_.listen(Listening::Note); }
    void listenPhrase() { view_.listen(Listening::Phrase); }
    void listenSettings() { view_.listen(Listening::Settings); }

    // The folders a singer's list can be narrowed to (none for a bank of
    // one folder), and the folder shown (nullopt: all). A filter that hides
    // the entry on show selects the first listed one.
    QStringList filterFolders() const { return doc_.isSinger() ? doc_.folders() : QStringList(); }
    void showFolder(const std::optional<QString> &folder);

    // Opens folder as File, Open does when its chooser accepts it (the
    // command line, a folder dropped on the window, a recent bank).
    void openFolder(const QString &folder);

    // ---- Typed values: what is typed into one box merges into one step
    // of the history until the box loses the focus (or an undo or redo).
    // A number typed into parameter box (0 to 4) of the entry on show, whose
    // wave is lengthMs long: true when it was taken.
    bool typeValue(int box, const QString &text, double lengthMs);
    // An alias typed for the entry on show: false when it is refused.
    bool typeAlias(const QString &alias);
    int typingKey(int box) const { return typingSession_ * 8 + box + 1; }
    void endTyping() { ++typingSession_; }
    static constexpr int kAliasBox = 5;  // the parameter boxes are 0 to 4

    // Makes the document's entry index the selected row, scrolled to and
    // shown (an undo or redo, a problem chosen in the report).
    void showStep(int index);
    // The open oto.ini changed on disk: follows it as the document decides
    // (reloaded when nothing here is unsaved), keeping the entry on show by
    // its alias. True when the file was read again.
    bool followDiskChange();

    // The window tells when the entry on show changed.
    void selectionChanged() { emit menuStateChanged(); }
    // The window is closing: remembers the entry on show and writes the
    // settings (a failure is reported and closing goes on).
    void writeSettings(const WindowPlace &place);

signals:
    // The enabled or checked state of some items may have changed.
    void menuStateChanged();

private:
    // Switches one of the views' layers and shows the views anew.
    void flipView(bool ViewSettings::*layer);
    void sameStep(int direction);
    void rememberShownEntry();
    void showLoadedBank();
    int entryToShow(const QString &folder) const;

    clsSett &sett_;
    modLocale &locale_;
    Dialogs &dialogs_;
    MainView &view_;
    OtoDocument doc_;
    OtoListModel list_;
    FlagMarks flags_;
    analysis::FeatureCache featureCache_;  // the sound's features, kept between estimates and shared with the views
    ViewSettings viewSett_;
    RecentBanks recent_;
    WindowPlace startPlace_;
    EstimateFlow estimate_;
    QString shownBank_;  // the folder whose entries are listed
    int shownEntry_ = -1;  // the entry on show before a reload
    int typingSession_ = 0;
};
