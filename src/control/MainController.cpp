#include "control/MainController.h"

#include "control/MainView.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "oto/modLocale.h"
#include "singer/CopyAcross.h"
#include "singer/PrefixMap.h"
#include "tools/EntryOps.h"
#include "tools/ToolDialogs.h"
#include "ui/modDispLocale.h"
#include "ui/modFolderChooser.h"
#include "ui/modHelp.h"
#include "view/ParamEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

MainController::MainController(clsSett &sett, modLocale &locale, Dialogs &dialogs, MainView &view, QObject *parent)
    : QObject(parent), sett_(sett), locale_(locale), dialogs_(dialogs), view_(view), doc_(locale, dialogs),
      list_(doc_), flags_(doc_), estimate_(doc_, flags_, featureCache_, &locale_)
{
    // lirra.ini read once for all it keeps.
    if (const QString path = ownIniPath(); QFileInfo(path).isFile()) {
        QSettings s(path, QSettings::IniFormat);
        viewSett_ = ViewSettings::read(s);
        recent_ = RecentBanks::read(s);
        startPlace_ = WindowPlace::read(s);
    }
    list_.setFlags(&flags_);
    connect(&doc_, &OtoDocument::entriesAboutToBeReplaced, this, &MainController::rememberShownEntry);
    connect(&doc_, &OtoDocument::entriesReplaced, this, &MainController::showLoadedBank);
    connect(&doc_.history(), &QUndoStack::canUndoChanged, this, &MainController::menuStateChanged);
    connect(&doc_.history(), &QUndoStack::canRedoChanged, this, &MainController::menuStateChanged);
    connect(&flags_, &FlagMarks::changed, this, &MainController::menuStateChanged);
    connect(&doc_, &OtoDocument::stepApplied, this, &MainController::showStep);
}

QString MainController::ownIniPath() const
{
    return ViewSettings::pathBeside(sett_.iniPath());
}

bool MainController::isEnabled(const MenuItem &item) const
{
    switch (item.needs) {
    case Needs::Nothing: return true;
    case Needs::OpenBank: return !doc_.wrkpath().isEmpty();
    case Needs::Selection: return view_.isEditable();
    case Needs::CanUndo: return doc_.history().canUndo();
    case Needs::CanRedo: return doc_.history().canRedo();
    case Needs::Flagged: return flags_.count() > 0;
    case Needs::Singer: return doc_.isSinger() && view_.isEditable();
    }
    return false;
}

bool MainController::isChecked(const MenuItem &item) const
{
    return item.checked && (this->*item.checked)();
}

void MainController::run(const MenuItem &item)
{
    if (item.handler && isEnabled(item))
        (this->*item.handler)();
    emit menuStateChanged();
}

// ---- File ---------------------------------------------------------------------------

void MainController::open()
{
    doc_.open([this] { return view_.chooseFolder(); });
    offerNewBank();
}

void MainController::openFolder(const QString &folder)
{
    doc_.open([&] { return acceptFolder(folder, sett_, dialogs_); });
    offerNewBank();
    emit menuStateChanged();
}

void MainController::reload()
{
    doc_.reload();
    offerNewBank();
}

void MainController::offerNewBank()
{
    if (!estimate_.offerNewBank(dialogs_, view_.estimateUi(), sett_.settPrmRound))
        return;
    list_.F5LstOto();
    view_.showEstimateFlags();
    view_.redrawall();
    view_.selectRow(list_.rowOfEntry(0));
}
void MainController::save() { doc_.save(); }
void MainController::saveAs()
{
    if (doc_.isSinger()) {
        // Every folder keeps its own oto.ini; one file cannot hold them.
        dialogs_.inform(QStringLiteral("A singer of several folders is saved with Save.") + QStringLiteral("\r\n")
                        + QStringLiteral("多文件夾的音源請用「保存」。"));
        return;
    }
    const std::optional<QString> folder = view_.chooseSaveFolder();
    if (!folder)
        return;
    // The file charsets, then UTF-8 with its marker line.
    const QList<modLocale::Charset> &charsets = locale_.charsets();
    const QString prompt = numberedCharsets(locale_) + QString::number(charsets.size())
                           + QStringLiteral(" --> UTF-8 (#CHARSET:UTF8)");
    const int current = doc_.form().utf8Marker ? int(charsets.size()) : sett_.settlocFile;
    const std::optional<QString> answer =
        dialogs_.input(prompt, QStringLiteral("Save As - 另存為"), QString::number(current));
    if (!answer || answer->trimmed().isEmpty())
        return;
    bool number = false;
    const int choice = answer->trimmed().toInt(&number);
    if (!number || choice < 0 || choice > charsets.size()) {
        dialogs_.message({QStringLiteral("0~") + QString::number(charsets.size()), QStringLiteral("..."), MsgButtons::Ok,
                          MsgIcon::None, MsgAnswer::Ok});
        return;
    }
    const int codePage = choice == charsets.size() ? modLocale::kUtf8CodePage : charsets[choice].codePage;
    if (QFileInfo::exists(QDir(*folder).filePath(OtoDocument::kOtoIni))
        && dialogs_.message({QStringLiteral("oto.ini already exists there. Replace it?") + QStringLiteral("\r\n")
                                 + QStringLiteral("該文件夾已有oto.ini，要覆蓋嗎？"),
                             QStringLiteral("?"), MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No})
               != MsgAnswer::Yes)
        return;
    if (doc_.saveAs(*folder, codePage)) {
        shownBank_ = *folder;
        recent_.opened(*folder);
        recent_.write(ownIniPath());
    }
}

void MainController::loadBackup() { doc_.loadBackup(); }
void MainController::saveBackup() { doc_.saveBackup(); }
void MainController::quit() { view_.closeWindow(); }

void MainController::rememberShownEntry()
{
    shownEntry_ = view_.currentEntry();
    if (shownBank_.isEmpty() || shownEntry_ < 0 || shownEntry_ >= doc_.clcOto().size())
        return;
    const clsOto &e = *doc_.clcOto()[shownEntry_];
    recent_.left(shownBank_, shownEntry_, e.FIL, e.ALS);
}

int MainController::entryToShow(const QString &folder) const
{
    if (folder == shownBank_)  // read again: the same place
        return std::clamp(shownEntry_, 0, int(doc_.clcOto().size()) - 1);
    const RecentBanks::Bank *bank = recent_.find(folder);
    if (!bank)
        return 0;
    const OtoEntries &entries = doc_.clcOto();
    auto isIt = [&](int i) { return entries[i]->FIL == bank->file && entries[i]->ALS == bank->alias; };
    if (bank->index >= 0 && bank->index < entries.size() && isIt(bank->index))
        return bank->index;
    for (int i = 0; i < entries.size(); ++i)
        if (isIt(i))
            return i;
    return 0;
}

void MainController::showLoadedBank()
{
    // A singer's folder filter keeps its folder while the singer has it.
    const std::optional<QString> folder = list_.folderFilter();
    if (folder && !filterFolders().contains(*folder))
        list_.setFolderFilter(std::nullopt);
    view_.redrawall();
    const QString bank = doc_.wrkpath();
    const int entry = doc_.clcOto().isEmpty() ? -1 : entryToShow(bank);
    if (!bank.isEmpty() && bank != shownBank_) {
        recent_.opened(bank);
        recent_.write(ownIniPath());
    }
    shownBank_ = bank;
    if (entry >= 0)
        view_.selectRow(list_.rowOfEntry(entry));
    emit menuStateChanged();
}

void MainController::writeSettings(const WindowPlace &place)
{
    rememberShownEntry();
    if (!sett_.oupsett(dialogs_))
        return;
    const QString path = ownIniPath();
    if (const std::optional<QString> error = viewSett_.write(path); !error) {
        recent_.write(path);
        place.write(path);
    } else {
        dialogs_.message({QStringLiteral("error while saving settings - 保存設定時出現錯誤") + QStringLiteral("\r\n") + *error,
                          QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
    }
}

// ---- Edit ---------------------------------------------------------------------------

void MainController::duplicate()
{
    // The source entry's row stays selected and its wave stays loaded.
    duplicateEntry(doc_, list_, view_.currentRow(), view_.currentEntry());
}

void MainController::remove()
{
    // Selecting the next row loads its entry; after the only shown row is
    // gone nothing is selected and no entry is current.
    const EntryOpResult r = removeEntry(doc_, list_, view_.currentRow(), view_.currentEntry(), view_.listSelection());
    if (r.done && r.row >= 0)
        view_.scrollToRow(r.row);
}

bool MainController::typeValue(int box, const QString &text, double lengthMs)
{
    const int index = view_.currentEntry();
    if (!view_.isEditable() || index < 0 || index >= doc_.clcOto().size())
        return false;
    const EditOutcome edit = typedEdit(*doc_.clcOto()[index], box, text, lengthMs, sett_.settPrmRound);
    if (edit.result != EditResult::Committed)
        return false;
    doc_.editEntries({{index, edit.entry}}, QStringLiteral("Typed value"), typingKey(box));
    return true;
}

bool MainController::typeAlias(const QString &alias)
{
    const int index = view_.currentEntry();
    if (!isValidAlias(alias))
        return false;
    if (view_.isEditable() && index >= 0 && index < doc_.clcOto().size())
        doc_.editAliases({{index, alias}}, QStringLiteral("Alias"), typingKey(kAliasBox));
    return true;
}

void MainController::undo()
{
    endTyping();
    doc_.undo();
}

void MainController::redo()
{
    endTyping();
    doc_.redo();
}

void MainController::showStep(int index)
{
    // The entry an undo or redo changed (or, after a removal, the one in
    // its place) becomes the selected row, scrolled to and drawn.
    if (index < 0 || index >= doc_.clcOto().size()) {
        view_.redrawall();
        return;
    }
    int row = list_.rowOfEntry(index);
    if (row < 0) {  // not in a filtered list (or back from a removal): show every entry
        list_.F5LstOto();
        row = list_.rowOfEntry(index);
    }
    if (row == view_.currentRow())
        view_.showEntry(index);
    else
        view_.selectRow(row);
    view_.scrollToRow(row);
}

bool MainController::followDiskChange()
{
    const int shown = view_.currentEntry();
    const OtoEntries &before = doc_.clcOto();
    const QString alias = shown >= 0 && shown < before.size() ? before[shown]->ALS : QString();
    const DiskQuestion ask = [this](const QString &path, const auto &difference) {
        return view_.askDiskChange(path, difference);
    };
    if (doc_.followDiskChange(ask) != DiskChange::Reloaded)
        return false;
    // The same alias stays selected where it still is.
    const OtoEntries &entries = doc_.clcOto();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i]->ALS == alias) {
            showStep(i);
            break;
        }
    }
    return true;
}

void MainController::nextFlagged()
{
    const int entry = flags_.nextAfter(view_.currentEntry());
    if (entry < 0)
        return;
    if (list_.rowOfEntry(entry) < 0)  // filtered out: show every entry
        list_.F5LstOto();
    view_.selectRow(list_.rowOfEntry(entry));
}

void MainController::clearFlag()
{
    flags_.clear(view_.currentEntry());
}

// ---- Settings and help --------------------------------------------------------------

void MainController::fileCharset()
{
    askLocale(0, sett_, locale_, dialogs_);
}

void MainController::displayCharset()
{
    if (askLocale(1, sett_, locale_, dialogs_))
        view_.applyDisplayCharset(sett_.settlocDisp);
}

void MainController::roundingStep()
{
    askRoundingStep(sett_, dialogs_);
}

bool MainController::filenameRuleOn() const
{
    return sett_.filenameRuleOn();
}

void MainController::toggleFilenameRule()
{
    sett_.settFilenameBad = sett_.filenameRuleOn() ? 0 : -1;
}

void MainController::flipView(bool ViewSettings::*layer)
{
    viewSett_.*layer = !(viewSett_.*layer);
    view_.applyViewSettings(viewSett_);
}

void MainController::toggleSpectrogram() { flipView(&ViewSettings::spectrogram); }
void MainController::toggleCurves() { flipView(&ViewSettings::analysisCurves); }
void MainController::togglePitch() { flipView(&ViewSettings::pitchCurve); }
void MainController::toggleLoudness() { flipView(&ViewSettings::loudnessCurve); }

void MainController::tips()
{
    dialogs_.inform(tipsText(), tipsTitle());
}

void MainController::about()
{
    dialogs_.inform(aboutText(), aboutTitle());
}

void MainController::online()
{
    view_.openAddress(webAddress());
}

// ---- Tools --------------------------------------------------------------------------

void MainController::split()
{
    if (runSplitDialog(dialogs_, doc_)) {
        list_.F5LstOto();
        view_.redrawall();
    }
}

void MainController::replace()
{
    if (runReplaceDialog(dialogs_, doc_)) {
        list_.F5LstOto();
        view_.redrawall();
    }
}

void MainController::script()
{
    view_.openConsole();
}

void MainController::generateFrq()
{
    view_.generateFrequencyFiles(doc_.wrkpath());
}

void MainController::report()
{
    if (!doc_.wrkpath().isEmpty())
        view_.openReport();
}

void MainController::estimate()
{
    if (estimate_.run(view_.estimateUi(), view_.currentEntry(), sett_.settPrmRound)) {
        view_.showEstimateFlags();
        view_.redrawall();
    }
}

// ---- A singer's folders -------------------------------------------------------------

void MainController::sameStep(int direction)
{
    const int index = view_.currentEntry();
    if (!view_.isEditable() || index < 0 || index >= doc_.clcOto().size())
        return;
    const singer::SameAlias same(doc_.clcOto(), doc_.folders(), singer::PrefixMap::pairsIn(doc_.wrkpath(), locale_));
    const int target = same.step(index, direction);
    if (target < 0) {
        dialogs_.beep();
        return;
    }
    const clsOto &from = *doc_.clcOto()[index];
    const ViewWindow view = view_.viewWindow();
    const double fromPr = from.prmLF + from.prmPR;
    showStep(target);
    if (view_.currentEntry() != target || !view_.isEditable())
        return;
    const clsOto &to = *doc_.clcOto()[target];
    view_.setViewWindow({view.start - fromPr + to.prmLF + to.prmPR, view.len});
    view_.redrawall();
}

void MainController::copyToFolders()
{
    const int index = view_.currentEntry();
    if (!view_.isEditable() || !doc_.isSinger() || index < 0 || index >= doc_.clcOto().size())
        return;
    QStringList others = doc_.folders();
    others.removeAll(doc_.clcOto()[index]->folder);
    const std::optional<QStringList> chosen = view_.chooseCopyFolders(doc_.clcOto()[index]->ALS, others);
    if (!chosen)
        return;
    const singer::SameAlias same(doc_.clcOto(), doc_.folders(), singer::PrefixMap::pairsIn(doc_.wrkpath(), locale_));
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
    view_.redrawall();
}

void MainController::editPrefixMap()
{
    if (doc_.wrkpath().isEmpty())
        return;
    // A singer without one gets a new file in the file charset.
    const singer::PrefixMap map = singer::PrefixMap::read(doc_.wrkpath(), locale_).value_or(singer::PrefixMap());
    if (const std::optional<singer::PrefixMap> edited = view_.editPrefixMap(map))
        edited->write(doc_.wrkpath(), locale_);
}

void MainController::showFolder(const std::optional<QString> &folder)
{
    const int shown = view_.currentEntry();
    list_.setFolderFilter(folder);
    if (list_.rowCount() == 0)
        return;
    const int row = list_.rowOfEntry(shown);
    view_.selectRow(row >= 0 ? row : 0);
}
