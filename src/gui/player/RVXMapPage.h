// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class QWebEngineView;

// The map page "map2_eng.htm" in one web view, and the scripts sent to it. A script
// sent while the page is still loading would find none of its functions; it waits and
// runs once the page is ready. Of the scripts waiting, only the newest call of each
// function is kept (a position that came later replaces one that came earlier).
class RVXMapPage : public QObject {
    Q_OBJECT
public:
    // Loads the page into view, which it does not own.
    explicit RVXMapPage(QWebEngineView* view, QObject* parent = nullptr);

    void evaluate(const QString& script);
    bool isReady() const { return m_ready; }
    const QStringList& pendingScripts() const { return m_pending; }

Q_SIGNALS:
    void ready();

private:
    void loadFinished(bool ok);

    QPointer<QWebEngineView> m_view;
    bool m_ready = false;
    QStringList m_pending;
};
