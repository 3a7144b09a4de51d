// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/settings/RVXSettingViewController.h"

namespace Ui {
class RVXSettingForAudioViewController;
}

// The audio page: its form (RVXSettingForAudioViewController.ui) on RVXAudioPageLogic.
class RVXSettingForAudioViewController : public RVXSettingViewController {
    Q_OBJECT
public:
    explicit RVXSettingForAudioViewController(QWidget* parent = nullptr);
    ~RVXSettingForAudioViewController() override;

private:
    std::unique_ptr<Ui::RVXSettingForAudioViewController> m_ui;
};
