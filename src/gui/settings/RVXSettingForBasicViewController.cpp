// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingForBasicViewController.h"

#include "core/settings/RVXBasicPageLogic.h"
#include "ui_RVXSettingForBasicViewController.h"

RVXSettingForBasicViewController::RVXSettingForBasicViewController(QWidget* parent)
    : RVXSettingViewController(std::make_unique<RVXBasicPageLogic>(), parent)
    , m_ui(std::make_unique<Ui::RVXSettingForBasicViewController>()) {
    m_ui->setupUi(this);
    bindControls();
}

RVXSettingForBasicViewController::~RVXSettingForBasicViewController() = default;
