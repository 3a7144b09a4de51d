// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/settings/RVXSettingViewController.h"

namespace Ui {
class RVXSettingForBasicViewController;
}

// The basic page: its form (RVXSettingForBasicViewController.ui) on RVXBasicPageLogic.
class RVXSettingForBasicViewController : public RVXSettingViewController {
    Q_OBJECT
public:
    explicit RVXSettingForBasicViewController(QWidget* parent = nullptr);
    ~RVXSettingForBasicViewController() override;

private:
    std::unique_ptr<Ui::RVXSettingForBasicViewController> m_ui;
};
