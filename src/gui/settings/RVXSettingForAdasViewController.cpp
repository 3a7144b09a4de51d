// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingForAdasViewController.h"

#include "core/settings/RVXAdasPageLogic.h"
#include "ui_RVXSettingForAdasViewController.h"

RVXSettingForAdasViewController::RVXSettingForAdasViewController(QWidget* parent)
    : RVXSettingViewController(std::make_unique<RVXAdasPageLogic>(), parent)
    , m_ui(std::make_unique<Ui::RVXSettingForAdasViewController>()) {
    m_ui->setupUi(this);
    bindControls();
}

RVXSettingForAdasViewController::~RVXSettingForAdasViewController() = default;
