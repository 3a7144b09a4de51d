// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/settings/RVXSettingViewController.h"

namespace Ui {
class RVXSettingForAdasViewController;
}

// The driver-assistance page: its form (RVXSettingForAdasViewController.ui) on
// RVXAdasPageLogic.
class RVXSettingForAdasViewController : public RVXSettingViewController {
    Q_OBJECT
public:
    explicit RVXSettingForAdasViewController(QWidget* parent = nullptr);
    ~RVXSettingForAdasViewController() override;

private:
    std::unique_ptr<Ui::RVXSettingForAdasViewController> m_ui;
};
