// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXCarNumberTextField.h"

#include "core/settings/RVXCarNumber.h"

RVXCarNumberTextField::RVXCarNumberTextField(QWidget* parent)
    : QLineEdit(parent) {
    // Before the page hears of the end of editing, so it reads the filtered text.
    connect(this, &QLineEdit::editingFinished, this, &RVXCarNumberTextField::textDidEndEditing,
            Qt::DirectConnection);
}

void RVXCarNumberTextField::textDidEndEditing() {
    const QString filtered = RVXFilterCarNumber(text());
    if (filtered != text())
        setText(filtered);
}
