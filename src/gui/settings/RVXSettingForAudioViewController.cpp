// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingForAudioViewController.h"

#include "core/settings/RVXAudioPageLogic.h"
#include "ui_RVXSettingForAudioViewController.h"

RVXSettingForAudioViewController::RVXSettingForAudioViewController(QWidget* parent)
    : RVXSettingViewController(std::make_unique<RVXAudioPageLogic>(), parent)
    , m_ui(std::make_unique<Ui::RVXSettingForAudioViewController>()) {
    m_ui->setupUi(this);
    bindControls();
}

RVXSettingForAudioViewController::~RVXSettingForAudioViewController() = default;
