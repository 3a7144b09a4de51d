// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A filesystem mounted for one test and unmounted when it ends: a small tmpfs (a disk
// that fills up) or a folder bound read-only onto itself (a card's lock switch). Needs
// root; ok() says whether the mount was made.
class TestMount {
public:
    static TestMount tmpfs(const QString& folder, qint64 bytes);
    static TestMount readOnly(const QString& folder);
    TestMount(TestMount&& other) noexcept;
    TestMount& operator=(TestMount&&) = delete;
    ~TestMount();

    bool ok() const { return m_ok; }
    // What mount said when it refused.
    const QString& error() const { return m_error; }

private:
    TestMount() = default;
    bool run(const QStringList& args);

    QString m_folder;
    // Made, and to be unmounted; ok only when it is what was asked for.
    bool m_mounted = false;
    bool m_ok = false;
    QString m_error;
};
