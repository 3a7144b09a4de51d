// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryManifest.h"

#include "core/library/RVXLibraryFileCopy.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

std::optional<QString> RVXLibraryManifest::write(const QString& folder) const {
    QJsonObject c{{QStringLiteral("label"), card.label},
                  {QStringLiteral("filesystemUuid"), card.filesystemUuid},
                  {QStringLiteral("driveSerial"), card.driveSerial},
                  {QStringLiteral("source"), card.source}};
    QJsonObject o{{QStringLiteral("started"), record.started},
                  {QStringLiteral("finished"), record.finished},
                  {QStringLiteral("source"), record.source},
                  {QStringLiteral("choice"),
                   QLatin1String(RVXLibraryImportRecord::choiceName(record.choice))},
                  {QStringLiteral("added"), qint64(record.added)},
                  {QStringLiteral("skipped"), qint64(record.skipped)},
                  {QStringLiteral("clashes"), qint64(record.clashes)},
                  {QStringLiteral("failed"), qint64(record.failed)},
                  {QStringLiteral("bytes"), qint64(record.bytes)},
                  {QStringLiteral("card"), c}};
    if (record.newestMoment)
        o.insert(QStringLiteral("newestMoment"), qint64(*record.newestMoment));
    QSaveFile f(QDir(folder).filePath(kName));
    if (!f.open(QIODevice::WriteOnly))
        return QStringLiteral("%1: %2").arg(f.fileName(), f.errorString());
    f.write(QJsonDocument(o).toJson());
    if (!f.commit())
        return QStringLiteral("%1: %2").arg(f.fileName(), f.errorString());
    RVXLibraryFileCopy::syncFolder(folder);
    return std::nullopt;
}

std::optional<RVXLibraryManifest> RVXLibraryManifest::read(const QString& folder) {
    QFile f(QDir(folder).filePath(kName));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    const QJsonObject c = o.value(u"card").toObject();
    RVXLibraryManifest m;
    m.card.label = c.value(u"label").toString();
    m.card.filesystemUuid = c.value(u"filesystemUuid").toString();
    m.card.driveSerial = c.value(u"driveSerial").toString();
    m.card.source = c.value(u"source").toString();
    m.record.started = o.value(u"started").toString();
    m.record.finished = o.value(u"finished").toString();
    m.record.source = o.value(u"source").toString();
    m.record.choice = RVXLibraryImportRecord::choiceNamed(o.value(u"choice").toString())
                          .value_or(m.record.choice);
    m.record.added = o.value(u"added").toInteger();
    m.record.skipped = o.value(u"skipped").toInteger();
    m.record.clashes = o.value(u"clashes").toInteger();
    m.record.failed = o.value(u"failed").toInteger();
    m.record.bytes = o.value(u"bytes").toInteger();
    if (o.contains(u"newestMoment"))
        m.record.newestMoment = o.value(u"newestMoment").toInteger();
    return m;
}
