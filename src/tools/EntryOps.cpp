#include "tools/EntryOps.h"

#include "oto/OtoDocument.h"
#include "oto/OtoListModel.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>

namespace {

// The operations trust row and curIdx only together: a row that does not
// show entry curIdx would break the link between rows and entries.
bool consistent(const OtoDocument &doc, const OtoListModel &list, int row, int curIdx)
{
    return row >= 0 && row < list.rowCount() && curIdx >= 0 && curIdx < doc.clcOto().size()
           && list.rowItemData(row) == curIdx;
}

}  // namespace

EntryOpResult duplicateEntry(OtoDocument &doc, OtoListModel &list, int row, int curIdx)
{
    if (!consistent(doc, list, row, curIdx))
        return {};
    // The copy goes in front of its source; the list follows the document
    // (the source's row now names curIdx + 1) and shows the copy in a new
    // row in front of the source's.
    doc.insertEntriesStep(curIdx, {std::make_shared<clsOto>(*doc.clcOto()[curIdx])}, QStringLiteral("Duplicate"));
    list.insertRow(row, curIdx);
    return {true, curIdx + 1, row + 1};
}

EntryOpResult removeEntry(OtoDocument &doc, OtoListModel &list, int row, int curIdx, QItemSelectionModel *selection)
{
    if (!consistent(doc, list, row, curIdx))
        return {};
    {
        const QSignalBlocker quiet(selection);
        doc.removeEntriesStep(curIdx, 1, QStringLiteral("Remove"));  // its row goes with it
        if (selection)
            selection->clear();
    }
    const int count = list.rowCount();
    const int next = row < count ? row : row - 1;
    if (selection && next >= 0)
        selection->setCurrentIndex(list.index(next), QItemSelectionModel::ClearAndSelect);
    return {true, next >= 0 ? list.rowItemData(next) : -1, next};
}
