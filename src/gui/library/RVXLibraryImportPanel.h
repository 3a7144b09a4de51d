// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class PMProgressIndicator;
class QLabel;
class QPushButton;
struct RVXLibraryProgress;

// A small window beside the main one for the library's long work (an import, a check):
// what is done, the bar with the time that remains (on the launcher entry too) and
// Cancel; then what came of it, until closed.
class RVXLibraryImportPanel : public QWidget {
    Q_OBJECT
public:
    explicit RVXLibraryImportPanel(QWidget* parent = nullptr);

    bool isBusy() const { return m_busy; }
    // Shows the panel, the bar turning until the first progress comes; the flag is the
    // worker's to read.
    std::shared_ptr<std::atomic<bool>> start(const QString& title, const QString& text);
    void showProgress(const RVXLibraryProgress& progress);
    // For a worker's progress callback: each report shown on the panel's thread.
    std::function<void(const RVXLibraryProgress&)> progressFromWorker();
    void finish(const QString& text);
    QString text() const;
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLabel* m_title = nullptr;
    QLabel* m_text = nullptr;
    QLabel* m_remaining = nullptr;
    PMProgressIndicator* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_close = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancelFlag;
    bool m_busy = false;
};
