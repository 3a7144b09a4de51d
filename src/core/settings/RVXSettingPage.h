// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/_FILEDATA.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>
#include <span>

// What one control of a settings page shows. The widget pages mirror these and hand
// the user's changes back; ruvex-card lists and sets them without any widget.
struct RVXPageControl {
    enum class Kind {
        Segmented, // one of a row of segments
        Combo,     // one item of a list
        Matrix,    // one cell of a radio matrix, counted row by row
        Check,     // a check box
        Radio,     // a lone radio button
        Text,      // a text field
        Stepper,   // up/down clicks, a signed number of them
        Value,     // a slider's number
    };
    QString name;
    Kind kind = Kind::Segmented;
    // The title key of the box the control sits in.
    QString groupKey;
    QStringList labels;
    // The selected entry; -1 when the record's value matches none.
    int index = -1;
    bool checked = false;
    QString text;
    double value = 0;
    bool enabled = true;
    // A text field the user reads but cannot type into; a stepper beside it changes it.
    bool editable = true;

    bool isChoice() const {
        return kind == Kind::Segmented || kind == Kind::Combo || kind == Kind::Matrix;
    }
    QString selectedLabel() const {
        return index >= 0 && index < labels.size() ? labels[index] : QString();
    }
};

// Why a page cannot be left: the text to show and the control to give the focus to.
struct RVXPageFailure {
    QString message;
    QString control;
};

// One page of the settings editor as the camera's data sees it: which entry each
// control shows for the record, what it stores back, what it checks. A page works on
// the editor's record through its address and holds nothing of it but that.
class RVXSettingPage {
public:
    // A control that shows and stores its entry's index in a field of the record.
    struct IndexBinding {
        const char* control;
        uint32_t _FILEDATA::*field;
    };
    static QStringList localisedLabels(std::initializer_list<const char*> keys);

    virtual ~RVXSettingPage();

    // "video", "basic", ...: the segment's key without "setting.".
    virtual QString pageName() const = 0;
    // The segment's title key.
    virtual QString titleKey() const = 0;

    // Keeps the record's address and shows it.
    void setFileData(_FILEDATA* fileData);
    _FILEDATA* fileData() const { return m_fileData; }
    virtual void displayFileData() = 0;
    // Nothing when the page may be left, else why not.
    virtual std::optional<RVXPageFailure> validateUserInput() { return std::nullopt; }
    // Stores the controls into the record; false when there is no record or the input
    // is not valid.
    virtual bool populate() = 0;

    const QList<RVXPageControl>& controls() const { return m_controls; }
    const RVXPageControl* control(const QString& name) const;

    // The user changes one control as a click or typing would, and its action runs. The
    // value is an entry index, 0 or 1, a text, a number of stepper clicks or a slider's
    // number, by the control's kind. Nothing on success, else what is wrong.
    std::optional<QString> userSet(const QString& name, const QString& value);
    // What a text field keeps of what is typed into it, for a caller that must say why a
    // value it gave was changed.
    virtual QString textRule(const QString& name) const {
        (void)name;
        return {};
    }

    // Alerts raised that do not keep the user on the page ("Warning" and its text),
    // each handed out once.
    QStringList takeWarnings();

protected:
    // A stored value beyond the entries shows none; none chosen stores nothing back.
    void showIndex(const char* control, uint32_t stored);
    void showIndexes(std::span<const IndexBinding> bindings);
    void storeIndexes(std::span<const IndexBinding> bindings);

    RVXPageControl& add(const QString& name, RVXPageControl::Kind kind, const QString& groupKey,
                        const QStringList& labels = {});
    RVXPageControl& at(const QString& name);
    // The action the control runs when the user changes it.
    virtual void controlChanged(const QString& name) { (void)name; }
    void warn(const QString& text) { m_warnings << text; }

    _FILEDATA* m_fileData = nullptr;

private:
    QList<RVXPageControl> m_controls;
    QStringList m_warnings;
};
