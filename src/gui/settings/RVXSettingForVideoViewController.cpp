// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingForVideoViewController.h"

#include "core/settings/RVXVideoPageLogic.h"
#include "ui_RVXSettingForVideoViewController.h"

RVXSettingForVideoViewController::RVXSettingForVideoViewController(QWidget* parent)
    : RVXSettingViewController(std::make_unique<RVXVideoPageLogic>(), parent)
    , m_ui(std::make_unique<Ui::RVXSettingForVideoViewController>()) {
    m_ui->setupUi(this);
    bindControls();
}

RVXSettingForVideoViewController::~RVXSettingForVideoViewController() = default;
