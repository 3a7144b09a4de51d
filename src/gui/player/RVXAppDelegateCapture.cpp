// SPDX-License-Identifier: GPL-3.0-or-later
// The frame in the main video area kept: saved as a file or printed on a CUPS queue.
#include "gui/player/RVXAppDelegate.h"

#include "core/support/RVXCFormat.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/VLCMediaPlayer.h"
#include "platform/RVXCupsPrinter.h"
#include "widgets/RVXPageHelpers.h"
#include "widgets/TKImageButton.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent>

#include <atomic>

namespace {
// libVLC writes a snapshot within a frame or two; a player that has nothing to show
// never reports one.
constexpr int kSnapshotTimeoutMs = 5000;
const QString kCaptureName = QStringLiteral("ruvex_capture.jpg");

bool drawFrameOnPage(QPrinter& printer, const QString& framePath) {
    const QImage frame(framePath);
    if (frame.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    QSize fitted = frame.size().scaled(page.size(), Qt::KeepAspectRatio);
    const QRect target(page.topLeft() + QPoint((page.width() - fitted.width()) / 2,
                                               (page.height() - fitted.height()) / 2),
                       fitted);
    painter.drawImage(target, frame);
    return painter.end();
}

// The destination must take JPEG as it is; the picture is then sent fitted to the page.
// Nothing when the job was sent, else what to tell the user.
std::optional<QString> sendToPrinter(const QString& name, const QString& path,
                                     const RVXCupsPrinter::Options& options) {
    RVXCupsPrinter printer(name);
    int error = 0;
    if (!printer.exists(&error)) {
        RVXLog(RVXCFormat("Got an error from PMSessionGetCurrentPrinter (%d)", error));
        return RVXLocalizedString("msg.print_no_printer_fmt").arg(name);
    }
    const QString jpeg = QStringLiteral("image/jpeg");
    const std::optional<QStringList> types = printer.mimeTypes();
    if (!types || !types->contains(jpeg)) {
        if (types && !types->isEmpty())
            RVXLog(QStringLiteral("MIME type %1 isn't supported by the printer").arg(jpeg));
        return RVXLocalizedString("msg.print_no_jpeg_fmt").arg(name);
    }
    if (printer.printWithFile(path, jpeg, QStringLiteral("zamo_capture"), options, &error) == 0) {
        RVXLog(RVXCFormat("PMPrinterPrintWithFile returned error %d", error));
        return RVXLocalizedString("msg.print_failed_fmt").arg(name).arg(error);
    }
    return std::nullopt;
}
} // namespace

QString RVXAppDelegate::capturePath() const {
    // A folder of this program's own inside the user's runtime folder: private to the
    // user (a fixed name in the shared /tmp would let another user plant a link there)
    // and to this process (two windows capturing at once must not take each other's
    // picture).
    if (!m_captureFolder) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        m_captureFolder = runtime.isEmpty()
                              ? std::make_unique<QTemporaryDir>()
                              : std::make_unique<QTemporaryDir>(
                                    QDir(runtime).filePath(QStringLiteral("ruvex-viewer-XXXXXX")));
    }
    // Without its private folder there is no safe place for the picture: never the
    // working folder, which a relative name would mean.
    if (!m_captureFolder->isValid())
        return {};
    return QDir(m_captureFolder->path()).filePath(kCaptureName);
}

void RVXAppDelegate::takeSnapshot(const std::function<void(bool)>& then) {
    const QString target = capturePath();
    if (target.isEmpty()) {
        RVXLog(QStringLiteral("error=no private folder for the capture: %1")
                   .arg(m_captureFolder ? m_captureFolder->errorString() : QString()));
        auto* alert =
            new QMessageBox(QMessageBox::Warning, QStringLiteral("RUVEX"),
                            RVXLocalizedString("msg.capture_folder_fail"), QMessageBox::Ok, window);
        alert->setObjectName(QStringLiteral("captureFolderAlert"));
        alert->setAttribute(Qt::WA_DeleteOnClose);
        alert->setWindowModality(Qt::WindowModal);
        alert->open();
        then(false);
        return;
    }
    // libVLC writes its snapshots as PNG whatever the name says; the capture is a JPEG,
    // so the picture goes through a file of libVLC's own first.
    const QString raw = target + QStringLiteral(".vlc.png");
    QFile::remove(raw);
    auto* waiter = new QObject(this);
    auto finished = std::make_shared<bool>(false);
    const auto finish = [this, waiter, finished, then, raw, target](bool written) {
        if (*finished)
            return;
        *finished = true;
        waiter->deleteLater();
        bool ok = false;
        if (written && !m_died) {
            QImage picture(raw);
            ok = !picture.isNull() && picture.save(target, "JPEG", 95);
            if (!ok)
                RVXLog(QStringLiteral("error=the snapshot %1 could not be read").arg(raw));
        }
        QFile::remove(raw);
        then(ok);
    };
    connect(player1, &VLCMediaPlayer::snapshotTaken, waiter,
            [finish, raw](VLCMediaPlayer*, const QString& path) {
                if (QFileInfo(path) == QFileInfo(raw))
                    finish(true);
            });
    QTimer::singleShot(kSnapshotTimeoutMs, waiter, [finish] {
        RVXLog("error=no snapshot was written");
        finish(false);
    });
    if (!player1->saveVideoSnapshotAt(raw, 0, 0))
        finish(false);
}

void RVXAppDelegate::captureVideo() {
    // Playing or paused: the frame shown is what is kept, as a print takes it.
    if (!player1 || !player1->media())
        return;
    takeSnapshot([this](bool ok) {
        if (!ok || m_died)
            return;
        const QString target = saveCapturePanel ? saveCapturePanel() : runSaveCapturePanel();
        if (target.isEmpty())
            return;
        // The JPEG goes unchanged whatever the name's extension says, written beside the
        // target and renamed over it: a file being replaced is never lost half-way.
        QFile capture(capturePath());
        QSaveFile saved(target);
        const bool copied = capture.open(QIODevice::ReadOnly) && saved.open(QIODevice::WriteOnly) &&
                            saved.write(capture.readAll()) == capture.size() && saved.commit();
        if (!copied) {
            const QString why = capture.error() != QFileDevice::NoError ? capture.errorString()
                                                                        : saved.errorString();
            // The picture was not kept; saying nothing would let the user believe it was.
            RVXLog(QStringLiteral("error=%1: %2").arg(target, why));
            auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("RUVEX"),
                                          RVXLocalizedString("msg.capture_not_saved_fmt")
                                              .arg(QDir::toNativeSeparators(target)),
                                          QMessageBox::Ok, window);
            alert->setObjectName(QStringLiteral("captureNotSavedAlert"));
            alert->setInformativeText(why);
            alert->setAttribute(Qt::WA_DeleteOnClose);
            alert->setWindowModality(Qt::WindowModal);
            alert->open();
            return;
        }
        // The file the user kept, not the program's own copy that goes when it quits.
        openOrSayWhere(
            window, target,
            RVXLocalizedString("msg.capture_saved_at_fmt").arg(QDir::toNativeSeparators(target)),
            RVXLocalizedString("msg.no_desktop_opener"), openCapture);
    });
}

QString RVXAppDelegate::runSaveCapturePanel() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QFileDialog panel(window, QStringLiteral("Save Settings"));
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setFileMode(QFileDialog::AnyFile);
    panel.setFilter(panel.filter() | QDir::Hidden);
    panel.setDirectory(folder);
    // The frame is a JPEG: a name saying otherwise would mislead every program after.
    panel.setNameFilter(QStringLiteral("JPEG image (*.jpg *.jpeg)"));
    panel.setDefaultSuffix(QStringLiteral("jpg"));
    panel.selectFile(QStringLiteral("zamo_capture.jpg"));
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return {};
    return panel.selectedFiles().first();
}

QPrinter* RVXAppDelegate::loadPrintInfo() {
    if (!m_printInfo)
        m_printInfo = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printInfo.get();
}

void RVXAppDelegate::print() {
    if (!player1 || !player1->media())
        return;
    takeSnapshot([this](bool ok) {
        if (!ok || m_died)
            return;
        QPrinter* printer = loadPrintInfo();
        if (printPanel) {
            printPanelDidEnd(printPanel(*printer));
            return;
        }
        auto* panel = new QPrintDialog(printer, window);
        panel->setAttribute(Qt::WA_DeleteOnClose);
        panel->setOption(QAbstractPrintDialog::PrintShowPageSize);
        panel->setWindowModality(Qt::WindowModal);
        connect(panel, &QDialog::finished, this, &RVXAppDelegate::printPanelDidEnd);
        panel->open();
    });
}

void RVXAppDelegate::printPanelDidEnd(int returnCode) {
    if (returnCode != QDialog::Accepted || m_died)
        return;
    QPrinter* info = loadPrintInfo();
    RVXCupsPrinter::Options options = {{QStringLiteral("fit-to-page"), QStringLiteral("true")}};
    const QString media = info->pageLayout().pageSize().key();
    if (!media.isEmpty())
        options.append({QStringLiteral("media"), media});
    if (info->copyCount() > 1)
        options.append({QStringLiteral("copies"), QString::number(info->copyCount())});
    // Print to File: the frame drawn fitted on the page of the PDF the user named.
    if (info->outputFormat() == QPrinter::PdfFormat && !info->outputFileName().isEmpty()) {
        if (!drawFrameOnPage(*info, capturePath())) {
            showAlert(window, QStringLiteral("RUVEX"),
                      RVXLocalizedString("msg.print_file_failed_fmt")
                          .arg(QDir::toNativeSeparators(info->outputFileName())));
        }
        return;
    }
    if (info->outputFormat() != QPrinter::NativeFormat || info->printerName().isEmpty()) {
        RVXLog("Either got an error from PMSessionGetDestinationType or the print destination "
               "wasn't kPMDestinationPrinter");
        showAlert(window, QStringLiteral("RUVEX"),
                  RVXLocalizedString("msg.print_destination_unsupported"));
        return;
    }
    // The scheduler may take seconds to answer (a driverless printer it must reach
    // first): the checks and the job run on a worker, with copies of what they need. The
    // frame goes under a name of the job's own, so that the next capture cannot change
    // it while it is sent.
    static std::atomic<int> jobs{0};
    const QString frame = capturePath() + QStringLiteral(".print-%1").arg(++jobs);
    if (!QFile::rename(capturePath(), frame)) {
        RVXLog(QStringLiteral("error=%1 could not be kept for printing").arg(capturePath()));
        return;
    }
    auto* watcher = new QFutureWatcher<std::optional<QString>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (const std::optional<QString> said = watcher->result(); said && !m_died)
            showAlert(window, QStringLiteral("RUVEX"), *said);
    });
    watcher->setFuture(QtConcurrent::run([name = info->printerName(), frame, options] {
        auto said = sendToPrinter(name, frame, options);
        QFile::remove(frame);
        return said;
    }));
}

void RVXAppDelegate::updateCaptureActions() {
    // A frame shown, playing or paused, can be saved and printed.
    const bool loaded = player1 && player1->media();
    for (QAction* a : {m_captureAction, m_printAction, m_evidenceAction}) {
        if (a)
            a->setEnabled(loaded);
    }
    for (QWidget* button :
         {static_cast<QWidget*>(captureButton), static_cast<QWidget*>(printButton)}) {
        if (button)
            button->setEnabled(loaded);
    }
}
