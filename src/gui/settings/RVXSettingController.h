// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingCard.h"
#include "core/settings/_FILEDATA.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class PMProgressIndicator;
class QDialog;
class QLabel;
class QPushButton;
class QWidget;
class RVXFormatWindowController;
class RVXSettingForFlashDataViewController;
class RVXSettingViewController;
struct RVXSettingCardRead;
class TKSegmentedControl;

namespace Ui {
class RVXSettingController;
}

// The settings editor: finds the camera's card, reads its config.bin into the one
// record it holds, shows one page at a time, checks and stores the page being left, and
// saves the sealed record back. Its window (RVXSettingController.ui) is made when first
// shown; without it the controller only searches and reads, as at the program's start.
class RVXSettingController : public QObject {
    Q_OBJECT
public:
    // openFolder stands in for the card when no card holds the settings and it does.
    explicit RVXSettingController(QString openFolder = {}, QObject* parent = nullptr);
    ~RVXSettingController() override;

    QWidget* window();
    // On the page of that segment (the editor's order, as RVXSettingPageNames), or on its
    // first.
    void showWindow(int segment = 0);
    _FILEDATA* filedata() { return &m_FileData; }

    void changeViewController(int index);
    bool populate();
    std::optional<QString> validateUserInput();
    void onSave();
    void onSaveDefaultSetting();
    void onCloseCmd();
    void onFormat();
    void onDiskUtil();
    void showLoading(const QString& text);
    void hideLoading();

    // The card search and the read of its config.bin, on a worker; rename names the card
    // "ZAMO" (which may ask for a password), withWindow shows the outcome in the editor.
    void findUSBVolume(bool rename, bool withWindow);
    bool loadSettingFile();
    bool loadSettingFile2();
    void onInitDIalog();

    // The desktop's disk tool, when one is installed.
    static QString diskUtility();
    // Pages built so far, by segment.
    static bool hasPage(int index);

    QString m_SettingFilePath;
    std::optional<TKUSBDiskEntity> selectedUSBDisk;
    QString m_strVersion;
    int lastSelectedTabIndex = -1;
    RVXSettingViewController* targetController = nullptr;
    // The drive-information page, made on first use and kept for the editor's life.
    RVXSettingForFlashDataViewController* driveInfoController = nullptr;
    // Made on the first click of the format button; a child of the editor.
    RVXFormatWindowController* formatWindowController = nullptr;
    RVXSettingForFlashDataViewController* createDriveInfoController();
    // For tests: the save panel's answer (empty: cancelled).
    std::function<QString()> saveSettingsPanel;

    TKSegmentedControl* functionSegmentedControl = nullptr;
    QPushButton* sdcardFormatButton = nullptr;
    QPushButton* diskUtilButton = nullptr;
    QPushButton* resetButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QDialog* progressPanel = nullptr;
    PMProgressIndicator* progressIndicator = nullptr;
    QLabel* progressTitleField = nullptr;
    double progress = 0;
    bool stopLoadingWindow = true;

Q_SIGNALS:
    // The background read has put the card's record in place.
    void settingFileLoaded();
    // A card search has ended (at the start, or when the editor opened).
    void cardSearched();
    // The record was written to path.
    void settingFileSaved(const QString& path);

public:
    // Whether a search has ended since the controller was made.
    bool searched() const { return m_searched; }

private:
    void windowDidLoad();
    void updateWindowTitle();
    void cardSearchDidFinish(const RVXSettingCardRead& read, bool withWindow);
    void writeSettingsTo(const QString& target);
    void clickFunctionSegmentedControl(int index);
    void updateLoadingWindow(double seconds);
    QString runSaveSettingsPanel();
    void alert(const QString& message, const QString& informative,
               std::function<void()> end = nullptr);

    _FILEDATA m_FileData{};
    QString m_openFolder;
    RVXSettingCard m_card;
    QWidget* m_window = nullptr;
    QWidget* targetView = nullptr;
    std::unique_ptr<Ui::RVXSettingController> m_ui;
    // Counts the reads, so that one finishing after a newer one is dropped.
    uint64_t m_loadGeneration = 0;
    bool m_searched = false;
};
