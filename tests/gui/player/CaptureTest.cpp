// SPDX-License-Identifier: GPL-3.0-or-later
// Capture and print of the main video's frame, with real decoding and a real CUPS
// scheduler of the test's own.
#include "PlayerTestSupport.h"

#include "core/support/RVXLocalizedString.h"
#include "support/CupsScheduler.h"
#include "support/Run.h"
#include "support/StderrCapture.h"
#include "support/TempTree.h"
#include "widgets/TKImageButton.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMessageBox>
#include <QPageSize>
#include <QPrinter>
#include <QTimer>
#include <QUrl>

namespace {

bool isCompleteJpeg(const QByteArray& bytes) {
    return bytes.startsWith("\xFF\xD8\xFF") && bytes.endsWith("\xFF\xD9");
}

class CaptureTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        open(demoCard());
        delegate->openCapture = [this](const QUrl& url) {
            opened << url;
            return desktopOpens;
        };
    }
    // The front of the continuous pair, playing past its first second.
    void playFront() {
        playAndWait(0);
        ASSERT_TRUE(waitFor([&] { return delegate->player1->time().intValue() > 1000; }));
    }
    void pause() {
        delegate->clickPlayButton();
        ASSERT_TRUE(waitFor([&] {
            return delegate->player1->state() == VLCMediaPlayerStatePaused &&
                   !delegate->player1->isPlaying();
        }));
    }
    QAction* action(const char* name) {
        return delegate->window->findChild<QAction*>(QLatin1String(name));
    }
    TempTree tree;
    QList<QUrl> opened;
    bool desktopOpens = true;
};

} // namespace

TEST_F(CaptureTest, TheSavedFrameIsACompleteJpegOfTheVideosSizeWhateverItsName) {
    EXPECT_FALSE(action("action.capture")->isEnabled());
    EXPECT_FALSE(action("action.print")->isEnabled());
    playFront();
    EXPECT_TRUE(action("action.capture")->isEnabled());
    EXPECT_TRUE(delegate->captureButton->isEnabled());
    int panels = 0;
    // Saved over an earlier capture, which is replaced whole, never removed first.
    const QString target = tree.file(QStringLiteral("zamo_capture.png"), "an earlier capture");
    delegate->saveCapturePanel = [&] {
        ++panels;
        return target;
    };
    delegate->captureVideo();
    ASSERT_TRUE(waitFor([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(panels, 1);
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_TRUE(isCompleteJpeg(bytes)) << "a JPEG under the .png name";
    QFile capture(delegate->capturePath());
    ASSERT_TRUE(capture.open(QIODevice::ReadOnly));
    EXPECT_EQ(capture.readAll(), bytes) << "copied unchanged";
    EXPECT_EQ(opened.first(), QUrl::fromLocalFile(target)) << "the file the user kept";
    QImageReader reader(target);
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), delegate->player1->videoSize());
    EXPECT_EQ(reader.size(), QSize(640, 360));
    EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"zamo_capture.png"})
        << "nothing left beside it";

    // The capture lives where no other user may write, in a folder of this process.
    const QFileInfo folder(QFileInfo(delegate->capturePath()).absolutePath());
    EXPECT_NE(folder.absoluteFilePath(), QStringLiteral("/tmp"));
    EXPECT_TRUE(folder.fileName().startsWith(QStringLiteral("ruvex-viewer-")));
    EXPECT_FALSE(folder.permissions() & (QFile::WriteOther | QFile::WriteGroup));
    EXPECT_EQ(folder.ownerId(), getuid());

    // A cancelled panel saves and opens nothing.
    opened.clear();
    delegate->saveCapturePanel = [&] {
        ++panels;
        return QString();
    };
    delegate->captureVideo();
    ASSERT_TRUE(waitFor([&] { return panels == 2; }));
    spin(300);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(CaptureTest, APausedFrameIsSavedAsAJpegAndAFailedSaveIsSaid) {
    playFront();
    pause();
    // Paused, the frame shown is kept, as a print takes it.
    EXPECT_TRUE(action("action.capture")->isEnabled());
    EXPECT_TRUE(delegate->captureButton->isEnabled());
    EXPECT_TRUE(action("action.print")->isEnabled());

    // The panel proposes a JPEG's name for a JPEG.
    QString proposed;
    QStringList filters;
    QTimer::singleShot(300, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* panel = qobject_cast<QFileDialog*>(w); panel && panel->isVisible()) {
                proposed = panel->selectedFiles().value(0);
                filters = panel->nameFilters();
                panel->reject();
            }
        }
    });
    delegate->captureVideo();
    ASSERT_TRUE(waitFor([&] { return !proposed.isEmpty(); }));
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("/zamo_capture.jpg"))) << qPrintable(proposed);
    EXPECT_EQ(filters, QStringList{QStringLiteral("JPEG image (*.jpg *.jpeg)")});
    EXPECT_TRUE(opened.isEmpty()) << "cancelled: nothing saved, nothing opened";

    int panels = 0;
    const QString kept = tree.path(QStringLiteral("paused.jpg"));
    delegate->saveCapturePanel = [&] {
        ++panels;
        return panels == 1 ? kept : QStringLiteral("/proc/no/such/frame.png");
    };
    // A desktop with no program for pictures: the window says where the frame is.
    desktopOpens = false;
    delegate->captureVideo();
    ASSERT_TRUE(waitFor([&] { return !opened.isEmpty(); }));
    EXPECT_FALSE(delegate->player1->isPlaying());
    EXPECT_TRUE(isCompleteJpeg(readAll(kept)));
    QMessageBox* where = nullptr;
    ASSERT_TRUE(waitFor([&] {
        where = delegate->window->findChild<QMessageBox*>(QStringLiteral("fileLocationAlert"));
        return where && where->isVisible();
    })) << "saved, and nothing on screen said so";
    EXPECT_TRUE(where->text().contains(kept)) << qPrintable(where->text());
    where->accept();
    desktopOpens = true;
    opened.clear();
    delegate->captureVideo();
    ASSERT_TRUE(waitFor([&] { return panels == 2; }));
    QMessageBox* alert = nullptr;
    ASSERT_TRUE(waitFor([&] {
        alert = delegate->window->findChild<QMessageBox*>(QStringLiteral("captureNotSavedAlert"));
        return alert && alert->isVisible();
    }));
    EXPECT_TRUE(alert->text().contains(QStringLiteral("/proc/no/such/frame.png")));
    alert->close();
    spin(300);
    EXPECT_TRUE(opened.isEmpty()) << "no viewer on a file that was not written";
}

namespace {
class PrintTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        ASSERT_EQ(cups.error(), QString());
        ASSERT_EQ(cups.addQueue(QStringLiteral("photo")).toStdString(), "");
        ASSERT_EQ(cups.addQueue(QStringLiteral("pdfonly"), true).toStdString(), "");
    }
    // Prints and waits until the dialog stand-in was asked.
    void printWith(const std::function<int(QPrinter&)>& panel) {
        bool asked = false;
        delegate->printPanel = [&, panel](QPrinter& p) {
            asked = true;
            return panel(p);
        };
        delegate->print();
        ASSERT_TRUE(waitFor([&] { return asked; }));
    }
    CupsScheduler cups;
};
} // namespace

TEST_F(PrintTest, TheFrameReachesTheQueueFittedAndTheSettingsAreKept) {
    playFront();
    pause();
    printWith([](QPrinter& p) {
        p.setPrinterName(QStringLiteral("photo"));
        p.setPageSize(QPageSize(QPageSize::A5));
        return int(QDialog::Accepted);
    });
    QList<CupsScheduler::Job> jobs;
    // The scheduler lists a job before its document has arrived, and its format a moment
    // after that.
    ASSERT_TRUE(waitFor([&] {
        jobs = cups.jobs(QStringLiteral("photo"));
        return jobs.size() == 1 && !jobs[0].data.isEmpty() && !jobs[0].format.isEmpty();
    }));
    EXPECT_EQ(jobs[0].format, QStringLiteral("image/jpeg"));
    EXPECT_TRUE(jobs[0].fitToPage);
    EXPECT_TRUE(jobs[0].media.contains(QStringLiteral("a5"), Qt::CaseInsensitive))
        << qPrintable(jobs[0].media);
    EXPECT_TRUE(isCompleteJpeg(jobs[0].data)) << "the paused frame, as a JPEG";

    // The second print starts from what the first one chose.
    QString printerName;
    QPageSize pageSize;
    printWith([&](QPrinter& p) {
        printerName = p.printerName();
        pageSize = p.pageLayout().pageSize();
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(printerName, QStringLiteral("photo"));
    EXPECT_EQ(pageSize.id(), QPageSize::A5);
    ASSERT_TRUE(waitFor([&] { return cups.jobs(QStringLiteral("photo")).size() == 2; }));

    // Cancelled: nothing is sent.
    printWith([](QPrinter&) { return int(QDialog::Rejected); });
    spin(500);
    EXPECT_EQ(cups.jobs(QStringLiteral("photo")).size(), 2);

    // An instance of the queue, as the print dialog names it, prints on its queue: no
    // address of our own making ("…/printers/photo/big") that reaches nothing.
    const QString clientRoot = tree.folder(QStringLiteral("client"));
    tree.file(QStringLiteral("client/lpoptions"), "Dest photo/big copies=1\n");
    const QByteArray previousRoot = qgetenv("CUPS_SERVERROOT");
    qputenv("CUPS_SERVERROOT", QFile::encodeName(clientRoot));
    printWith([](QPrinter& p) {
        p.setPrinterName(QStringLiteral("photo/big"));
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(waitFor([&] { return cups.jobs(QStringLiteral("photo")).size() == 3; }));
    if (previousRoot.isNull())
        qunsetenv("CUPS_SERVERROOT");
    else
        qputenv("CUPS_SERVERROOT", previousRoot);
}

TEST_F(PrintTest, APdfFileGetsTheFrameAndAQueueWithoutJpegNothing) {
    playFront();
    StderrCapture log;
    // Print to File: a PDF page with the frame on it, at the frame's own pixels.
    const QString pdf = tree.path(QStringLiteral("frame.pdf"));
    printWith([&](QPrinter& p) {
        p.setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(waitFor([&] { return QFileInfo(pdf).size() > 1000; }));
    const RunResult images = runProgram(QStringLiteral("pdfimages"), {"-list", pdf});
    ASSERT_EQ(images.exitCode, 0) << images.err.constData();
    EXPECT_TRUE(images.out.contains("   640   360 ")) << images.out.constData();
    for (QMessageBox* box : delegate->window->findChildren<QMessageBox*>())
        EXPECT_FALSE(box->isVisible()) << qPrintable(box->informativeText());
    QMessageBox* said = nullptr;

    printWith([&](QPrinter& p) {
        p.setOutputFormat(QPrinter::NativeFormat);
        p.setPrinterName(QStringLiteral("pdfonly"));
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(waitFor([&] {
        return log.text().contains("MIME type image/jpeg isn't supported by the printer");
    })) << log.text().constData();
    // A destination that can take no frame is said, never passed over in silence.
    ASSERT_TRUE(waitFor([&] { return (said = visibleAlert(delegate->window)) != nullptr; }));
    EXPECT_TRUE(said->informativeText().contains(QStringLiteral("takes no JPEG")))
        << qPrintable(said->informativeText());
    said->accept();
    spin(500);
    EXPECT_TRUE(cups.jobs(QStringLiteral("pdfonly")).isEmpty());
    EXPECT_TRUE(cups.jobs(QStringLiteral("photo")).isEmpty());
}
