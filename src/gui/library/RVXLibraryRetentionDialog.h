// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryRetention.h"

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class RVXLibraryRetentionDialog;
}

// Library > Retention…: the rule (loop recordings of the last N days, or the library
// under N GB), the list of what it would delete, shown before anything is, then the
// deletion on a worker. Events and protected recordings are never listed.
class RVXLibraryRetentionDialog : public QDialog {
    Q_OBJECT
public:
    RVXLibraryRetentionDialog(QString folder, QWidget* parent = nullptr);
    ~RVXLibraryRetentionDialog() override;

    void showPlan();
    void deleteListed();

Q_SIGNALS:
    void planShown(int count);
    void deleted(bool ok);

private:
    RVXLibraryRetention::Rule rule() const;
    void setBusy(bool busy);

    std::unique_ptr<Ui::RVXLibraryRetentionDialog> ui;
    QString m_folder;
    std::optional<RVXLibraryRetention::Plan> m_plan;
};
