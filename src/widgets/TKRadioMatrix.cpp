// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TKRadioMatrix.h"

#include "widgets/RVXPageHelpers.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TKRadioMatrix::TKRadioMatrix(QWidget* parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
    , m_layout(new QGridLayout(this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idClicked, this, &TKRadioMatrix::cellClicked);
}

void TKRadioMatrix::setColumns(int columns) {
    m_columns = std::max(1, columns);
    placeCells();
}

void TKRadioMatrix::setCellCount(int count) {
    while (int(m_group->buttons().size()) > count) {
        QAbstractButton* last = m_group->button(int(m_group->buttons().size()) - 1);
        m_group->removeButton(last);
        delete last;
    }
    while (int(m_group->buttons().size()) < count) {
        const int id = int(m_group->buttons().size());
        auto* cell = new QRadioButton(this);
        cell->setObjectName(QStringLiteral("cell%1").arg(id));
        m_group->addButton(cell, id);
    }
    placeCells();
}

void TKRadioMatrix::placeCells() {
    for (QAbstractButton* cell : m_group->buttons()) {
        const int id = m_group->id(cell);
        m_layout->addWidget(cell, id / m_columns, id % m_columns);
    }
}

QList<QAbstractButton*> TKRadioMatrix::cells() const {
    QList<QAbstractButton*> ordered;
    for (int id = 0; id < int(m_group->buttons().size()); ++id)
        ordered << m_group->button(id);
    return ordered;
}

void TKRadioMatrix::setSelectedCell(int cell) {
    setCheckedButton(m_group, cell);
}

int TKRadioMatrix::selectedCell() const {
    return m_group->checkedId();
}
