// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the X server itself has a window: the players draw into native windows, and
// what the user sees is the server's idea of them, not Qt's.

#include <QGuiApplication>
#include <QRect>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>

struct NativePlace {
    QRect rect;
    bool viewable = false;
};

inline xcb_connection_t* xConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The window's rectangle in the top-level window, as the server has it.
inline std::optional<NativePlace> serverPlace(QWidget* view) {
    xcb_connection_t* c = xConnection();
    if (!c)
        return std::nullopt;
    const auto window = xcb_window_t(view->winId());
    const auto top = xcb_window_t(view->window()->winId());
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    auto* moved = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, top, 0, 0), nullptr);
    auto* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    std::optional<NativePlace> place;
    if (geometry && moved && attributes)
        place = NativePlace{QRect(moved->dst_x, moved->dst_y, geometry->width, geometry->height),
                            attributes->map_state == XCB_MAP_STATE_VIEWABLE};
    std::free(geometry);
    std::free(moved);
    std::free(attributes);
    return place;
}

// How many windows of its own the top-level window holds: the two players' only, unless
// Qt made boxes native (which leaves stale pictures on screen).
inline int nativeChildCount(QWidget* window) {
    xcb_connection_t* c = xConnection();
    if (!c)
        return -1;
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, xcb_window_t(window->winId())), nullptr);
    const int count = tree ? xcb_query_tree_children_length(tree) : -1;
    std::free(tree);
    return count;
}

// Where view's window stands among the top-level window's own, counted from the bottom
// of the X server's stack; -1 when it is not there.
inline int stackingIndex(QWidget* view) {
    xcb_connection_t* c = xConnection();
    if (!c || !view->internalWinId())
        return -1;
    auto* tree =
        xcb_query_tree_reply(c, xcb_query_tree(c, xcb_window_t(view->window()->winId())), nullptr);
    int index = -1;
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            if (children[i] == xcb_window_t(view->internalWinId()))
                index = i;
        }
    }
    std::free(tree);
    return index;
}
