// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/settings/RVXSettingViewController.h"

namespace Ui {
class RVXSettingForAuxViewController;
}
class RVXAuxPageLogic;

// The auxiliary page: its form (RVXSettingForAuxViewController.ui) on RVXAuxPageLogic.
// The card-share slider's two knobs and the page's ratioLoValue and ratioHiValue follow
// each other both ways; the scale under the slider shares its box and so its width.
class RVXSettingForAuxViewController : public RVXSettingViewController {
    Q_OBJECT
public:
    explicit RVXSettingForAuxViewController(QWidget* parent = nullptr);
    ~RVXSettingForAuxViewController() override;

    RVXAuxPageLogic* auxLogic() const;

protected:
    void refreshSelfBound() override;

private:
    std::unique_ptr<Ui::RVXSettingForAuxViewController> m_ui;
};
