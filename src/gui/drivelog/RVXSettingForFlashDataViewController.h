// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/settings/RVXSettingViewController.h"

#include <functional>
#include <memory>

class QTableView;
class RVXFlashDataModel;
class RVXMapWindowController;

namespace Ui {
class RVXSettingForFlashDataViewController;
}

// The editor's drive-information page: the card's drive log as a table, another .drv
// opened, the table exported as CSV, a row's position on the map window beside the
// editor with the whole drive's route.
class RVXSettingForFlashDataViewController : public RVXSettingViewController {
    Q_OBJECT
public:
    explicit RVXSettingForFlashDataViewController(QWidget* parent = nullptr);
    ~RVXSettingForFlashDataViewController() override;

    void setFileData(_FILEDATA* fileData) override;
    bool populate() override { return m_fileData != nullptr; }
    std::optional<QString> validateUserInput() override { return std::nullopt; }
    void onHide() override;

    void displayFileData();
    void loadFlashDataFile();
    void openFileDialog();
    void onSaveCSVFile();
    void doubleClickTableRow(int row);

    QString m_FlashDataFilePath;
    bool firstLoad = true;
    QTableView* tableView = nullptr;
    RVXFlashDataModel* model() const { return m_model; }
    RVXMapWindowController* mapWindowController() const { return m_mapWindowController.get(); }
    // For tests: the open and save panels' answers (empty: cancelled).
    std::function<QString()> openPanel;
    std::function<QString()> savePanel;

Q_SIGNALS:
    // A read has put its rows in the table.
    void flashDataLoaded();
    // An export has been written (or failed: then with the reason).
    void exported(const QString& error);

private:
    QString openSavePanel();
    void releaseMapWindow();
    void fitColumns();

    std::unique_ptr<Ui::RVXSettingForFlashDataViewController> m_ui;
    RVXFlashDataModel* m_model = nullptr;
    _FILEDATA* m_fileData = nullptr;
    std::unique_ptr<RVXMapWindowController> m_mapWindowController;
    uint64_t m_readGeneration = 0;
};
