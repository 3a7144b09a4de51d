// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibrary.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXTrip.h"
#include "core/library/RVXLibraryDrives.h"
#include "core/library/RVXLibraryFileCopy.h"
#include "core/library/RVXPostgresLibraryIndex.h"
#include "core/library/RVXSqliteLibraryIndex.h"
#include "core/media/RVXRecordingDiagnosis.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QRegularExpression& yearPattern() {
    static const QRegularExpression re(QStringLiteral("^\\d{4}$"));
    return re;
}

const QRegularExpression& dayPattern() {
    static const QRegularExpression re(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return re;
}

const QRegularExpression& besidePattern() {
    static const QRegularExpression re(QStringLiteral("^(.*)~(\\d+)(\\.[^.]*)?$"));
    return re;
}

} // namespace

QString RVXLibrary::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) +
           QStringLiteral("/RUVEX Library");
}

RVXLibrary::RVXLibrary(QString folder, std::unique_ptr<RVXLibraryIndex> index)
    : m_folder(QDir::cleanPath(QDir(folder).absolutePath()))
    , m_index(std::move(index)) {}

RVXLibrary::~RVXLibrary() = default;

QString RVXLibrary::configuredDatabase() const {
    const QString config = QDir(m_folder).filePath(kConfigName);
    if (!QFile::exists(config))
        return QString();
    return QSettings(config, QSettings::IniFormat).value(QStringLiteral("database")).toString();
}

bool RVXLibrary::exists() const {
    return QFile::exists(QDir(m_folder).filePath(kIndexName)) || !configuredDatabase().isEmpty();
}

std::optional<QString> RVXLibrary::open(bool create) {
    if (m_index)
        return std::nullopt;
    const QString address = m_database.isEmpty() ? configuredDatabase() : m_database;
    if (!address.isEmpty()) {
        if (!QDir().mkpath(m_folder))
            return QStringLiteral("cannot make the folder %1").arg(m_folder);
        auto opened = RVXPostgresLibraryIndex::open(address);
        if (auto* error = std::get_if<QString>(&opened))
            return *error;
        m_index = std::move(std::get<0>(opened));
        return std::nullopt;
    }
    const QString db = QDir(m_folder).filePath(kIndexName);
    if (!create && !QFile::exists(db))
        return QStringLiteral("%1 holds no library (no %2)").arg(m_folder, kIndexName);
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("cannot make the folder %1").arg(m_folder);
    auto opened = RVXSqliteLibraryIndex::open(db);
    if (auto* error = std::get_if<QString>(&opened))
        return *error;
    m_index = std::move(std::get<0>(opened));
    return std::nullopt;
}

std::optional<QString> RVXLibrary::lock() {
    if (m_lock)
        return std::nullopt;
    auto lock =
        std::make_unique<QLockFile>(QDir(m_folder).filePath(QStringLiteral(".library.lock")));
    // Never stale by age: an import runs for hours. A holder that died is seen by its pid.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        qint64 pid = 0;
        QString host, application;
        lock->getLockInfo(&pid, &host, &application);
        return QStringLiteral("another program (%1, process %2) is changing the library in %3")
            .arg(application.isEmpty() ? QStringLiteral("?") : application)
            .arg(pid)
            .arg(m_folder);
    }
    m_lock = std::move(lock);
    return std::nullopt;
}

QString RVXLibrary::absolutePath(const QString& relative) const {
    return m_folder + u'/' + relative;
}

QString RVXLibrary::dayFolder(int64_t moment) {
    const QDate day = QDateTime::fromSecsSinceEpoch(moment, Qt::UTC).date();
    return day.toString(QStringLiteral("yyyy")) + u'/' + day.toString(QStringLiteral("yyyy-MM-dd"));
}

QString RVXLibrary::cameraName(const QString& fileName, bool* keptBeside) {
    const QRegularExpressionMatch m = besidePattern().match(fileName);
    if (keptBeside)
        *keptBeside = m.hasMatch();
    return m.hasMatch() ? m.captured(1) + m.captured(3) : fileName;
}

QString RVXLibrary::besideName(const QString& cameraName, int n) {
    const qsizetype dot = cameraName.lastIndexOf(u'.');
    if (dot < 0)
        return cameraName + u'~' + QString::number(n);
    return cameraName.left(dot) + u'~' + QString::number(n) + cameraName.mid(dot);
}

QStringList RVXLibrary::dayFiles(bool temporary) const {
    QStringList out;
    const QDir root(m_folder);
    for (const QString& year : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!yearPattern().match(year).hasMatch())
            continue;
        const QDir y(root.filePath(year));
        for (const QString& day : y.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            if (!dayPattern().match(day).hasMatch())
                continue;
            const QDir d(y.filePath(day));
            for (const QString& name : d.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
                if (RVXLibraryFileCopy::isTemporaryName(name) == temporary &&
                    (temporary || !name.startsWith(u'.')))
                    out << year + u'/' + day + u'/' + name;
            }
        }
    }
    return out;
}

std::variant<RVXLibraryRecording, QString>
RVXLibrary::describe(const QString& relative, const std::atomic<bool>* cancel,
                     const std::function<void(int64_t)>& progress) const {
    const QString path = absolutePath(relative);
    const QString fileName = relative.section(u'/', -1);
    RVXLibraryRecording r;
    r.path = relative;
    r.name = cameraName(fileName, &r.clash);
    if (!RVXMediaList::isAcceptedName(r.name))
        return QStringLiteral("%1 is not named as a recording").arg(relative);
    const RVXMedia named(QFileInfo(path).path(), r.name);
    if (!named.hasMoment())
        return QStringLiteral("%1 has no moment in its name").arg(relative);
    r.kind = named.mediaDivision();
    r.side = named.mediaDirection();
    r.moment = RVXTrip::unitOf(std::make_shared<RVXMedia>(named)).start;
    const RVXLibraryFileCopy::Result hashed = RVXLibraryFileCopy::hash(path, progress, cancel);
    if (hashed.error != RVXLibraryFileCopy::Error::None)
        return hashed.message;
    r.size = hashed.size;
    r.sha256 = hashed.sha256;
    r.length = RVXTrip::movieLength(RVXMedia(path));
    if (named.isRepairedCopy())
        r.state = RVXLibraryRecording::State::Repaired;
    else if (RVXRecordingDiagnosis::diagnose(path).state == RVXRecordingDiagnosis::State::CutShort)
        r.state = RVXLibraryRecording::State::Cut;
    return r;
}

QStringList RVXLibrary::protectedPaths() const {
    QFile f(QDir(m_folder).filePath(kProtectedName));
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QString path = QString::fromUtf8(line.trimmed());
        if (!path.isEmpty())
            out << path;
    }
    return out;
}

std::optional<QString> RVXLibrary::writeProtectedList(const std::vector<int64_t>& ids, bool on) {
    QStringList paths = protectedPaths();
    for (int64_t id : ids) {
        const std::optional<RVXLibraryRecording> r = m_index->recording(id);
        if (!r)
            continue;
        if (on)
            paths << r->path;
        else
            paths.removeAll(r->path);
    }
    paths.sort();
    paths.removeDuplicates();
    QSaveFile f(QDir(m_folder).filePath(kProtectedName));
    if (!f.open(QIODevice::WriteOnly))
        return QStringLiteral("%1: %2").arg(f.fileName(), f.errorString());
    f.write(paths.isEmpty() ? QByteArray() : (paths.join(u'\n') + u'\n').toUtf8());
    // QSaveFile writes beside and renames; the folder's sync makes the rename last.
    if (!f.commit())
        return QStringLiteral("%1: %2").arg(f.fileName(), f.errorString());
    RVXLibraryFileCopy::syncFolder(m_folder);
    return std::nullopt;
}

std::optional<QString> RVXLibrary::protectRecordings(const std::vector<int64_t>& ids, bool on) {
    if (auto error = writeProtectedList(ids, on))
        return error;
    return m_index->setProtected(ids, on);
}

std::optional<QString> RVXLibrary::protectTrip(int64_t trip, bool on) {
    const std::optional<RVXLibraryTrip> t = m_index->trip(trip);
    if (!t)
        return QStringLiteral("no trip %1 in the library").arg(trip);
    std::vector<int64_t> ids;
    for (const RVXLibraryTripUnit& u : t->units) {
        ids.push_back(u.recording);
        if (u.partner)
            ids.push_back(u.partner);
    }
    return protectRecordings(ids, on);
}

std::optional<QString> RVXLibrary::protectEvent(int64_t event, bool on) {
    const std::optional<RVXLibraryEvent> e = m_index->event(event);
    if (!e)
        return QStringLiteral("no event %1 in the library").arg(event);
    std::vector<int64_t> ids{e->recording};
    if (const std::optional<RVXLibraryRecording> r = m_index->recording(e->recording);
        r && r->partner)
        ids.push_back(r->partner);
    return protectRecordings(ids, on);
}

std::optional<QString> RVXLibrary::finishDeletions() {
    for (const RVXLibraryRecording& r : m_index->deletingRecordings()) {
        const QString path = absolutePath(r.path);
        if (QFile::exists(path) && !QFile::remove(path))
            return QStringLiteral("cannot delete %1").arg(path);
        const QString dayDir = QFileInfo(path).path();
        RVXLibraryFileCopy::syncFolder(dayDir);
        if (auto error = m_index->removeRecording(r.id))
            return error;
        // An emptied day, and then its year, go too; rmdir leaves a folder with anything in.
        QDir().rmdir(dayDir);
        QDir().rmdir(QFileInfo(dayDir).path());
    }
    return std::nullopt;
}

std::optional<QString> RVXLibrary::deleteRecordings(const std::vector<int64_t>& ids) {
    if (auto error = m_index->setDeleting(ids))
        return error;
    if (auto error = finishDeletions())
        return error;
    return RVXLibraryDrives::workOutAwaiting(*this);
}

std::optional<QString> RVXLibrary::recover(const std::atomic<bool>* cancel) {
    if (auto error = finishDeletions())
        return error;
    for (const QString& temp : dayFiles(true))
        QFile::remove(absolutePath(temp));

    const std::vector<RVXLibraryRecording> all = m_index->recordings({});
    QSet<QString> indexed;
    const QStringList listed = protectedPaths();
    const QSet<QString> wanted(listed.begin(), listed.end());
    std::vector<int64_t> protect, free;
    for (const RVXLibraryRecording& r : all) {
        indexed.insert(r.path);
        if (wanted.contains(r.path) && !r.isProtected)
            protect.push_back(r.id);
        else if (!wanted.contains(r.path) && r.isProtected)
            free.push_back(r.id);
    }
    if (!protect.empty())
        if (auto error = m_index->setProtected(protect, true))
            return error;
    if (!free.empty())
        if (auto error = m_index->setProtected(free, false))
            return error;

    // A file is given its own name only once whole and on the disk; one without a row was
    // stopped between the rename and the insert.
    for (const QString& relative : dayFiles()) {
        if (indexed.contains(relative))
            continue;
        if (cancel && cancel->load())
            return QStringLiteral("cancelled");
        auto described = describe(relative, cancel);
        if (auto* r = std::get_if<RVXLibraryRecording>(&described)) {
            r->isProtected = wanted.contains(relative);
            if (auto error = m_index->addRecording(*r))
                return error;
        }
    }
    return RVXLibraryDrives::workOutAwaiting(*this, cancel);
}
