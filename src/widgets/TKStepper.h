// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QToolButton;

// A pair of up and down arrows with no value of its own: each click (or Up/Down key)
// reports one step, +1 or -1, and the owner adds it to whatever it counts. Holding a
// button repeats.
class TKStepper : public QWidget {
    Q_OBJECT
public:
    explicit TKStepper(QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }
    QSize sizeHint() const override;

Q_SIGNALS:
    void stepped(int steps);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};
