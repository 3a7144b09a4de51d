// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXMedia.h"

#include <QString>
#include <QStringView>

#include <array>

// What the recording list shows of one recording in one column.
struct RVXMediaListCell {
    struct Column {
        const char* identifier;
        const char* titleKey;
        bool centred;
    };
    // The list's columns, in order.
    static const std::array<Column, 4> columns;

    QString text;
    // The image of the kind and side ("car_front_alwa"), or empty.
    QString iconName;

    static RVXMediaListCell cellForColumn(const RVXMedia& media, QStringView identifier);
    // The kind word and text key, in the order the kinds are asked.
    static const char* kindWord(const RVXMedia& media);
    static const char* kindTextKey(const RVXMedia& media);
    static const char* sideWord(const RVXMedia& media);
};
