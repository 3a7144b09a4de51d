// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryCard.h"
#include "core/library/RVXLibraryEvent.h"
#include "core/library/RVXLibraryTrip.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class RVXAppDelegate;
class RVXLibraryImportPanel;

// The library in the main window: a source beside the card (File > Open Library), the
// drives of the chosen days on the map page, a place chosen on the map (a click, or a box
// dragged with Shift) answered with the trips and events there, a double-click playing a
// trip at that place's moment; the import of a card, the check and the retention. Every
// read and write of the library runs on a worker with a library of its own; the window
// only shows what comes back.
class RVXLibraryController : public QObject {
    Q_OBJECT
public:
    explicit RVXLibraryController(RVXAppDelegate* delegate);
    ~RVXLibraryController() override;

    // The folder the user chose (Library > Choose Folder…), else the default.
    QString folder() const;
    void setFolder(const QString& folder);
    // The window shows the library's recordings, not a card's.
    bool isOpenInWindow() const;

    // The days row, the hint and the place's answers, under the map.
    void makeViews(QWidget* mapBottom);
    void addMenu(QMenu* fileMenu);
    // The bar that offers a card's new recordings, above the window's body.
    QWidget* makeCardBar();

    void openLibrary();
    void importCardDialog();
    // Asks what to take (everything new, only the events' drives, since the last import of
    // this card), then imports.
    void chooseAndImport(const QString& card);
    void
    importCard(const QString& card,
               RVXLibraryImportRecord::Choice choice = RVXLibraryImportRecord::Choice::Everything);
    void checkLibrary();
    void keepWhatPlays();
    void showRetention();
    void chooseFolder();

    // What the place search found, in the order listed.
    struct PlaceAnswer {
        std::vector<RVXLibraryTrip> trips;
        std::vector<RVXLibraryEvent> events;
        // Trip start (camera seconds) of each event's trip, for its row.
        std::vector<int64_t> eventTripStarts;
    };
    void findPlace(double latitude, double longitude, double radiusMetres);
    void findBox(double latitude1, double longitude1, double latitude2, double longitude2);
    QTreeWidget* placeList() const { return m_placeList; }
    QLabel* placeStatus() const { return m_placeStatus; }
    int drivesShown() const { return m_drivesShown; }
    RVXLibraryImportPanel* importPanel() const { return m_importPanel; }
    QWidget* cardBar() const { return m_cardBar; }
    // Plays the library's trip that starts at tripStart (camera seconds) from moment.
    void playAt(int64_t tripStart, double moment);

Q_SIGNALS:
    void drivesDrawn(int count);
    void placeAnswered();
    void importFinished(bool ok);
    void cardOffered(const QString& text);
    void kept(const QString& text);

private:
    void listReloaded();
    void showDrivesOfChosenDays();
    void mapTitleChanged(const QString& title);
    void showPlaceAnswer(const PlaceAnswer& answer);
    void placeActivated(QTreeWidgetItem* item);
    void playWhenListed(int64_t tripStart, double moment);
    void updatePlaceSearch();
    void cardsChanged();
    void offerCard(const QString& mountPath, const QString& label);
    void reportImport(const QString& card, const QString& text, bool ok);

    RVXAppDelegate* d;
    QPointer<QWidget> m_libraryBox;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QComboBox* m_radius = nullptr;
    QLabel* m_placeStatus = nullptr;
    QTreeWidget* m_placeList = nullptr;
    QWidget* m_mapHint = nullptr;
    RVXLibraryImportPanel* m_importPanel = nullptr;
    QWidget* m_cardBar = nullptr;
    QLabel* m_cardText = nullptr;
    QString m_offeredCard;
    QStringList m_cardsSeen;
    int m_drivesShown = 0;
    uint64_t m_generation = 0;
    // Counts the user's changes of the days.
    uint64_t m_daysChosen = 0;
    std::optional<std::pair<int64_t, double>> m_pendingPlay;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};
