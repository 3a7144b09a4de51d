// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TKSegmentedControl.h"

#include "widgets/RVXPageHelpers.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

TKSegmentedControl::TKSegmentedControl(QWidget* parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
    , m_layout(new QHBoxLayout(this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_group->setExclusive(true);
    // The chosen segment must stand out at a glance, in the program's accent colour.
    setStyleSheet(QStringLiteral(
        "QToolButton { padding: 3px 8px; border: 1px solid #9a9ca3; background: #f4f4f5; }"
        "QToolButton:checked { background: #f2a93b; color: #17181b; border-color: #c9821a; }"
        "QToolButton:disabled { color: #a0a2a8; }"
        "QToolButton:checked:disabled { background: #e8d2ae; }"));
    connect(m_group, &QButtonGroup::idClicked, this, &TKSegmentedControl::segmentClicked);
}

void TKSegmentedControl::setSegmentCount(int count) {
    while (segmentCount() > count) {
        QAbstractButton* last = m_group->button(segmentCount() - 1);
        m_group->removeButton(last);
        delete last;
    }
    while (segmentCount() < count) {
        auto* button = new QToolButton(this);
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setObjectName(QStringLiteral("segment%1").arg(segmentCount()));
        m_group->addButton(button, segmentCount());
        m_layout->addWidget(button);
    }
}

int TKSegmentedControl::segmentCount() const {
    return int(m_group->buttons().size());
}

void TKSegmentedControl::setLabel(int segment, const QString& label) {
    if (QAbstractButton* b = m_group->button(segment))
        b->setText(label);
}

QString TKSegmentedControl::labelForSegment(int segment) const {
    QAbstractButton* b = m_group->button(segment);
    return b ? b->text() : QString();
}

void TKSegmentedControl::setSelectedSegment(int segment) {
    setCheckedButton(m_group, segment);
}

int TKSegmentedControl::selectedSegment() const {
    return m_group->checkedId();
}

void TKSegmentedControl::setEnabledForSegment(int segment, bool enabled) {
    if (QAbstractButton* b = m_group->button(segment))
        b->setEnabled(enabled);
}

QToolButton* TKSegmentedControl::segmentButton(int segment) const {
    return qobject_cast<QToolButton*>(m_group->button(segment));
}

void setSegmentLabels(TKSegmentedControl* control, const QStringList& labels) {
    control->setSegmentCount(int(labels.size()));
    for (int i = 0; i < labels.size(); ++i)
        control->setLabel(i, labels[i]);
}
