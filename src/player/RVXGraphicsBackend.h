// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the main window is composed on screen; call before the application object.
//
// The main window holds native child windows (the players draw into them) beside the
// map's web view. With Qt Quick's OpenGL backend the web view turns the whole window
// into an OpenGL composition that then tries to draw into those native children, which
// are no OpenGL surfaces: "QRhiGles2: Failed to make context current", and the screen
// keeps stale pictures (a closed dialog, a stopped player's last frame, a finished
// loading bar). Qt Quick's software backend composes the web view as a picture of its
// own, and every repaint reaches the screen. A QT_QUICK_BACKEND the user set wins.
void RVXChooseWindowComposition();
