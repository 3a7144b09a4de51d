// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "cli/CliJson.h"

#include "core/settings/RVXSettingFile.h"
#include "core/settings/RVXSettingPageCheck.h"
#include "core/support/RVXLittleEndian.h"

#include <QFile>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr qint64 kRecordSize = 500;

uint32_t le(const QByteArray& b, int offset, int width) {
    return RVXReadLittleEndian(reinterpret_cast<const unsigned char*>(b.constData()) + offset,
                               width);
}

void putLe(QByteArray& b, int offset, int width, uint32_t v) {
    RVXWriteLittleEndian(reinterpret_cast<unsigned char*>(b.data()) + offset, v, width);
}

QByteArray floatText(float f) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, f);
    return QByteArray(buffer, r.ptr - buffer);
}

// A field's value as JSON text, read off the record's bytes.
QByteArray valueJson(const QByteArray& bytes, const RVXSettingField& f) {
    switch (f.kind) {
    case RVXFieldKind::U8:
        return QByteArray::number(uint8_t(bytes[f.offset]));
    case RVXFieldKind::U16:
    case RVXFieldKind::U32:
        return QByteArray::number(le(bytes, f.offset, f.width));
    case RVXFieldKind::I32:
        return QByteArray::number(int32_t(le(bytes, f.offset, 4)));
    case RVXFieldKind::F32: {
        const uint32_t bits = le(bytes, f.offset, 4);
        float value;
        std::memcpy(&value, &bits, 4);
        return std::isfinite(value) ? floatText(value) : QByteArray("null");
    }
    case RVXFieldKind::Text:
        return CliJson::quoted(RVXSettingText(bytes.constData() + f.offset, f.width));
    case RVXFieldKind::U32Array: {
        QByteArray list = "[";
        for (int i = 0; i < f.width; i += 4)
            list += (i ? "," : "") + QByteArray::number(le(bytes, f.offset + i, 4));
        return list + ']';
    }
    }
    return "null";
}

std::optional<QByteArray> readRecordFile(const QString& path, const char* command) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cliErr(QStringLiteral("ruvex-card %1: %2: %3\n")
                   .arg(QLatin1String(command), path, file.errorString()));
        return std::nullopt;
    }
    if (file.size() != kRecordSize) {
        cliErr(QStringLiteral("ruvex-card %1: %2: a settings file has 500 bytes, this one %3\n")
                   .arg(QLatin1String(command), path)
                   .arg(file.size()));
        return std::nullopt;
    }
    return file.readAll();
}

// NAME=VALUE into the record's bytes; the reason when the name or value is wrong.
std::optional<QString> assign(QByteArray& bytes, const QString& assignment) {
    const qsizetype equals = assignment.indexOf(u'=');
    if (equals <= 0)
        return QStringLiteral("expected NAME=VALUE, got '%1'").arg(assignment);
    const QByteArray name = assignment.left(equals).toUtf8();
    const QString text = assignment.mid(equals + 1);
    const RVXSettingField* f = RVXSettingFieldNamed(name.constData());
    if (!f)
        return QStringLiteral("no setting is named '%1'").arg(QString::fromUtf8(name));
    bool ok = false;
    switch (f->kind) {
    case RVXFieldKind::U8:
    case RVXFieldKind::U16:
    case RVXFieldKind::U32: {
        const qulonglong v = text.toULongLong(&ok);
        const uint64_t max = f->width == 1 ? 0xff : f->width == 2 ? 0xffff : 0xffffffffu;
        if (!ok || v > max)
            return QStringLiteral("%1 takes a whole number from 0 to %2")
                .arg(QString::fromUtf8(name))
                .arg(max);
        putLe(bytes, f->offset, f->width, uint32_t(v));
        return std::nullopt;
    }
    case RVXFieldKind::I32: {
        const qlonglong v = text.toLongLong(&ok);
        if (!ok || v < std::numeric_limits<int32_t>::min() ||
            v > std::numeric_limits<int32_t>::max())
            return QStringLiteral("%1 takes a signed 32-bit whole number")
                .arg(QString::fromUtf8(name));
        putLe(bytes, f->offset, 4, uint32_t(int32_t(v)));
        return std::nullopt;
    }
    case RVXFieldKind::F32: {
        const float v = text.toFloat(&ok);
        if (!ok || !std::isfinite(v))
            return QStringLiteral("%1 takes a decimal number").arg(QString::fromUtf8(name));
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putLe(bytes, f->offset, 4, bits);
        return std::nullopt;
    }
    case RVXFieldKind::Text:
        RVXSetSettingText(bytes.data() + f->offset, f->width, text);
        return std::nullopt;
    case RVXFieldKind::U32Array:
        return QStringLiteral("%1 is spare space and cannot be set").arg(QString::fromUtf8(name));
    }
    return QStringLiteral("cannot set %1").arg(QString::fromUtf8(name));
}

int show(const QStringList& args) {
    const bool json = args.contains(QStringLiteral("--json"));
    QStringList files = args;
    files.removeAll(QStringLiteral("--json"));
    if (files.size() != 1 || files[0].startsWith(u'-')) {
        cliErr(QStringLiteral("usage: ruvex-card config show FILE [--json]\n"));
        return CliUsage;
    }
    const auto bytes = readRecordFile(files[0], "config show");
    if (!bytes)
        return CliUsage;
    _FILEDATA record{};
    RVXSettingFromBytes(*bytes, record);
    const bool checksumValid = record.checksum == RVXSettingChecksum(record);
    if (json) {
        CliJson out;
        for (const RVXSettingField& f : RVXSettingFields())
            out.addRaw(f.name, valueJson(*bytes, f));
        out.add("checksumValid", checksumValid);
        cliOut(out.toJson() + '\n');
        return CliOk;
    }
    for (const RVXSettingField& f : RVXSettingFields())
        cliOut(QString::fromLatin1(f.name).leftJustified(28) +
               QString::fromUtf8(valueJson(*bytes, f)) + u'\n');
    cliOut(QStringLiteral("checksumValid").leftJustified(28) +
           QLatin1String(checksumValid ? "true\n" : "false\n"));
    return CliOk;
}

int defaults(const QStringList& args) {
    if (args.size() != 2 || args[0] != u"--out") {
        cliErr(QStringLiteral("usage: ruvex-card config defaults --out FILE\n"));
        return CliUsage;
    }
    if (auto error = writeDefaultSettingFile(args[1])) {
        cliErr(QStringLiteral("ruvex-card config defaults: %1: %2\n").arg(args[1], *error));
        return CliNotFound;
    }
    return CliOk;
}

// A text the field cannot hold as given (too long, or not in the camera's characters).
std::optional<QString> textNotKept(const QByteArray& bytes, const QString& assignment) {
    const qsizetype equals = assignment.indexOf(u'=');
    const RVXSettingField* f = RVXSettingFieldNamed(assignment.left(equals).toUtf8().constData());
    if (!f || f->kind != RVXFieldKind::Text)
        return std::nullopt;
    const QString asked = assignment.mid(equals + 1);
    const QString kept = RVXSettingText(bytes.constData() + f->offset, f->width);
    if (kept == asked)
        return std::nullopt;
    return QStringLiteral("%1 holds at most %2 bytes of text; '%3' would be stored as '%4'")
        .arg(QLatin1String(f->name))
        .arg(f->width)
        .arg(asked, kept);
}

int set(const QStringList& args) {
    QString out;
    QStringList rest;
    bool raw = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--out" && i + 1 < args.size())
            out = args[++i];
        else if (args[i] == u"--raw")
            raw = true;
        else
            rest << args[i];
    }
    if (rest.size() < 2 || rest[0].startsWith(u'-')) {
        cliErr(QStringLiteral(
            "usage: ruvex-card config set FILE NAME=VALUE... [--raw] [--out OTHER]\n"));
        return CliUsage;
    }
    auto bytes = readRecordFile(rest[0], "config set");
    if (!bytes)
        return CliUsage;
    const QByteArray original = *bytes;
    for (const QString& assignment : rest.mid(1)) {
        if (auto error = assign(*bytes, assignment)) {
            cliErr(QStringLiteral("ruvex-card config set: %1; nothing written\n").arg(*error));
            return CliUsage;
        }
    }
    for (const QString& assignment : rest.mid(1)) {
        if (auto error = textNotKept(*bytes, assignment)) {
            cliErr(QStringLiteral("ruvex-card config set: %1; nothing written\n").arg(*error));
            return CliNotFound;
        }
    }
    _FILEDATA before{}, record{};
    RVXSettingFromBytes(original, before);
    RVXSettingFromBytes(*bytes, record);
    // The editor would refuse or quietly change such a value; a script must hear of it.
    // --raw is for writing what a camera might hold, such as a value out of range.
    if (!raw) {
        if (auto refusal = RVXSettingPagesRefusal(before, record)) {
            cliErr(QStringLiteral("ruvex-card config set: %1; nothing written (--raw stores "
                                  "it as given)\n")
                       .arg(*refusal));
            return CliNotFound;
        }
    }
    RVXSealSetting(record);
    const QString target = out.isEmpty() ? rest[0] : out;
    if (auto error = writeSettingFile(record, target)) {
        cliErr(QStringLiteral("ruvex-card config set: %1: %2\n").arg(target, *error));
        return CliNotFound;
    }
    return CliOk;
}

} // namespace

int runConfig(const QStringList& args) {
    const QString sub = args.value(0);
    if (sub == u"show")
        return show(args.mid(1));
    if (sub == u"defaults")
        return defaults(args.mid(1));
    if (sub == u"set")
        return set(args.mid(1));
    if (sub == u"pages")
        return runConfigPages(args.mid(1));
    if (sub == u"edit")
        return runConfigEdit(args.mid(1));
    cliErr(QStringLiteral("usage: ruvex-card config show|defaults|set|pages|edit ...\n"));
    return CliUsage;
}
