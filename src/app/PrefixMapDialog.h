#pragma once

#include "singer/PrefixMap.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;
class QTableWidget;
class modLocale;

namespace singer {

// Edits a prefix.map: one row per note from C1 to B7 with its prefix and
// suffix, and a range of notes set at once. The map itself keeps the file's
// order, code page and line ends; the dialog only fills and reads the rows.
class PrefixMapDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrefixMapDialog(PrefixMap map, QWidget *parent = nullptr);
    // The map with the rows as they are now.
    PrefixMap result() const;
    // Fonts of the display charset id for the rows and boxes, whose
    // prefixes and suffixes may be kana or hanzi.
    void setfrmDispLocale(int id, const modLocale &locale);
    // Sets every note from first to last (either way round).
    void setRange(const QString &first, const QString &last, const QString &prefix, const QString &suffix);

private:
    void fillRows();

    PrefixMap map_;
    QTableWidget *table_;
    QComboBox *from_, *to_;
    QLineEdit *prefix_, *suffix_;
};

// Shows the dialog over parent in the display charset's fonts; the edited
// map, or nothing when the user cancels.
std::optional<PrefixMap> editPrefixMap(QWidget *parent, const PrefixMap &map, int charsetIndex, const modLocale &locale);

}  // namespace singer
