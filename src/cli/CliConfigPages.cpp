// SPDX-License-Identifier: GPL-3.0-or-later
// The settings editor's pages without a window: what each control shows for a record,
// and a record edited as a user would on a page.
#include "cli/CliCommands.h"

#include "cli/CliJson.h"

#include "core/settings/RVXSettingFile.h"
#include "core/settings/RVXSettingPages.h"
#include "core/support/RVXLocalizedString.h"

#include <QFile>

namespace {

using Kind = RVXPageControl::Kind;

std::optional<_FILEDATA> readRecord(const QString& path, const char* command) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cliErr(QStringLiteral("ruvex-card %1: %2: %3\n")
                   .arg(QLatin1String(command), path, file.errorString()));
        return std::nullopt;
    }
    if (file.size() != qint64(sizeof(_FILEDATA))) {
        cliErr(QStringLiteral("ruvex-card %1: %2: a settings file has 500 bytes, this one %3\n")
                   .arg(QLatin1String(command), path)
                   .arg(file.size()));
        return std::nullopt;
    }
    _FILEDATA record{};
    RVXSettingFromBytes(file.readAll(), record);
    return record;
}

QByteArray controlJson(const RVXPageControl& c) {
    CliJson json;
    switch (c.kind) {
    case Kind::Segmented:
    case Kind::Combo:
    case Kind::Matrix:
        json.add("index", int64_t(c.index)).add("label", c.selectedLabel());
        break;
    case Kind::Check:
    case Kind::Radio:
        json.add("checked", c.checked);
        break;
    case Kind::Text:
        json.add("text", c.text);
        if (!c.editable)
            json.add("editable", false);
        break;
    case Kind::Stepper:
    case Kind::Value:
        return CliJson().add("value", c.value).toJson();
    }
    json.add("enabled", c.enabled);
    return json.toJson();
}

QString controlLine(const RVXPageControl& c) {
    QString shown;
    switch (c.kind) {
    case Kind::Segmented:
    case Kind::Combo:
    case Kind::Matrix:
        shown = c.index >= 0 ? QStringLiteral("%1 (%2)").arg(c.selectedLabel()).arg(c.index)
                             : QStringLiteral("(none)");
        break;
    case Kind::Check:
    case Kind::Radio:
        shown = c.checked ? QStringLiteral("[x]") : QStringLiteral("[ ]");
        break;
    case Kind::Text:
        shown = u'"' + c.text + u'"';
        break;
    case Kind::Stepper:
    case Kind::Value:
        shown = QString::number(c.value);
        break;
    }
    return QStringLiteral("  %1 / %2: %3%4\n")
        .arg(RVXLocalizedString(c.groupKey.toUtf8().constData()), c.name, shown,
             c.enabled ? QString() : QStringLiteral("  (disabled)"));
}

int pages(const QStringList& args) {
    QString file, only;
    bool json = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--json")
            json = true;
        else if (args[i] == u"--page" && i + 1 < args.size())
            only = args[++i];
        else if (file.isEmpty() && !args[i].startsWith(u'-'))
            file = args[i];
        else
            file.clear(), i = args.size();
    }
    if (file.isEmpty()) {
        cliErr(QStringLiteral("usage: ruvex-card config pages FILE [--page NAME] [--json]\n"));
        return CliUsage;
    }
    if (!only.isEmpty() && !RVXSettingPageNames().contains(only)) {
        cliErr(QStringLiteral("ruvex-card config pages: no page '%1' (pages: %2)\n")
                   .arg(only, RVXSettingPageNames().join(u", ")));
        return CliUsage;
    }
    auto record = readRecord(file, "config pages");
    if (!record)
        return CliNotFound;
    CliJson all;
    for (const QString& name : RVXSettingPageNames()) {
        if (!only.isEmpty() && name != only)
            continue;
        // Each page shows a record of its own, as the editor shows one page at a time.
        _FILEDATA shown = *record;
        const auto page = RVXMakeSettingPage(name);
        page->setFileData(&shown);
        if (json) {
            CliJson controls;
            for (const RVXPageControl& c : page->controls())
                controls.addRaw(c.name.toUtf8().constData(), controlJson(c));
            all.addRaw(name.toUtf8().constData(), controls.toJson());
        } else {
            cliOut(QStringLiteral("%1 (%2)\n")
                       .arg(name, RVXLocalizedString(page->titleKey().toUtf8().constData())));
            for (const RVXPageControl& c : page->controls())
                cliOut(controlLine(c));
        }
    }
    if (json)
        cliOut(all.toJson() + '\n');
    return CliOk;
}

int edit(const QStringList& args) {
    QString file, pageName, out;
    QStringList assignments;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--page" && i + 1 < args.size())
            pageName = args[++i];
        else if (args[i] == u"--out" && i + 1 < args.size())
            out = args[++i];
        else if (file.isEmpty() && !args[i].startsWith(u'-'))
            file = args[i];
        else if (args[i].contains(u'=') && !args[i].startsWith(u'-'))
            assignments << args[i];
        else
            pageName.clear(), i = args.size();
    }
    if (file.isEmpty() || pageName.isEmpty()) {
        cliErr(QStringLiteral("usage: ruvex-card config edit FILE --page NAME "
                              "[CONTROL=VALUE]... [--out OTHER]\n"));
        return CliUsage;
    }
    const auto page = RVXMakeSettingPage(pageName);
    if (!page) {
        cliErr(QStringLiteral("ruvex-card config edit: no page '%1' (pages: %2)\n")
                   .arg(pageName, RVXSettingPageNames().join(u", ")));
        return CliUsage;
    }
    auto record = readRecord(file, "config edit");
    if (!record)
        return CliNotFound;
    page->setFileData(&*record);
    for (const QString& assignment : assignments) {
        const qsizetype equals = assignment.indexOf(u'=');
        const QString name = assignment.left(equals), value = assignment.mid(equals + 1);
        if (auto error = page->userSet(name, value)) {
            cliErr(QStringLiteral("ruvex-card config edit: %1; nothing written\n").arg(*error));
            return CliUsage;
        }
        // The window's field filters as the user types, which the user sees; a script
        // would never learn its value was changed.
        const RVXPageControl* c = page->control(name);
        if (c->kind == Kind::Text && c->text != value) {
            cliErr(QStringLiteral("ruvex-card config edit: %1 '%2' would be stored as '%3': %4; "
                                  "nothing written\n")
                       .arg(name, value, c->text, page->textRule(name)));
            return CliNotFound;
        }
    }
    // Leaving the page as saving does: checked, stored, sealed.
    if (auto failure = page->validateUserInput()) {
        cliErr(QStringLiteral("ruvex-card config edit: %1: %2; nothing written\n")
                   .arg(failure->control, failure->message));
        return CliNotFound;
    }
    const bool stored = page->populate();
    for (const QString& warning : page->takeWarnings())
        cliErr(QStringLiteral("Warning: %1\n").arg(warning));
    if (!stored)
        return CliNotFound;
    RVXSealSetting(*record);
    const QString target = out.isEmpty() ? file : out;
    if (auto error = writeSettingFile(*record, target)) {
        cliErr(QStringLiteral("ruvex-card config edit: %1: %2\n")
                   .arg(target, RVXLocalizedString(error->toUtf8().constData())));
        return CliNotFound;
    }
    return CliOk;
}

} // namespace

int runConfigPages(const QStringList& args) {
    return pages(args);
}

int runConfigEdit(const QStringList& args) {
    return edit(args);
}
