#include "ResultsModel.h"

#include "RowDisplay.h"
#include "platform/Failure.h"
#include "run/RunSummary.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace Quillfen {

ResultsModel::ResultsModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_release.setInterval(0);
    connect(&m_release, &QTimer::timeout, this, &ResultsModel::releaseRetired);
    m_findTurn.setInterval(0);
    connect(&m_findTurn, &QTimer::timeout, this, &ResultsModel::findMore);
}

void ResultsModel::beginFile(const QString &path)
{
    m_file = qint32(m_files.size());
    m_files << path;
}

void ResultsModel::append(QStringView row)
{
    if (m_rows.size() >= std::numeric_limits<int>::max() - 1)
        throw Failure(u"The results list is full"_s);
    m_rows.append(row, true, m_file);
}

void ResultsModel::appendRows(const std::shared_ptr<RowTexts> &texts, qsizetype from, qsizetype to)
{
    if (m_rows.size() + (to - from) >= std::numeric_limits<int>::max() - 1)
        throw Failure(u"The results list is full"_s);
    m_rows.appendRowsOf(texts, from, to, true, m_file);
}

void ResultsModel::flushRows()
{
    const int total = int(m_rows.size());
    if (total == m_flushed)
        return;
    if (m_finder) {
        m_flushed = total;
        findMore();
        return;
    }
    beginInsertRows({}, m_flushed, total - 1);
    m_flushed = total;
    endInsertRows();
}

void ResultsModel::clearRows()
{
    beginResetModel();
    m_rows.clear(m_retiredLists);
    // A run may be handing the file's rows: the rest of them keep its path.
    if (m_file != RowStore::NoFile) {
        m_files = QStringList{m_files.at(m_file)};
        m_file = 0;
    }
    m_flushed = 0;
    m_shown.clear();
    m_scanned = 0;
    m_findTurn.stop();
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

std::size_t ResultsModel::bytesHeld() const
{
    std::size_t bytes = m_rows.bytesHeld() + std::size_t(m_shown.capacity()) * sizeof(int);
    for (const QString &path : m_files)
        bytes += sizeof(QString) + std::size_t(path.capacity()) * sizeof(char16_t);
    return bytes;
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
    if (parent.isValid())
        return 0;
    return m_finder ? int(m_shown.size()) : m_flushed;
}

int ResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QString ResultsModel::listFilePath(qsizetype listRow) const
{
    const qint32 file = m_rows.file(listRow);
    return file == RowStore::NoFile ? QString() : m_files.at(file);
}

void ResultsModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    const int removed = listRow(row);
    beginRemoveRows({}, row, row);
    m_rows.remove(removed);
    --m_flushed;
    if (m_finder) {
        m_shown.erase(m_shown.begin() + row);
        for (auto later = m_shown.begin() + row; later != m_shown.end(); ++later)
            --*later;
        if (m_scanned > removed)
            --m_scanned;
    }
    endRemoveRows();
}

void ResultsModel::setAllChecked(bool checked)
{
    const int shown = rowCount();
    if (shown == 0)
        return;
    if (m_finder) {
        for (const int row : m_shown)
            m_rows.setChecked(row, checked);
    } else {
        m_rows.setAllChecked(checked);
    }
    Q_EMIT dataChanged(index(0, TextColumn), index(shown - 1, TextColumn), {Qt::CheckStateRole});
}

int ResultsModel::removeDuplicateRows()
{
    const int count = m_flushed;
    // Rows by the hash of their bytes; equal bytes are equal texts, and
    // among rows of one hash the first of each text stays.
    std::vector<std::pair<std::size_t, int>> hashes;
    hashes.reserve(std::size_t(count));
    for (int row = 0; row < count; ++row)
        hashes.emplace_back(qHash(m_rows.utf8(row)), row);
    std::sort(hashes.begin(), hashes.end());
    std::vector<std::uint64_t> marked((std::size_t(count) + 63) / 64, 0);
    int removed = 0;
    for (std::size_t group = 0; group < hashes.size();) {
        std::size_t end = group + 1;
        while (end < hashes.size() && hashes[end].first == hashes[group].first)
            ++end;
        for (std::size_t i = group + 1; i < end; ++i) {
            const int row = hashes[i].second;
            for (std::size_t earlier = group; earlier < i; ++earlier) {
                const int first = hashes[earlier].second;
                if (!((marked[std::size_t(first) / 64] >> (first % 64)) & 1u) &&
                    m_rows.utf8(first) == m_rows.utf8(row)) {
                    marked[std::size_t(row) / 64] |= std::uint64_t(1) << (row % 64);
                    ++removed;
                    break;
                }
            }
        }
        group = end;
    }
    if (removed == 0)
        return 0;
    beginResetModel();
    m_rows.removeMarked(marked);
    m_flushed -= removed;
    m_shown.clear();
    m_scanned = 0;
    endResetModel();
    if (m_finder)
        findMore();
    return removed;
}

void ResultsModel::setFindText(const QString &text)
{
    if (text == m_findText)
        return;
    beginResetModel();
    m_findText = text;
    m_finder = text.isEmpty() ? nullptr : std::make_unique<RowFinder>(text);
    std::vector<int>().swap(m_shown);
    m_scanned = 0;
    m_findTurn.stop();
    endResetModel();
    if (m_finder)
        findMore();
    else
        Q_EMIT findFinished();
}

void ResultsModel::findMore()
{
    if (!m_finder)
        return;
    QElapsedTimer clock;
    clock.start();
    std::vector<int> found;
    while (m_scanned < m_flushed) {
        const int end = std::min(m_flushed, m_scanned + 256);
        for (; m_scanned < end; ++m_scanned) {
            if (m_finder->matches(m_rows.utf8(m_scanned)))
                found.push_back(m_scanned);
        }
        if (clock.elapsed() >= FindSliceMilliseconds)
            break;
    }
    if (!found.empty()) {
        const int first = int(m_shown.size());
        beginInsertRows({}, first, first + int(found.size()) - 1);
        m_shown.insert(m_shown.end(), found.begin(), found.end());
        endInsertRows();
    }
    if (m_scanned < m_flushed) {
        m_findTurn.start();
    } else {
        m_findTurn.stop();
        Q_EMIT findFinished();
    }
}

void ResultsModel::setHeaderText(const QString &text)
{
    m_header = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, TextColumn, TextColumn);
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = listRow(index.row());
    if (index.column() == FileColumn) {
        switch (role) {
        case Qt::DisplayRole:
            return fileNameOfPath(listFilePath(row));
        case Qt::ToolTipRole:
        case Qt::EditRole:
            return listFilePath(row);
        default:
            return {};
        }
    }
    // A row may be millions of characters long: only what is shown is decoded.
    switch (role) {
    case Qt::DisplayRole:
        return singleLineText(m_rows.textStart(row, DisplayLimit + 1), DisplayLimit);
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return tooltipText(m_rows.textStart(row, TooltipLimit + 1), TooltipLimit);
    case Qt::AccessibleDescriptionRole:
        return listFilePath(row);
    case Qt::EditRole:
        return m_rows.text(row);
    case Qt::CheckStateRole:
        return m_rows.isChecked(row) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool ResultsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != TextColumn ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    m_rows.setChecked(listRow(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == TextColumn ? flags | Qt::ItemIsUserCheckable : flags;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == TextColumn)
        return m_header;
    if (section == FileColumn)
        return u"File"_s;
    return {};
}

bool ResultsModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                                 int role)
{
    if (section != TextColumn || orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    setHeaderText(value.toString());
    return true;
}

} // namespace Quillfen
