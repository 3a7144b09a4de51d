// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"
#include "core/scan/RVXCardScan.h"
#include "core/scan/RVXEventTable.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QBoxLayout;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QToolButton;
class QWidget;
class PMProgressIndicator;
class RVXAppDelegate;
class TKSliderMarks;

// The card scan in the window: it runs on a worker once a folder's trips are known, its
// progress beside the side buttons and on the launcher entry; the Events view (the third
// right-hand view) lists what it found and plays each moment; the events go onto the map
// page and the impacts onto the graph and the position sliders; the clock bar says when
// the camera's clock is off.
class RVXEventsController : public QObject {
    Q_OBJECT
public:
    // The bar shows from this offset on, or whenever the zone looks wrong.
    static constexpr double kClockBarSeconds = 30;

    explicit RVXEventsController(RVXAppDelegate* delegate);
    ~RVXEventsController() override;

    // The Events button after the list's and the map's, with the scan's progress; the
    // Events view in the list box.
    void makeViews(QBoxLayout* buttonLayout, QBoxLayout* listLayout);
    // The bar above the window's body, hidden until a scan finds the clock off.
    QWidget* makeClockBar();
    // The impact marks over both position sliders, once they exist.
    void attachToSliders();

    QToolButton* eventsButton() const { return m_button; }
    QWidget* eventsView() const { return m_viewBox; }
    QTableView* eventsTable() const { return m_view; }
    QPushButton* exportButton() const { return m_exportButton; }
    QWidget* clockBar() const { return m_clockBar; }
    QLabel* clockBarText() const { return m_clockText; }
    PMProgressIndicator* progress() const { return m_progress; }

    // A new list: the scan of the old one stops and its findings go.
    void listReloaded();
    // The trips are known, their units' lengths read: the scan starts.
    void tripsChanged();
    bool scanning() const { return m_scanning; }
    const std::optional<RVXCardScan::Result>& result() const { return m_result; }
    const RVXEventTable& eventTable() const { return m_eventTable; }

    // The clock bar as the last scan and the window's state want it: never in full
    // screen, not again once dismissed for this folder.
    void updateClockBar();

    // Plays the row's recording from its play second.
    void playRow(int row);
    // The impacts of what plays now onto the graph and the sliders.
    void showImpactMarks();

    void die();

Q_SIGNALS:
    void scanFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scanProgressed(uint64_t generation, int done, int total);
    void scanDone(uint64_t generation, RVXCardScan::Result result);
    void fillModel();
    void fitColumns();
    void setStatus(const QString& text);
    double lengthOf(const RVXMediaRef& media) const;

    RVXAppDelegate* d;
    QToolButton* m_button = nullptr;
    PMProgressIndicator* m_progress = nullptr;
    QWidget* m_viewBox = nullptr;
    QTableView* m_view = nullptr;
    QLabel* m_status = nullptr;
    QStandardItemModel* m_model = nullptr;
    QWidget* m_clockBar = nullptr;
    QLabel* m_clockText = nullptr;
    QPushButton* m_settingsButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    TKSliderMarks* m_marks = nullptr;
    TKSliderMarks* m_fullScreenMarks = nullptr;

    uint64_t m_generation = 0;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    bool m_scanning = false;
    bool m_clockBarDismissed = false;
    std::vector<RVXTripUnit> m_units;
    std::optional<RVXCardScan::Result> m_result;
    RVXEventTable m_eventTable;
};
