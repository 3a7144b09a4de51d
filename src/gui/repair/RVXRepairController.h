// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/media/RVXRecordingRepair.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QProgressDialog;
class RVXAppDelegate;
class RVXScrollableVideoContainerView;

// Recordings cut short by power loss in the window: found on a worker once a folder's list
// is shown and marked in it; when one fails to play, "Repair a copy…" over its view; the
// copy written on a worker with progress, then added to the list and played.
class RVXRepairController : public QObject {
    Q_OBJECT
public:
    explicit RVXRepairController(RVXAppDelegate* delegate);
    ~RVXRepairController() override;

    void listReloaded();
    bool isCutShort(const QString& path) const { return m_cut.contains(path); }
    // After a failed start of path in view: the offer, when path is cut short.
    void offerRepair(RVXScrollableVideoContainerView* view, const QString& path);
    void repairCopy(const QString& path);
    bool repairing() const { return bool(m_cancel); }

    // Stand-ins for tests: the save panel's answer to a proposed path (empty: cancelled),
    // and what tells the user a repair failed.
    std::function<QString(const QString& proposed)> savePanel;
    std::function<void(const QString& text)> tellFailure;

Q_SIGNALS:
    void cutShortFound();
    void repairFinished(const QString& copy, bool made);

private:
    void diagnosed(uint64_t generation, QSet<QString> cut);
    void finished(const QString& copy, std::optional<QString> error,
                  const RVXRecordingRepair::Result& result);
    void tellDone(const QString& copy, const RVXRecordingRepair::Result& result);
    QString askWhere(const QString& broken);

    RVXAppDelegate* d;
    QSet<QString> m_cut;
    uint64_t m_generation = 0;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QPointer<QProgressDialog> m_progress;
};
