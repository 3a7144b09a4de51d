// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/library/RVXLibraryImportPanel.h"

#include "core/library/RVXLibraryImport.h"
#include "core/support/RVXLocalizedString.h"
#include "widgets/PMProgressIndicator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

RVXLibraryImportPanel::RVXLibraryImportPanel(QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("libraryImportPanel"));
    setWindowTitle(RVXLocalizedString("library.title"));
    setMinimumWidth(460);
    auto* layout = new QVBoxLayout(this);
    m_title = new QLabel();
    m_title->setObjectName(QStringLiteral("libraryTaskTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_text = new QLabel();
    m_text->setObjectName(QStringLiteral("libraryTaskText"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_bar = new PMProgressIndicator();
    m_bar->setObjectName(QStringLiteral("libraryTaskProgress"));
    m_bar->setRange(0, 100);
    m_remaining = new QLabel();
    m_remaining->setObjectName(QStringLiteral("libraryTaskRemaining"));
    m_bar->setProgressText(m_remaining);
    m_bar->setDisplayTimeRemaining(true);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_cancel = new QPushButton(RVXLocalizedString("library.cancel"));
    m_cancel->setObjectName(QStringLiteral("libraryTaskCancel"));
    m_close = new QPushButton(RVXLocalizedString("library.close"));
    m_close->setObjectName(QStringLiteral("libraryTaskClose"));
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_close);
    for (QWidget* w : {static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_text),
                       static_cast<QWidget*>(m_bar), static_cast<QWidget*>(m_remaining)})
        layout->addWidget(w);
    layout->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_cancelFlag)
            m_cancelFlag->store(true);
        m_cancel->setEnabled(false);
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

std::shared_ptr<std::atomic<bool>> RVXLibraryImportPanel::start(const QString& title,
                                                                const QString& text) {
    m_busy = true;
    m_cancelFlag = std::make_shared<std::atomic<bool>>(false);
    m_title->setText(title);
    m_text->setText(text);
    m_remaining->clear();
    m_bar->setIndeterminate(true);
    m_bar->setDoubleValue(0);
    m_bar->show();
    m_bar->setDrawDockProgress(true);
    m_cancel->setEnabled(true);
    m_cancel->show();
    m_close->hide();
    show();
    raise();
    return m_cancelFlag;
}

void RVXLibraryImportPanel::showProgress(const RVXLibraryProgress& progress) {
    if (!m_busy)
        return;
    m_bar->setIndeterminate(false);
    if (progress.totalBytes > 0)
        m_bar->setDoubleValue(100.0 * double(progress.doneBytes) / double(progress.totalBytes));
    m_text->setText(RVXLocalizedString("library.progress_fmt")
                        .arg(progress.doneFiles)
                        .arg(progress.totalFiles)
                        .arg(RVXLibraryImport::sizeText(progress.doneBytes),
                             RVXLibraryImport::sizeText(progress.totalBytes), progress.file));
}

std::function<void(const RVXLibraryProgress&)> RVXLibraryImportPanel::progressFromWorker() {
    QPointer<RVXLibraryImportPanel> panel(this);
    return [panel](const RVXLibraryProgress& p) {
        QMetaObject::invokeMethod(
            panel,
            [panel, p] {
                if (panel)
                    panel->showProgress(p);
            },
            Qt::QueuedConnection);
    };
}

void RVXLibraryImportPanel::finish(const QString& text) {
    m_busy = false;
    m_cancelFlag.reset();
    m_bar->setDrawDockProgress(false);
    m_bar->setIndeterminate(false);
    m_bar->hide();
    m_remaining->clear();
    m_text->setText(text);
    m_cancel->hide();
    m_close->show();
    show();
}

QString RVXLibraryImportPanel::text() const {
    return m_text->text();
}
