// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QObject>
#include <QTime>

#include <functional>
#include <memory>

class QTimer;
class QWidget;

namespace Ui {
class RVXTimeSetupController;
}

// The clock window: a date and a time picked (or today taken) and written into the
// card's timeset.cfg, from which the camera sets its clock.
class RVXTimeSetupController : public QObject {
    Q_OBJECT
public:
    // openFolder stands in for the card when no card holds a clock file and it does.
    explicit RVXTimeSetupController(QString openFolder = {}, QObject* parent = nullptr);
    ~RVXTimeSetupController() override;

    QWidget* window();
    void showWindow();

    void onInitDIalog();
    // Finds the clock file on a worker (the disk service may take seconds); Save waits
    // for it.
    void loadSettingFile();
    bool searching() const { return m_searching; }
    void daySelectedFromPicker();
    void timeSelectedFromPicker();
    void timeSelectedFromClickTimePicker();
    void nowDayChecked();
    void onSaveConfigFile();
    void onCloseCmd();

    QDate selectedDate;
    QTime selectedTime;
    QString m_SettingFilePath;
    // For tests: the save panel's answer (empty: cancelled).
    std::function<QString()> savePanel;

Q_SIGNALS:
    // The search for the card's clock file has ended.
    void settingFileSearched();

private:
    void windowDidLoad();
    void showSelectedDate();
    // Until the user picks a time (or a date), the pickers show the computer's clock, so
    // that a window left open a while still saves the second of the save.
    void followClock();
    QString openSavePanel();

    QString m_openFolder;
    bool m_searching = false;
    bool m_timeFollowsClock = true;
    bool m_dateFollowsClock = true;
    // The pickers are being set from the clock, not by the user.
    bool m_followingClock = false;
    QTimer* m_clockTick = nullptr;
    QWidget* m_window = nullptr;
    std::unique_ptr<Ui::RVXTimeSetupController> m_ui;
};
