// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QSet>
#include <QString>

class RVXMediaList;

// The recording list's data source: one row per recording of the media list, the
// columns of RVXMediaListCell. It reads the list's published content, which a walk
// never changes, so it needs no copy of its own.
class RVXMediaListTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RVXMediaListTableModel(RVXMediaList* list, QObject* parent = nullptr);

    // Takes the media list's current content.
    void reload();
    // The recordings found cut short, marked in their file name's cell.
    void setCutPaths(QSet<QString> paths);
    bool isCut(const QString& path) const { return m_cut.contains(path); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    RVXMediaList* m_list;
    qsizetype m_count = 0;
    QSet<QString> m_cut;
};
