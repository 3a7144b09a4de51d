// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/cardtools/RVXTimeSetupController.h"

#include "core/cardtools/RVXRemovableDisks.h"
#include "core/cardtools/RVXTimeSetFile.h"
#include "core/support/RVXLocalizedString.h"
#include "ui_RVXTimeSetupController.h"
#include "widgets/RVXPageHelpers.h"

#include <QCalendar>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent>

namespace {
const QString kClockFile = QStringLiteral("timeset.cfg");
} // namespace

RVXTimeSetupController::RVXTimeSetupController(QString openFolder, QObject* parent)
    : QObject(parent)
    , m_openFolder(std::move(openFolder)) {}

RVXTimeSetupController::~RVXTimeSetupController() {
    delete m_window;
}

QWidget* RVXTimeSetupController::window() {
    if (!m_window)
        windowDidLoad();
    return m_window;
}

void RVXTimeSetupController::showWindow() {
    window()->show();
    m_window->raise();
    m_window->activateWindow();
}

void RVXTimeSetupController::windowDidLoad() {
    m_window = new QWidget(nullptr, Qt::Window);
    m_ui = std::make_unique<Ui::RVXTimeSetupController>();
    m_ui->setupUi(m_window);
    m_window->setWindowTitle(RVXLocalizedString("time.window_title"));
    // The camera counts years the Gregorian way, whatever the desktop's calendar.
    m_ui->datePicker->setCalendar(QCalendar(QCalendar::System::Gregorian));
    connect(m_ui->datePicker, &QCalendarWidget::clicked, this,
            &RVXTimeSetupController::daySelectedFromPicker);
    connect(m_ui->datePicker, &QCalendarWidget::selectionChanged, this,
            &RVXTimeSetupController::daySelectedFromPicker);
    connect(m_ui->timePicker, &QTimeEdit::timeChanged, this,
            &RVXTimeSetupController::timeSelectedFromPicker);
    connect(m_ui->clockTimePicker, &TKClockTimePicker::timeChanged, this,
            &RVXTimeSetupController::timeSelectedFromClickTimePicker);
    connect(m_ui->nowDaySettingChk, &QCheckBox::clicked, this,
            &RVXTimeSetupController::nowDayChecked);
    connect(m_ui->saveButton, &QPushButton::clicked, this,
            &RVXTimeSetupController::onSaveConfigFile);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &RVXTimeSetupController::onCloseCmd);
    onInitDIalog();
    m_window->adjustSize();
    centerInScreen(m_window);
    // A quarter second: the shown second is never more than that behind the clock.
    m_clockTick = new QTimer(m_window);
    connect(m_clockTick, &QTimer::timeout, this, &RVXTimeSetupController::followClock);
    m_clockTick->start(250);
}

void RVXTimeSetupController::followClock() {
    if (!m_ui || (!m_timeFollowsClock && !m_dateFollowsClock))
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QTime second(now.time().hour(), now.time().minute(), now.time().second());
    m_followingClock = true;
    if (m_timeFollowsClock && second != selectedTime) {
        selectedTime = second;
        m_ui->timePicker->setTime(selectedTime);
        m_ui->clockTimePicker->setTime(selectedTime);
    }
    if (m_dateFollowsClock && now.date() != selectedDate) {
        selectedDate = now.date();
        m_ui->datePicker->setSelectedDate(selectedDate);
        showSelectedDate();
    }
    m_followingClock = false;
}

void RVXTimeSetupController::onInitDIalog() {
    loadSettingFile();
    const QDateTime now = QDateTime::currentDateTime();
    selectedDate = now.date();
    selectedTime = QTime(now.time().hour(), now.time().minute(), now.time().second());
    m_followingClock = true;
    m_ui->datePicker->setSelectedDate(selectedDate);
    m_ui->timePicker->setTime(selectedTime);
    m_ui->clockTimePicker->setTime(selectedTime);
    m_followingClock = false;
    showSelectedDate();
    m_ui->saveButton->setText(RVXLocalizedString("save"));
    m_ui->cancelButton->setText(RVXLocalizedString("cancel"));
}

namespace {

QString findClockFile(RVXDiskService& disks, const QString& openFolder) {
    if (const auto volume = usbVolumeURLWithFile(disks, kClockFile))
        return QDir(volume->toLocalFile()).filePath(kClockFile);
    // A card copied to disk, or one the disk service does not see, open in the window.
    const QString standIn = QDir(openFolder).filePath(kClockFile);
    if (!openFolder.isEmpty() && QFileInfo(standIn).isFile())
        return standIn;
    return {};
}

} // namespace

void RVXTimeSetupController::loadSettingFile() {
    m_searching = true;
    if (m_ui)
        m_ui->saveButton->setEnabled(false);
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_SettingFilePath = watcher->result();
        m_searching = false;
        if (m_ui)
            m_ui->saveButton->setEnabled(true);
        Q_EMIT settingFileSearched();
    });
    watcher->setFuture(
        QtConcurrent::run([disks = RVXDiskService::currentHeld(), folder = m_openFolder] {
            return findClockFile(*disks, folder);
        }));
}

namespace {
// The desktop's medium date style, "10 Dec 2026": Qt has a short and a long one only.
QString mediumDate(const QLocale& locale, const QDate& date) {
    return locale.toString(date, QStringLiteral("d MMM yyyy"));
}
} // namespace

void RVXTimeSetupController::showSelectedDate() {
    const QLocale locale;
    m_ui->dateField->setText(locale.toString(selectedDate, QLocale::LongFormat));
    m_ui->nowDaySettingChk->setText(QStringLiteral("%1(%2)").arg(
        RVXLocalizedString("today"), mediumDate(locale, QDate::currentDate())));
}

void RVXTimeSetupController::daySelectedFromPicker() {
    if (m_followingClock)
        return;
    m_dateFollowsClock = false;
    selectedDate = m_ui->datePicker->selectedDate();
    showSelectedDate();
}

void RVXTimeSetupController::timeSelectedFromPicker() {
    if (m_followingClock)
        return;
    m_timeFollowsClock = false;
    selectedTime = m_ui->timePicker->time();
    m_ui->clockTimePicker->setTime(selectedTime);
}

void RVXTimeSetupController::timeSelectedFromClickTimePicker() {
    if (m_followingClock)
        return;
    m_timeFollowsClock = false;
    selectedTime = m_ui->clockTimePicker->time();
    const QSignalBlocker quiet(m_ui->timePicker);
    m_ui->timePicker->setTime(selectedTime);
}

void RVXTimeSetupController::nowDayChecked() {
    selectedDate = QDate::currentDate();
    {
        const QSignalBlocker quiet(m_ui->datePicker);
        m_ui->datePicker->setSelectedDate(selectedDate);
    }
    m_dateFollowsClock = true;
    showSelectedDate();
    // A button in the shape of a check box: it takes today and unticks itself.
    QTimer::singleShot(200, m_ui->nowDaySettingChk,
                       [this] { m_ui->nowDaySettingChk->setChecked(false); });
}

QString RVXTimeSetupController::openSavePanel() {
    if (savePanel)
        return savePanel();
    QFileDialog panel(m_window);
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setNameFilter(QStringLiteral("Clock file (*.cfg)"));
    panel.setDefaultSuffix(QStringLiteral("cfg"));
    panel.selectFile(QStringLiteral("timeset"));
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return {};
    return panel.selectedFiles().first();
}

void RVXTimeSetupController::onSaveConfigFile() {
    if (m_searching)
        return;
    followClock();
    const QString path = m_SettingFilePath.isEmpty() ? openSavePanel() : m_SettingFilePath;
    if (path.isEmpty())
        return;
    if (auto error = doWriteConfigFile(path, selectedDate, selectedTime)) {
        // Saying nothing would leave the camera's clock wrong without anyone knowing.
        showAlert(m_window, QStringLiteral("ZAMO"),
                  RVXLocalizedString("time.filesave_failed_fmt").arg(path, *error));
        return;
    }
    showSuccessSheet(m_window, QStringLiteral("ZAMO"), RVXLocalizedString("time.filesave"),
                     [this] { onCloseCmd(); });
}

void RVXTimeSetupController::onCloseCmd() {
    if (m_window)
        m_window->close();
}
