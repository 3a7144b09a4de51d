// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingForAuxViewController.h"

#include "core/settings/RVXAuxPageLogic.h"
#include "ui_RVXSettingForAuxViewController.h"

RVXSettingForAuxViewController::RVXSettingForAuxViewController(QWidget* parent)
    : RVXSettingViewController(std::make_unique<RVXAuxPageLogic>(), parent)
    , m_ui(std::make_unique<Ui::RVXSettingForAuxViewController>()) {
    m_ui->setupUi(this);
    SMDoubleSlider* slider = m_ui->sdRatioSlider;
    slider->setTrackingLoKnob(true);
    slider->setMinValue(0);
    slider->setMaxValue(100);
    slider->setAltIncrementValue(1);
    connect(slider, &SMDoubleSlider::loValueChanged, this, [this](double value) {
        userChanged(QStringLiteral("ratioLoValue"), QString::number(value));
    });
    connect(slider, &SMDoubleSlider::hiValueChanged, this, [this](double value) {
        userChanged(QStringLiteral("ratioHiValue"), QString::number(value));
    });
    bindControls({QStringLiteral("ratioLoValue"), QStringLiteral("ratioHiValue")});
    refresh();
}

RVXSettingForAuxViewController::~RVXSettingForAuxViewController() = default;

RVXAuxPageLogic* RVXSettingForAuxViewController::auxLogic() const {
    return static_cast<RVXAuxPageLogic*>(logic());
}

void RVXSettingForAuxViewController::refreshSelfBound() {
    SMDoubleSlider* slider = m_ui->sdRatioSlider;
    const double lo = auxLogic()->ratioLoValue();
    const double hi = auxLogic()->ratioHiValue();
    // Each knob stops at the other, so open the range before placing them.
    slider->setDoubleHiValue(slider->cell().maxValue());
    slider->setDoubleLoValue(lo);
    slider->setDoubleHiValue(hi);
}
