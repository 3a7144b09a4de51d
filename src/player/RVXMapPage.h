// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWebEngineView;

// Loads the map page "map2_eng.htm" from the resources into view.
void RVXLoadMapPage(QWebEngineView* view);
