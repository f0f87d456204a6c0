// The browser's display back end (display_web.cpp with display_web.js): the
// frame drawn into the page's <canvas>, scaled by whole multiples with sharp
// pixels and centred on black; page events become the display layer's events.
//
// A page has no process to end. When the display layer's shutdown sequence
// (Escape, or the page being closed) asks the back end to end the process, the
// back end calls the handler installed here with the exit status and returns;
// the display is closed by then, so ptc_update draws nothing more. The web
// entry (main_web.cpp) installs it on the main thread before ptc_open.
#pragma once

void WebDisplaySetExitHandler(void (*handler)(int status));
