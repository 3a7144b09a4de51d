// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXAudioPageLogic.h"

#include "core/support/RVXLocalizedString.h"

namespace {

using Kind = RVXPageControl::Kind;

QStringList volumes() {
    return {RVXLocalizedString("unuse"),
            QStringLiteral("1(%1)").arg(RVXLocalizedString("setting.aux.volume_low")),
            QStringLiteral("2"),
            QStringLiteral("3(%1)").arg(RVXLocalizedString("setting.aux.volume_up"))};
}

// The matrix's cells in the order of the stored language index.
constexpr const char* kLanguages[] = {"Korean",
                                      "English",
                                      "French",
                                      "Spanish.Europe",
                                      "Arabic",
                                      "Chinese",
                                      "Russian",
                                      "Japanese",
                                      "Thai",
                                      "BahasaIndonesia",
                                      "Vietnamese",
                                      "Mongolian",
                                      "Spanish.SouthAmerica",
                                      "German",
                                      "Turkish",
                                      "Italian",
                                      "Hindi",
                                      "Cantonese",
                                      "Czech",
                                      "Portuguese"};

} // namespace

RVXAudioPageLogic::RVXAudioPageLogic() {
    add("micSeg", Kind::Segmented, "setting.aux.mic_volume", volumes());
    add("speakerSeg", Kind::Segmented, "setting.aux.speaker_volume", volumes());
    add("useEveryHourNoticeChk", Kind::Check, "setting.aux.speaker_volume",
        {RVXLocalizedString("setting.aux.enable_hourly_alarm")});
    QStringList languages;
    for (const char* key : kLanguages)
        languages << RVXLocalizedString(key);
    add("voiceLangRadio", Kind::Matrix, "setting.aux.voice_guidance_lang_setting", languages);
    add("malaysiaRadio", Kind::Radio, "setting.aux.voice_guidance_lang_setting",
        {RVXLocalizedString("Malaysia")});
}

void RVXAudioPageLogic::displayFileData() {
    const _FILEDATA& r = *m_fileData;
    showIndex("micSeg", r.aud_input_vol);
    at("useEveryHourNoticeChk").checked = r.alarm_ontime_flag != 0;
    showIndex("speakerSeg", r.aud_output_vol);
    at("malaysiaRadio").checked = r.Brightness1 == kMalaysia;
    // Malaysia's number lies past the matrix's cells, so it chooses none of them.
    showIndex("voiceLangRadio", r.Brightness1);
}

void RVXAudioPageLogic::voiceLangMatrixSelected() {
    const int cell = at("voiceLangRadio").index;
    if (cell < 0)
        return;
    at("malaysiaRadio").checked = false;
    // The language reaches the record at once, not only when the page is left.
    if (m_fileData)
        m_fileData->Brightness1 = uint32_t(cell);
}

void RVXAudioPageLogic::malaysiaRadioSelected() {
    // A radio button is left by choosing another language, never by a second click,
    // which would leave no language chosen.
    if (!at("malaysiaRadio").checked) {
        if (m_fileData && m_fileData->Brightness1 == kMalaysia)
            at("malaysiaRadio").checked = true;
        return;
    }
    at("voiceLangRadio").index = -1;
    if (m_fileData)
        m_fileData->Brightness1 = kMalaysia;
}

void RVXAudioPageLogic::controlChanged(const QString& name) {
    if (name == u"voiceLangRadio")
        voiceLangMatrixSelected();
    else if (name == u"malaysiaRadio")
        malaysiaRadioSelected();
}

bool RVXAudioPageLogic::populate() {
    if (!m_fileData)
        return false;
    _FILEDATA& r = *m_fileData;
    if (at("micSeg").index >= 0)
        r.aud_input_vol = uint32_t(at("micSeg").index);
    r.alarm_ontime_flag = at("useEveryHourNoticeChk").checked ? 1 : 0;
    if (at("speakerSeg").index >= 0)
        r.aud_output_vol = uint32_t(at("speakerSeg").index);
    if (r.Brightness1 != kMalaysia && at("voiceLangRadio").index >= 0)
        r.Brightness1 = uint32_t(at("voiceLangRadio").index);
    return true;
}
