// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QButtonGroup;
class QHBoxLayout;
class QToolButton;

// A row of exclusive segments, one selected (or none): the settings pages' choices and
// the editor's page selector.
class TKSegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit TKSegmentedControl(QWidget* parent = nullptr);

    void setSegmentCount(int count);
    int segmentCount() const;
    void setLabel(int segment, const QString& label);
    QString labelForSegment(int segment) const;
    // -1 selects none.
    void setSelectedSegment(int segment);
    int selectedSegment() const;
    void setEnabledForSegment(int segment, bool enabled);
    QToolButton* segmentButton(int segment) const;

Q_SIGNALS:
    // The user chose a segment (not sent for setSelectedSegment).
    void segmentClicked(int segment);

private:
    QButtonGroup* m_group;
    QHBoxLayout* m_layout;
};

// The control-filling routines of the settings pages.
void setSegmentLabels(TKSegmentedControl* control, const QStringList& labels);
