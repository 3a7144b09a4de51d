// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/settings/RVXSettingViewController.h"

namespace Ui {
class RVXSettingForGpsViewController;
}

// The GPS page: its form (RVXSettingForGpsViewController.ui) on RVXGpsPageLogic.
class RVXSettingForGpsViewController : public RVXSettingViewController {
    Q_OBJECT
public:
    explicit RVXSettingForGpsViewController(QWidget* parent = nullptr);
    ~RVXSettingForGpsViewController() override;

private:
    std::unique_ptr<Ui::RVXSettingForGpsViewController> m_ui;
};
