// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

// The licence-plate field: when the user finishes editing, it keeps the ASCII letters
// and digits, eight at the most.
class RVXCarNumberTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit RVXCarNumberTextField(QWidget* parent = nullptr);
    void textDidEndEditing();
};
