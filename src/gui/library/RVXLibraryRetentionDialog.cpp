// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/library/RVXLibraryRetentionDialog.h"

#include "ui_RVXLibraryRetentionDialog.h"

#include "core/library/RVXLibrary.h"
#include "core/library/RVXLibraryImport.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/library/RVXLibraryJob.h"

#include <variant>

RVXLibraryRetentionDialog::RVXLibraryRetentionDialog(QString folder, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::RVXLibraryRetentionDialog>())
    , m_folder(std::move(folder)) {
    ui->setupUi(this);
    setWindowTitle(RVXLocalizedString("action.retention").remove(u'&').remove(u'…'));
    ui->explanation->setText(RVXLocalizedString("retention.explanation"));
    ui->keepDaysButton->setText(RVXLocalizedString("retention.keep_days"));
    ui->daysUnit->setText(RVXLocalizedString("retention.days"));
    ui->maxSizeButton->setText(RVXLocalizedString("retention.max_size"));
    ui->sizeUnit->setText(QStringLiteral("GB"));
    ui->showButton->setText(RVXLocalizedString("retention.show"));
    ui->deleteButton->setText(RVXLocalizedString("retention.delete"));
    ui->closeButton->setText(RVXLocalizedString("library.close"));
    connect(ui->showButton, &QPushButton::clicked, this, &RVXLibraryRetentionDialog::showPlan);
    connect(ui->deleteButton, &QPushButton::clicked, this,
            &RVXLibraryRetentionDialog::deleteListed);
    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::close);
    // A changed rule makes the list shown stale: it must be shown again before a deletion.
    const auto stale = [this] {
        m_plan.reset();
        ui->deleteButton->setEnabled(false);
    };
    connect(ui->keepDays, &QSpinBox::valueChanged, this, stale);
    connect(ui->maxGigabytes, &QDoubleSpinBox::valueChanged, this, stale);
    connect(ui->keepDaysButton, &QRadioButton::toggled, this, stale);
}

RVXLibraryRetentionDialog::~RVXLibraryRetentionDialog() = default;

RVXLibraryRetention::Rule RVXLibraryRetentionDialog::rule() const {
    RVXLibraryRetention::Rule rule;
    if (ui->keepDaysButton->isChecked())
        rule.keepDays = ui->keepDays->value();
    else
        rule.maxBytes = int64_t(ui->maxGigabytes->value() * 1e9);
    return rule;
}

void RVXLibraryRetentionDialog::setBusy(bool busy) {
    ui->showButton->setEnabled(!busy);
    ui->deleteButton->setEnabled(!busy && m_plan && !m_plan->remove.empty());
}

void RVXLibraryRetentionDialog::showPlan() {
    m_plan.reset();
    setBusy(true);
    const QString where = m_folder;
    const RVXLibraryRetention::Rule r = rule();
    using Planned = std::variant<RVXLibraryRetention::Plan, QString>;
    RVXLibraryJob<Planned>(
        this,
        [where, r]() -> Planned {
            RVXLibrary library(where);
            if (std::optional<QString> error = library.open(false))
                return *error;
            return RVXLibraryRetention::plan(library, r);
        },
        [this](Planned planned) {
            ui->toDelete->clear();
            if (const QString* error = std::get_if<QString>(&planned)) {
                ui->summary->setText(*error);
                setBusy(false);
                return;
            }
            m_plan = std::get<RVXLibraryRetention::Plan>(planned);
            for (const RVXLibraryRecording& r : m_plan->remove)
                ui->toDelete->addItem(r.path);
            QString text = m_plan->remove.empty()
                               ? RVXLocalizedString("retention.nothing")
                               : RVXLocalizedString("retention.plan_fmt")
                                     .arg(m_plan->remove.size())
                                     .arg(RVXLibraryImport::sizeText(m_plan->freedBytes))
                                     .arg(RVXLibraryImport::sizeText(m_plan->totalBytes));
            if (m_plan->shortfall)
                text += u'\n' + *m_plan->shortfall;
            ui->summary->setText(text);
            setBusy(false);
            Q_EMIT planShown(int(m_plan->remove.size()));
        });
}

void RVXLibraryRetentionDialog::deleteListed() {
    if (!m_plan || m_plan->remove.empty())
        return;
    const RVXLibraryRetention::Plan plan = *m_plan;
    m_plan.reset();
    setBusy(true);
    const QString where = m_folder;
    RVXLibraryJob<std::optional<QString>>(
        this,
        [where, plan]() -> std::optional<QString> {
            RVXLibrary library(where);
            if (std::optional<QString> error = library.open(false))
                return error;
            return RVXLibraryRetention::apply(library, plan);
        },
        [this, count = plan.remove.size()](std::optional<QString> error) {
            ui->toDelete->clear();
            ui->summary->setText(error ? *error
                                       : RVXLocalizedString("retention.deleted_fmt").arg(count));
            setBusy(false);
            Q_EMIT deleted(!error);
        });
}
