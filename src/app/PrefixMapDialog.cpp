#include "app/PrefixMapDialog.h"

#include "ui/QtDialogs.h"
#include "ui/applyFont.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace singer {

PrefixMapDialog::PrefixMapDialog(PrefixMap map, QWidget *parent)
    : QDialog(parent), map_(std::move(map)), table_(new QTableWidget(this)), from_(new QComboBox(this)),
      to_(new QComboBox(this)), prefix_(new QLineEdit(this)), suffix_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("frmPrefixMap"));
    setWindowTitle(QStringLiteral("prefix.map - 音階前後綴"));
    table_->setObjectName(QStringLiteral("tblPrefixMap"));
    table_->setColumnCount(3);
    table_->setHorizontalHeaderLabels({QStringLiteral("Note - 音階"), QStringLiteral("Prefix - 前綴"),
                                       QStringLiteral("Suffix - 後綴")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    fillRows();

    const QStringList notes = PrefixMap::allNotes();
    from_->setObjectName(QStringLiteral("cboFrom"));
    to_->setObjectName(QStringLiteral("cboTo"));
    prefix_->setObjectName(QStringLiteral("txtPrefix"));
    suffix_->setObjectName(QStringLiteral("txtSuffix"));
    from_->addItems(notes);
    to_->addItems(notes);
    auto *set = new QPushButton(QStringLiteral("Set range - 設定範圍"), this);
    set->setObjectName(QStringLiteral("cmdSetRange"));
    connect(set, &QPushButton::clicked, this,
            [this] { setRange(from_->currentText(), to_->currentText(), prefix_->text(), suffix_->text()); });

    auto *range = new QHBoxLayout;
    range->addWidget(from_);
    range->addWidget(new QLabel(QStringLiteral("-"), this));
    range->addWidget(to_);
    range->addWidget(new QLabel(QStringLiteral("Prefix - 前綴"), this));
    range->addWidget(prefix_);
    range->addWidget(new QLabel(QStringLiteral("Suffix - 後綴"), this));
    range->addWidget(suffix_);
    range->addWidget(set);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(range);
    layout->addWidget(okCancelButtons(*this));
    resize(560, 600);
}

void PrefixMapDialog::fillRows()
{
    const QStringList notes = PrefixMap::allNotes();
    table_->setRowCount(int(notes.size()));
    // Highest note first, as voicebank makers write the file.
    for (int row = 0; row < notes.size(); ++row) {
        const QString &note = notes[notes.size() - 1 - row];
        const PrefixMap::Line *line = map_.find(note);
        auto *noteItem = new QTableWidgetItem(note);
        noteItem->setFlags(noteItem->flags() & ~Qt::ItemIsEditable);
        table_->setItem(row, 0, noteItem);
        table_->setItem(row, 1, new QTableWidgetItem(line ? line->prefix : QString()));
        table_->setItem(row, 2, new QTableWidgetItem(line ? line->suffix : QString()));
    }
}

void PrefixMapDialog::setRange(const QString &first, const QString &last, const QString &prefix, const QString &suffix)
{
    map_ = result();
    map_.setRange(first, last, prefix, suffix);
    fillRows();
}

PrefixMap PrefixMapDialog::result() const
{
    PrefixMap map = map_;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QString note = table_->item(row, 0)->text();
        const QString prefix = table_->item(row, 1)->text(), suffix = table_->item(row, 2)->text();
        const PrefixMap::Line *line = map.find(note);
        // A note the file does not have stays out of it while it is empty.
        if (line ? (line->prefix != prefix || line->suffix != suffix) : !(prefix.isEmpty() && suffix.isEmpty()))
            map.setRange(note, note, prefix, suffix);
    }
    return map;
}

void PrefixMapDialog::setfrmDispLocale(int id, const modLocale &locale)
{
    for (QWidget *control : std::initializer_list<QWidget *>{this, table_, prefix_, suffix_})
        applyFont(control, id, locale);
}

std::optional<PrefixMap> editPrefixMap(QWidget *parent, const PrefixMap &map, int charsetIndex, const modLocale &locale)
{
    PrefixMapDialog dialog(map, parent);
    dialog.setfrmDispLocale(charsetIndex, locale);
    fitTitle(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.result();
}

}  // namespace singer
