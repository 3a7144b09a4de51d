// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/settings/RVXSettingViewController.h"

namespace Ui {
class RVXSettingForVideoViewController;
}

// The video page: its form (RVXSettingForVideoViewController.ui) on RVXVideoPageLogic.
class RVXSettingForVideoViewController : public RVXSettingViewController {
    Q_OBJECT
public:
    explicit RVXSettingForVideoViewController(QWidget* parent = nullptr);
    ~RVXSettingForVideoViewController() override;

private:
    std::unique_ptr<Ui::RVXSettingForVideoViewController> m_ui;
};
