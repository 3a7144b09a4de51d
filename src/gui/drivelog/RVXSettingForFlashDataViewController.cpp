// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/drivelog/RVXSettingForFlashDataViewController.h"

#include "core/drivelog/RVXFlashDataModel.h"
#include "core/support/RVXCFormat.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "core/telemetry/RVXNmeaToDegrees.h"
#include "gui/player/RVXMapWindowController.h"
#include "gui/settings/RVXSettingController.h"
#include "ui_RVXSettingForFlashDataViewController.h"
#include "widgets/RVXPageHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>

namespace {

// A record's position in decimal degrees, read as the table shows it (ddmm.mmmm); the
// log has no hemisphere, so north and east.
std::pair<double, double> degreesOf(const RVXFlashDataModel& model, int row) {
    const double latitude = model.stringForColumnIndex(5, row).toDouble();
    const double longitude = model.stringForColumnIndex(6, row).toDouble();
    double lng = 0, lat = 0;
    RVXNmeaToDegrees(longitude, latitude, &lng, &lat);
    return {lng, lat};
}

} // namespace

RVXSettingForFlashDataViewController::RVXSettingForFlashDataViewController(QWidget* parent)
    : RVXSettingViewController(nullptr, parent)
    , m_ui(std::make_unique<Ui::RVXSettingForFlashDataViewController>())
    , m_model(new RVXFlashDataModel(this)) {
    m_ui->setupUi(this);
    tableView = m_ui->tableView;
    tableView->setModel(m_model);
    tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView->verticalHeader()->hide();
    tableView->verticalHeader()->setDefaultSectionSize(20);
    QFont font = tableView->font();
    font.setPixelSize(11);
    tableView->setFont(font);
    QHeaderView* header = tableView->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignCenter);
    // A moved column still shows its own field: the model answers by logical column.
    header->setSectionsMovable(true);
    const QList<int> widths = RVXFlashDataModel::columnWidths();
    for (int c = 0; c < widths.size(); ++c)
        header->resizeSection(c, widths[c]);
    m_ui->openButton->setText(RVXLocalizedString("open"));
    m_ui->exportButton->setText(RVXLocalizedString("export"));
    connect(m_ui->openButton, &QPushButton::clicked, this,
            &RVXSettingForFlashDataViewController::openFileDialog);
    connect(m_ui->exportButton, &QPushButton::clicked, this,
            &RVXSettingForFlashDataViewController::onSaveCSVFile);
    // A double-click, or Enter on the selected row.
    connect(tableView, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { doubleClickTableRow(index.row()); });
}

RVXSettingForFlashDataViewController::~RVXSettingForFlashDataViewController() {
    ++m_readGeneration;
}

void RVXSettingForFlashDataViewController::setFileData(_FILEDATA* fileData) {
    m_fileData = fileData;
    displayFileData();
}

void RVXSettingForFlashDataViewController::displayFileData() {
    if (!m_fileData || !firstLoad)
        return;
    firstLoad = false;
    if (!m_FlashDataFilePath.isEmpty() && QFileInfo::exists(m_FlashDataFilePath))
        loadFlashDataFile();
}

void RVXSettingForFlashDataViewController::loadFlashDataFile() {
    if (m_FlashDataFilePath.isEmpty())
        return;
    if (mainController())
        mainController()->showLoading(QStringLiteral("Loading..."));
    const uint64_t generation = ++m_readGeneration;
    const QString path = m_FlashDataFilePath;
    QPointer<RVXSettingForFlashDataViewController> self(this);
    // The table keeps its rows until the new ones are complete.
    QThreadPool::globalInstance()->start([self, generation, path] {
        auto records =
            std::make_shared<std::optional<std::vector<FlashDataRecord>>>(readFlashDataFile(path));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, records] {
                if (!self || generation != self->m_readGeneration)
                    return;
                if (*records) {
                    self->m_model->setRecords(std::move(**records));
                    self->fitColumns();
                }
                if (self->mainController())
                    self->mainController()->hideLoading();
                Q_EMIT self->flashDataLoaded();
            },
            Qt::QueuedConnection);
    });
}

// The columns keep their set widths unless a text needs more: a cut-off position is of
// no use.
void RVXSettingForFlashDataViewController::fitColumns() {
    const QList<int> widths = RVXFlashDataModel::columnWidths();
    QHeaderView* header = tableView->horizontalHeader();
    for (int c = 0; c < widths.size(); ++c) {
        tableView->resizeColumnToContents(c);
        header->resizeSection(c, std::max(widths[c], header->sectionSize(c)));
    }
}

void RVXSettingForFlashDataViewController::releaseMapWindow() {
    m_mapWindowController.reset();
}

void RVXSettingForFlashDataViewController::onHide() {
    releaseMapWindow();
}

void RVXSettingForFlashDataViewController::openFileDialog() {
    releaseMapWindow();
    const QString path =
        openPanel ? openPanel()
                  : QFileDialog::getOpenFileName(window(), QString(), QString(),
                                                 QStringLiteral("Drive log (*.drv *.DRV)"));
    if (path.isEmpty())
        return;
    m_FlashDataFilePath = path;
    loadFlashDataFile();
}

QString RVXSettingForFlashDataViewController::openSavePanel() {
    if (savePanel)
        return savePanel();
    QFileDialog panel(window());
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setNameFilter(QStringLiteral("CSV (*.csv)"));
    panel.setDefaultSuffix(QStringLiteral("csv"));
    panel.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    panel.selectFile(QStringLiteral("zamo_000"));
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return {};
    return panel.selectedFiles().first();
}

void RVXSettingForFlashDataViewController::onSaveCSVFile() {
    releaseMapWindow();
    if (m_model->m_FlashDataNum() <= 0)
        return;
    const QString path = openSavePanel();
    if (path.isEmpty())
        return;
    if (mainController())
        mainController()->showLoading(QStringLiteral("Saving..."));
    QPointer<RVXSettingForFlashDataViewController> self(this);
    // The worker writes from a copy of the rows, never from the table's own.
    auto rows = std::make_shared<std::vector<FlashDataRecord>>(m_model->records());
    QThreadPool::globalInstance()->start([self, rows, path] {
        RVXFlashDataModel copy;
        copy.setRecords(std::move(*rows));
        const QString error = copy.doWriteCSVFile(path).value_or(QString());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, error, path] {
                if (!self)
                    return;
                if (self->mainController())
                    self->mainController()->hideLoading();
                QTimer::singleShot(500, self.data(), [self, error, path] {
                    if (error.isEmpty())
                        showSuccess(self->window(), QStringLiteral("RUVEX"),
                                    RVXLocalizedString("msg.exported_fmt")
                                        .arg(QDir::toNativeSeparators(path)));
                    else
                        showAlert(self->window(), QStringLiteral("RUVEX"), error);
                    Q_EMIT self->exported(error);
                });
            },
            Qt::QueuedConnection);
    });
}

void RVXSettingForFlashDataViewController::doubleClickTableRow(int row) {
    RVXLog(RVXCFormat("rowNum=%ld", long(row)));
    if (row < 0 || row >= m_model->m_FlashDataNum())
        return;
    const auto [longitude, latitude] = degreesOf(*m_model, row);
    if (!m_mapWindowController) {
        m_mapWindowController = std::make_unique<RVXMapWindowController>();
        m_mapWindowController->showWindow();
        m_mapWindowController->moveWindowRightBy(window() ? window()->frameGeometry() : QRect());
        // The whole drive under the marker, as users of such a log expect.
        std::vector<std::pair<double, double>> route;
        for (int r = 0; r < m_model->m_FlashDataNum(); ++r) {
            const auto point = degreesOf(*m_model, r);
            if (point.first != 0 && point.second != 0)
                route.push_back(point);
        }
        m_mapWindowController->setTrack(route);
    } else {
        m_mapWindowController->showWindow();
    }
    if (latitude != 0 && longitude != 0)
        m_mapWindowController->updateMapLat(latitude, longitude);
}
