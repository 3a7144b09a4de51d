// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

// The audio page: microphone and speaker levels, the hourly announcement, and the voice
// guidance's language, chosen in a matrix of twenty or with the lone Malaysia button.
class RVXAudioPageLogic : public RVXSettingPage {
public:
    static constexpr uint32_t kMalaysia = 20;

    RVXAudioPageLogic();

    QString pageName() const override { return QStringLiteral("audio"); }
    QString titleKey() const override { return QStringLiteral("setting.audio"); }
    void displayFileData() override;
    bool populate() override;

    void voiceLangMatrixSelected();
    void malaysiaRadioSelected();

protected:
    void controlChanged(const QString& name) override;
};
