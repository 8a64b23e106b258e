#include "ResultsModel.h"

#include "RowDisplay.h"
#include "platform/Failure.h"

#include <unordered_set>

using namespace Qt::StringLiterals;

namespace Quillfen {

ResultsModel::ResultsModel(QObject *parent) : QAbstractListModel(parent)
{
    m_release.setInterval(0);
    connect(&m_release, &QTimer::timeout, this, &ResultsModel::releaseRetired);
}

void ResultsModel::append(QStringView row)
{
    if (m_rows.size() >= std::numeric_limits<int>::max() - 1)
        throw Failure(u"The results list is full"_s);
    m_rows.append(row, true);
}

void ResultsModel::appendRows(const std::shared_ptr<RowTexts> &texts, qsizetype from, qsizetype to)
{
    if (m_rows.size() + (to - from) >= std::numeric_limits<int>::max() - 1)
        throw Failure(u"The results list is full"_s);
    m_rows.appendRowsOf(texts, from, to, true);
}

void ResultsModel::flushRows()
{
    const int total = int(m_rows.size());
    if (total == m_shownRows)
        return;
    beginInsertRows({}, m_shownRows, total - 1);
    m_shownRows = total;
    endInsertRows();
}

void ResultsModel::clearRows()
{
    beginResetModel();
    m_rows.clear(m_retiredLists);
    m_shownRows = 0;
    endResetModel();
    if (!m_retiredLists.empty())
        m_release.start();
}

void ResultsModel::releaseRetired()
{
    for (std::size_t released = 0; released < ReleasesPerTurn; ++released) {
        if (!m_retiredBlocks.empty()) {
            m_retiredBlocks.pop_back();
        } else if (!m_retiredLists.empty()) {
            // A list nothing else holds gives up its row table now and its
            // blocks in the turns after.
            RowStore::SharedTexts texts = std::move(m_retiredLists.back());
            m_retiredLists.pop_back();
            if (texts.use_count() == 1)
                texts->clear(m_retiredBlocks);
        }
    }
    if (m_retiredBlocks.empty() && m_retiredLists.empty()) {
        std::vector<RowTexts::SharedBlock>().swap(m_retiredBlocks);
        std::vector<RowStore::SharedTexts>().swap(m_retiredLists);
        m_release.stop();
    }
}

std::size_t ResultsModel::retiredBytes() const
{
    std::size_t bytes = 0;
    std::unordered_set<const RowTexts::Block *> counted;
    for (const RowTexts::SharedBlock &block : m_retiredBlocks) {
        if (counted.insert(block.get()).second)
            bytes += std::size_t(block->capacity());
    }
    for (const RowStore::SharedTexts &texts : m_retiredLists)
        bytes += texts->bytesHeld(counted);
    return bytes;
}

int ResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

void ResultsModel::removeRowAt(int row)
{
    if (row < 0 || row >= m_shownRows)
        return;
    beginRemoveRows({}, row, row);
    m_rows.remove(row);
    --m_shownRows;
    endRemoveRows();
}

void ResultsModel::setHeaderText(const QString &text)
{
    m_header = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    // A row may be millions of characters long: only what is shown is decoded.
    switch (role) {
    case Qt::DisplayRole:
        return singleLineText(m_rows.textStart(index.row(), DisplayLimit + 1), DisplayLimit);
    case Qt::ToolTipRole:
        return tooltipText(m_rows.textStart(index.row(), TooltipLimit + 1), TooltipLimit);
    case Qt::EditRole:
        return m_rows.text(index.row());
    case Qt::CheckStateRole:
        return m_rows.isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool ResultsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    m_rows.setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
           Qt::ItemNeverHasChildren;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}

bool ResultsModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                                 int role)
{
    if (section != 0 || orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    setHeaderText(value.toString());
    return true;
}

} // namespace Quillfen
