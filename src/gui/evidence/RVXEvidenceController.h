// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"
#include "core/scan/RVXCardScan.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace Ui {
class RVXEvidenceController;
}

// The Export Evidence dialog: the window round a moment, where the pack goes, its
// progress with Cancel while it is written on a worker, then Open Folder.
class RVXEvidenceController : public QObject {
    Q_OBJECT
public:
    // moment in camera seconds, as trips count them; trips with their lengths read; event
    // the card scan's, when the pack is made for one.
    RVXEvidenceController(QString cardFolder, std::vector<RVXTrip> trips, double moment,
                          std::optional<RVXScanEvent> event = std::nullopt,
                          QObject* parent = nullptr);
    ~RVXEvidenceController() override;

    QWidget* window();
    void showWindow();

    void chooseFolder();
    void startExport();
    void cancelExport();
    bool exporting() const { return m_exporting; }
    // The finished pack's folder, empty until one is made.
    QString packFolder() const { return m_packFolder; }
    QString statusText() const;

    // Stand-ins for tests: the folder chooser's answer and what opens a folder.
    std::function<QString()> folderPanel;
    std::function<bool(const QUrl&)> openFolder;

Q_SIGNALS:
    void exportFinished(bool made);

private:
    void progressed(double fraction);
    void finished(std::optional<QString> error, QString folder);
    void setExporting(bool on);

    QString m_cardFolder;
    std::vector<RVXTrip> m_trips;
    double m_moment = 0;
    std::optional<RVXScanEvent> m_event;
    QString m_packFolder;
    bool m_exporting = false;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QWidget* m_window = nullptr;
    std::unique_ptr<Ui::RVXEvidenceController> m_ui;
};
