// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

#include <QWidget>

#include <memory>
#include <optional>

class RVXSettingController;

// A settings page's view: its Designer form, bound control by control (by object name)
// to the page's logic, which alone decides what the record shows and stores. The page
// protocol of the editor: setFileData, populate, validateUserInput, setMainController,
// onHide. A page with no settings of its own (the drive log) has no logic and overrides
// the protocol.
class RVXSettingViewController : public QWidget {
    Q_OBJECT
public:
    ~RVXSettingViewController() override;

    virtual void setFileData(_FILEDATA* fileData);
    virtual bool populate();
    // Nothing when the page may be left, else the text to show; the offending field
    // gets the keyboard focus.
    virtual std::optional<QString> validateUserInput();
    void setMainController(RVXSettingController* controller) { m_mainController = controller; }
    RVXSettingController* mainController() const { return m_mainController; }
    virtual void onHide() {}

    RVXSettingPage* logic() const { return m_logic.get(); }
    // The logic's state shown again in the widgets.
    void refresh();

protected:
    RVXSettingViewController(std::unique_ptr<RVXSettingPage> logic, QWidget* parent);
    // Connects the form's controls to the logic; call once the form is set up. Controls
    // named in selfBound are the page's own to connect and show.
    void bindControls(const QStringList& selfBound = {});
    // A combo box takes the wheel only when it has the focus: scrolling over a page must
    // not change a setting on the way.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Shows what the generic binding does not; runs at the end of every refresh.
    virtual void refreshSelfBound() {}
    void userChanged(const QString& name, const QString& value);
    bool refreshing() const { return m_refreshing; }

private:
    // Text fields hand over what they hold even when the user never left them.
    void commitTexts();
    void showWarnings();

    std::unique_ptr<RVXSettingPage> m_logic;
    RVXSettingController* m_mainController = nullptr;
    bool m_refreshing = false;
};
