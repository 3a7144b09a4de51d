// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryIndex.h"
#include "core/library/RVXLibraryRecording.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

class QLockFile;

// The folder the user keeps every drive in: the recordings under <yyyy>/<yyyy-MM-dd>/ with
// their own names, library.db beside them, each import's config.bin and drive log under
// imports/, and protected.txt. The files are the truth; the index can always be made
// again from them. One program at a time changes a library (a lock file in it); every
// thread works through its own RVXLibrary, as a database connection belongs to the
// thread that opened it.
class RVXLibrary {
public:
    static constexpr QLatin1StringView kIndexName{"library.db"};
    static constexpr QLatin1StringView kProtectedName{"protected.txt"};
    static constexpr QLatin1StringView kImportsName{"imports"};
    // Beside a shared library folder: "database=postgresql://..." names the server that
    // holds its index instead of library.db.
    static constexpr QLatin1StringView kConfigName{"library.conf"};

    // The user's Movies folder + "/RUVEX Library".
    static QString defaultFolder();

    // index: another implementation to use; the SQLite one in the folder when none.
    explicit RVXLibrary(QString folder, std::unique_ptr<RVXLibraryIndex> index = {});
    ~RVXLibrary();
    RVXLibrary(const RVXLibrary&) = delete;
    RVXLibrary& operator=(const RVXLibrary&) = delete;

    // The index on a database server (postgresql://...) instead of the folder's own;
    // before open(). Empty: library.conf's, else library.db.
    void setDatabase(const QString& address) { m_database = address; }
    // The server library.conf names; empty without one.
    QString configuredDatabase() const;
    // The folder has an index: its library.db, or a server its library.conf names.
    bool exists() const;
    // Opens the index, making the folder and the index when create and they are missing.
    std::optional<QString> open(bool create = true);
    // Takes the library for this program until it ends; a message when another holds it.
    std::optional<QString> lock();
    // Finishes what a stop left: deletions begun, hidden half-copied files, files in place
    // whose row never came, protections written but not yet in the index, and trips not
    // worked out again. Under lock().
    std::optional<QString> recover(const std::atomic<bool>* cancel = nullptr);

    const QString& folder() const { return m_folder; }
    RVXLibraryIndex& index() { return *m_index; }
    QString absolutePath(const QString& relative) const;
    // "2026/2026-03-14" for a moment of that day.
    static QString dayFolder(int64_t moment);

    // Protects (or frees) recordings, every recording of a trip, an event's recording and
    // its pair's other side. protected.txt is written first: it is what a rebuild reads.
    std::optional<QString> protectRecordings(const std::vector<int64_t>& ids, bool on = true);
    std::optional<QString> protectTrip(int64_t trip, bool on = true);
    std::optional<QString> protectEvent(int64_t event, bool on = true);
    // The relative paths protected.txt lists.
    QStringList protectedPaths() const;

    // Every file under the day folders, relative: recordings and anything else, the
    // hidden half-copied ones apart.
    QStringList dayFiles(bool temporary = false) const;
    // The index's record of a file in place: its size, hash and what its name and
    // headers say. Reads the whole file.
    std::variant<RVXLibraryRecording, QString>
    describe(const QString& relative, const std::atomic<bool>* cancel = nullptr,
             const std::function<void(int64_t)>& progress = {}) const;
    // The camera's name of a file kept beside another ("..._F~2.MP4" is "..._F.MP4"), and
    // the name to keep the n-th one beside under.
    static QString cameraName(const QString& fileName, bool* keptBeside = nullptr);
    static QString besideName(const QString& cameraName, int n);

    // Deletes recordings: marked, then each file removed and its folder synced, then its
    // row; a stop anywhere is finished by recover(). The trips are worked out again.
    std::optional<QString> deleteRecordings(const std::vector<int64_t>& ids);

private:
    std::optional<QString> writeProtectedList(const std::vector<int64_t>& ids, bool on);
    std::optional<QString> finishDeletions();

    QString m_folder;
    QString m_database;
    std::unique_ptr<RVXLibraryIndex> m_index;
    std::unique_ptr<QLockFile> m_lock;
};
