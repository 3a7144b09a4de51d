// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingForGpsViewController.h"

#include "core/settings/RVXGpsPageLogic.h"
#include "ui_RVXSettingForGpsViewController.h"

RVXSettingForGpsViewController::RVXSettingForGpsViewController(QWidget* parent)
    : RVXSettingViewController(std::make_unique<RVXGpsPageLogic>(), parent)
    , m_ui(std::make_unique<Ui::RVXSettingForGpsViewController>()) {
    m_ui->setupUi(this);
    bindControls();
}

RVXSettingForGpsViewController::~RVXSettingForGpsViewController() = default;
