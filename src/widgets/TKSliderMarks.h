// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

#include <vector>

// Coloured spans along a horizontal slider's groove, laid over the slider and letting
// the mouse through to it.
class TKSliderMarks : public QWidget {
    Q_OBJECT
public:
    struct Mark {
        double from = 0; // 0 to 1 along the groove
        double to = 0;
        QColor color;
        // Across the whole slider instead of a band along the groove's foot.
        bool tall = false;
    };

    // Follows slider's size; none of the slider's input is taken.
    explicit TKSliderMarks(QWidget* slider);

    void setMarks(std::vector<Mark> marks);
    const std::vector<Mark>& marks() const { return m_marks; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<Mark> m_marks;
};
