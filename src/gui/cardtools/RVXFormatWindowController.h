// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cardtools/RVXFormatSequence.h"
#include "core/cardtools/TKUSBDiskEntity.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace Ui {
class RVXFormatWindowController;
}

// The format window: the user's cards, the chosen one's device, mount path, file system
// and allocation unit, and the format that prepares it for the camera keeping its
// config.bin. Searching and formatting run off the UI thread; while a format runs the
// window cannot be closed and starts no second one.
class RVXFormatWindowController : public QObject {
    Q_OBJECT
public:
    explicit RVXFormatWindowController(QObject* parent = nullptr);
    ~RVXFormatWindowController() override;

    QWidget* window();
    void showWindow();

    // Searches the cards anew; completion runs on the UI thread once the list is shown.
    void loadUSBVolumes(std::function<void()> completion = {});
    // The search itself, on a worker: the cards in list order.
    static QList<TKUSBDiskEntity> doLoadUSBVolumes(RVXDiskService& disks);
    std::optional<TKUSBDiskEntity> selectedUSBDisk() const;
    std::optional<TKUSBDiskEntity> selectUSBByDevFile(const QString& device);
    void updateSelectedDiskInfo();
    void changeDisk();
    // Checks the chosen card, counts its recordings on a worker and asks once, naming
    // what will be erased; only Erase starts the format.
    void onFormat();
    void doFormat(const TKUSBDiskEntity& disk);
    // Puts config.bin back from its kept copy, once a card whose restore failed is back.
    void onRestore();
    // The kept copy still to be put back, if any.
    const QString& pendingRestorePath() const { return m_pendingRestorePath; }
    void cancel();

    void showProgressBar(const QString& text);
    void updateProgressBar(double total);
    void hideProgressBar();

    bool isFormatting() const { return m_formatting; }
    // For an owner that goes first: the controller deletes itself once its window closes.
    void deleteWhenClosed() { m_deleteWhenClosed = true; }
    QList<TKUSBDiskEntity> usbDiskArray;
    bool stopProgressBar = true;
    double progress = 0;

Q_SIGNALS:
    // A format ended, its final alert shown (for tests and the editor).
    void formatFinished(bool succeeded);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void windowDidLoad();
    void formatDidFinished(const TKUSBDiskEntity& disk,
                           const std::optional<RVXFormatFailure>& failure, const QString& kept);
    void askToFormat(const TKUSBDiskEntity& disk, qsizetype recordings);
    void setBusy(bool busy);
    void updateRestoreButton();

    QWidget* m_window = nullptr;
    std::unique_ptr<Ui::RVXFormatWindowController> m_ui;
    QTimer m_progressTimer;
    bool m_formatting = false;
    // Between the click and the answer to the question.
    bool m_confirming = false;
    bool m_deleteWhenClosed = false;
    // Bumped by each search, so that only the newest fills the list.
    int m_searchGeneration = 0;
    // Cards come and go: the list follows the disk service's news, a moment later so
    // that a burst of news makes one search.
    QTimer m_changeTimer;
    // A format that failed once config.bin was kept: the copy, the card it is for, and
    // whether the card was formatted (only its settings failed to go back).
    QString m_pendingRestorePath;
    std::optional<TKUSBDiskEntity> m_pendingRestoreCard;
    bool m_pendingRestoreFormatted = false;
};
