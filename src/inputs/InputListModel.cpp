#include "InputListModel.h"

#include "platform/Failure.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// The desktop theme's warning sign, or a drawn one where the theme has none.
QIcon unreadSign()
{
    static const QIcon sign = [] {
        QIcon themed = QIcon::fromTheme(QStringLiteral("dialog-warning"));
        if (!themed.isNull())
            return themed;
        QPixmap drawn(16, 16);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xd0, 0x30, 0x20));
        painter.drawEllipse(QRectF(1, 1, 14, 14));
        painter.setPen(QPen(Qt::white, 2));
        painter.drawLine(QPointF(8, 4), QPointF(8, 9.5));
        painter.drawPoint(QPointF(8, 12));
        return QIcon(drawn);
    }();
    return sign;
}

} // namespace

InputListModel::InputListModel(QObject *parent) : QAbstractListModel(parent) {}

void InputListModel::appendRow(const QString &path)
{
    m_paths.append(path);
    if (m_batches == 0)
        flushRows();
}

void InputListModel::appendRows(const QStringList &paths)
{
    m_paths += paths;
    flushRows();
}

void InputListModel::flushRows()
{
    const int total = int(m_paths.size());
    if (total == m_shownRows)
        return;
    beginInsertRows({}, m_shownRows, total - 1);
    m_shownRows = total;
    endInsertRows();
}

void InputListModel::removeRowAt(int row)
{
    if (row < 0 || row >= m_paths.size())
        return;
    // Row numbers mean the same to the views and to the caller only when
    // the views know every row.
    flushRows();
    beginRemoveRows({}, row, row);
    --m_shownRows;
    m_paths.removeAt(row);
    endRemoveRows();
}

void InputListModel::clearRows()
{
    beginResetModel();
    m_paths = QStringList();
    m_shownRows = 0;
    endResetModel();
}

void InputListModel::moveRowTo(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= m_paths.size() || to >= m_paths.size())
        return;
    flushRows();
    // Qt names the place before which the row lands, counted before the move.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_paths.move(from, to);
    endMoveRows();
}

QString InputListModel::rowText(int row) const
{
    if (row < 1 || row > m_paths.size())
        throw Failure(u"Index out of bounds"_s);
    return m_paths.at(row - 1);
}

void InputListModel::setHeaderText(const QString &text)
{
    m_header = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
}

int InputListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

QVariant InputListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_paths.at(index.row());
    if ((role == Qt::ToolTipRole || role == Qt::DecorationRole) && !m_unread.isEmpty()) {
        const auto unread = m_unread.constFind(m_paths.at(index.row()));
        if (unread == m_unread.constEnd())
            return {};
        if (role == Qt::ToolTipRole)
            return *unread;
        return unreadSign();
    }
    return {};
}

void InputListModel::markUnread(const QString &path, const QString &reason)
{
    m_unread.insert(path, reason);
    for (int row = 0; row < m_shownRows; ++row) {
        if (m_paths.at(row) == path)
            Q_EMIT dataChanged(index(row), index(row), {Qt::ToolTipRole, Qt::DecorationRole});
    }
}

void InputListModel::clearUnreadMarks()
{
    if (m_unread.isEmpty())
        return;
    m_unread.clear();
    if (m_shownRows > 0)
        Q_EMIT dataChanged(index(0), index(m_shownRows - 1), {Qt::ToolTipRole, Qt::DecorationRole});
}

Qt::ItemFlags InputListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant InputListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}

bool InputListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                                   int role)
{
    if (section != 0 || orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    setHeaderText(value.toString());
    return true;
}

} // namespace Quillfen
