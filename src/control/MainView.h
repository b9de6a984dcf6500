#pragma once

#include "oto/OtoDocument.h"
#include "singer/PrefixMap.h"
#include "view/ViewWindow.h"

#include <QString>
#include <optional>


class EstimateUi;

// The Listen menu's commands, which the window's listener carries out.
enum class Listening { Note, Phrase, Settings };
class QItemSelectionModel;
struct ViewSettings;

// What the controller asks of the window that shows it: which row and entry
// are on show, and the few things only widgets can do. The window
// implements it; tests may supply their own.
class MainView {
public:
    virtual ~MainView() = default;

    // The list's current row, -1 when none.
    virtual int currentRow() const = 0;
    // The entry on show (its index in the collection), and whether its
    // wave is loaded so that it can be edited.
    virtual int currentEntry() const = 0;
    virtual bool isEditable() const = 0;
    // The list's selection model, which Remove keeps in step.
    virtual QItemSelectionModel *listSelection() = 0;
    // Makes row current, scrolled to and shown (its entry loaded).
    virtual void selectRow(int row) = 0;
    virtual void scrollToRow(int row) = 0;
    // Shows entry index in the views: loads its wave, or redraws when it is
    // already on show.
    virtual void showEntry(int index) = 0;
    virtual void redrawall() = 0;
    // The detail view's window over the entry on show.
    virtual ViewWindow viewWindow() const = 0;
    virtual void setViewWindow(const ViewWindow &view) = 0;

    // The folder chooser: the folder the user accepted, or nothing.
    virtual std::optional<QString> chooseFolder() = 0;
    // Where Save As writes: any folder the user picks, or nothing.
    virtual std::optional<QString> chooseSaveFolder() = 0;
    virtual void closeWindow() = 0;
    virtual void openConsole() = 0;
    virtual void openAddress(const QString &url) = 0;
    // After a change of the display charset or of the views' settings.
    virtual void applyDisplayCharset(int charsetIndex) = 0;
    virtual void applyViewSettings(const ViewSettings &settings) = 0;
    // The flagged estimates the detail view draws with its curves.
    virtual void showEstimateFlags() = 0;
    // Writes the frequency files of folder's recordings (with its own
    // progress and questions).
    virtual void generateFrequencyFiles(const QString &folder) = 0;
    virtual EstimateUi &estimateUi() = 0;
    // Opens the report window over the open bank (or brings it forward and
    // runs its checks again).
    virtual void openReport() = 0;
    // The prefix.map editor over map: the edited map, or nothing when cancelled.
    virtual std::optional<singer::PrefixMap> editPrefixMap(const singer::PrefixMap &map) = 0;
    // Sings the entry on show (or stops it), or asks for the Listen settings.
    virtual void listen(Listening what) = 0;
    // The folders to copy the entry's parameters to, out of folders (each
    // offered, ticked): the chosen ones, or nothing when cancelled.
    virtual std::optional<QStringList> chooseCopyFolders(const QString &alias, const QStringList &folders) = 0;
    // Asks about a change of oto.ini on disk while there are unsaved edits;
    // difference gives what reloading would change, to show on request.
    virtual DiskChoice askDiskChange(const QString &path,
                                     const std::function<QList<EntryDifference>()> &difference) = 0;
};
