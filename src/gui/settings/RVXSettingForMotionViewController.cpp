// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingForMotionViewController.h"

#include "core/settings/RVXMotionPageLogic.h"
#include "ui_RVXSettingForMotionViewController.h"

RVXSettingForMotionViewController::RVXSettingForMotionViewController(QWidget* parent)
    : RVXSettingViewController(std::make_unique<RVXMotionPageLogic>(), parent)
    , m_ui(std::make_unique<Ui::RVXSettingForMotionViewController>()) {
    m_ui->setupUi(this);
    bindControls();
}

RVXSettingForMotionViewController::~RVXSettingForMotionViewController() = default;
