// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/settings/RVXSettingViewController.h"

namespace Ui {
class RVXSettingForMotionViewController;
}

// The motion and parking page: its form (RVXSettingForMotionViewController.ui) on
// RVXMotionPageLogic.
class RVXSettingForMotionViewController : public RVXSettingViewController {
    Q_OBJECT
public:
    explicit RVXSettingForMotionViewController(QWidget* parent = nullptr);
    ~RVXSettingForMotionViewController() override;

private:
    std::unique_ptr<Ui::RVXSettingForMotionViewController> m_ui;
};
