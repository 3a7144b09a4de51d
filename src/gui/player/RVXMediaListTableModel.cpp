// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/RVXMediaListTableModel.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/playback/RVXMediaListCell.h"
#include "core/support/RVXLocalizedString.h"
#include "widgets/TKImageButton.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QStyle>

namespace {
Qt::Alignment alignmentOf(const RVXMediaListCell::Column& column) {
    return (column.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}
} // namespace

RVXMediaListTableModel::RVXMediaListTableModel(RVXMediaList* list, QObject* parent)
    : QAbstractTableModel(parent)
    , m_list(list) {}

void RVXMediaListTableModel::reload() {
    beginResetModel();
    m_count = m_list->count();
    endResetModel();
}

int RVXMediaListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_count);
}

int RVXMediaListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(RVXMediaListCell::columns.size());
}

QVariant RVXMediaListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columnCount())
        return {};
    const RVXMediaListCell::Column& column = RVXMediaListCell::columns[size_t(index.column())];
    switch (role) {
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(column));
    case Qt::FontRole: {
        // Size 11 in the window's own units, which are pixels here.
        QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPixelSize(11);
        return font;
    }
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::DecorationRole:
    case Qt::UserRole: {
        // A row beyond the list (the walk published a shorter one meanwhile) has no cell.
        const RVXMediaRef media = m_list->mediaAtIndex(index.row());
        if (!media)
            return {};
        const RVXMediaListCell cell =
            RVXMediaListCell::cellForColumn(*media, QString::fromLatin1(column.identifier));
        if (role == Qt::DisplayRole)
            return cell.text;
        const bool cut = m_cut.contains(media->path());
        if (role == Qt::ToolTipRole)
            return cut ? RVXLocalizedString("repair.cut_tooltip") + u'\n' +
                             QDir::toNativeSeparators(media->path())
                       : QDir::toNativeSeparators(media->path());
        if (cut && role == Qt::DecorationRole && column.identifier == std::string_view("file"))
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        if (role == Qt::UserRole)
            return cell.iconName;
        if (cell.iconName.isEmpty())
            return {};
        return QIcon(TKImageNamed(cell.iconName));
    }
    default:
        return {};
    }
}

void RVXMediaListTableModel::setCutPaths(QSet<QString> paths) {
    m_cut = std::move(paths);
    if (m_count > 0)
        Q_EMIT dataChanged(index(0, 0), index(int(m_count) - 1, columnCount() - 1),
                           {Qt::DecorationRole, Qt::ToolTipRole});
}

QVariant RVXMediaListTableModel::headerData(int section, Qt::Orientation orientation,
                                            int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const RVXMediaListCell::Column& column = RVXMediaListCell::columns[size_t(section)];
    if (role == Qt::DisplayRole)
        return RVXLocalizedString(column.titleKey);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignmentOf(column));
    if (role == Qt::UserRole)
        return section;
    return {};
}

Qt::ItemFlags RVXMediaListTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
