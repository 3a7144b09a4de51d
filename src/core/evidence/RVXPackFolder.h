// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>

#include <memory>
#include <optional>

class QLockFile;
class QTemporaryDir;

// The hidden folder a pack is written in beside its target (".<target>-XXXXXX"), renamed
// to the target once it is whole and on the disk; dropped unless it was. A marker file
// inside stays locked while its writer runs, so that a folder a killed export left behind
// is told from one another export is still writing, and from anyone else's hidden folder.
class RVXPackFolder {
public:
    explicit RVXPackFolder(const QString& target);
    ~RVXPackFolder();
    RVXPackFolder(const RVXPackFolder&) = delete;
    RVXPackFolder& operator=(const RVXPackFolder&) = delete;

    // Nothing when the folder is ready to be written, else why not.
    std::optional<QString> error() const { return m_error; }
    QDir dir() const;
    // Every file and folder synced to the disk, the marker gone, the folder renamed to the
    // target and the rename synced.
    std::optional<QString> commit();

    // Removes the folders of exports that died in parent: hidden, holding the marker, and
    // no process holding its lock. Returns how many.
    static int clearStale(const QString& parent);
    static QString markerName();

private:
    QString m_target;
    std::optional<QString> m_error;
    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<QLockFile> m_marker;
};
