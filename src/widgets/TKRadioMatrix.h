// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;

// A matrix of radio cells, one chosen or none; cells are counted row by row, so a cell's
// position is row x columns + column whatever the shape.
class TKRadioMatrix : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int columns READ columns WRITE setColumns)
public:
    explicit TKRadioMatrix(QWidget* parent = nullptr);

    int columns() const { return m_columns; }
    void setColumns(int columns);
    void setCellCount(int count);
    QList<QAbstractButton*> cells() const;
    // -1 chooses none.
    void setSelectedCell(int cell);
    int selectedCell() const;

Q_SIGNALS:
    // The user chose a cell (not sent for setSelectedCell).
    void cellClicked(int cell);

private:
    void placeCells();

    QButtonGroup* m_group;
    QGridLayout* m_layout;
    int m_columns = 4;
};
