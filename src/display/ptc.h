// The display layer: one full-screen window per process that shows 32-bit
// frames (0xWWRRGGBB words, see convert.h) in the screen's own pixel format.
// The show calls ptc_open once at start-up, ptc_update once per frame and
// ptc_close at the end, all on its main thread. ptc_update also handles the
// window's events: Escape or closing the window runs the shutdown sequence
// there (ptc_close, the registered after-close step, exit status 0), so
// neither ptc_update nor the caller's loop resumes.
//
// The platform work goes through a DisplayPlatform (display_platform.h): by
// default the platform's own back end, made on the first ptc_open and kept
// for the life of the process; tests and offline renderers install another
// with ptc_use_platform.
#pragma once

class DisplayPlatform;

// Opens a `width`×`height` full-screen display titled `title`: 1 when ready,
// 0 on any failure (with nothing left acquired and, from the platform's back
// end, one line on stderr saying why). A display still open is closed first.
int ptc_open(const char* title, int width, int height);

// Handles pending window events, then, while the show is the active
// application, converts `buffer` (width×height words, rows without padding,
// top row first; the caller keeps it) into the back buffer and flips it into
// view. Returns 1, or 0 when nothing could be drawn although the show is
// active: the back buffer could not be locked (the next call tries again), the
// display is not open, or `buffer` is null. While inactive it sleeps 1 ms and
// returns 1.
int ptc_update(void* buffer);

// Restores the desktop and releases whatever ptc_open acquired. Harmless when
// nothing is open, after a failed ptc_open and when called twice.
void ptc_close();

// The step run by the shutdown sequence between ptc_close and the end of the
// process: the show frees its song and closes the sound output there. Null
// (the default) runs nothing.
void ptc_set_shutdown(void (*afterClose)());

// Makes the display layer use `platform` (owned by the caller, who keeps it
// alive while it is in use) instead of the platform's own back end; null goes
// back to the platform's own. Closes a display that is still open first.
void ptc_use_platform(DisplayPlatform* platform);

// The window procedure: the show's window messages, by Windows' numbers, as
// the same events ptc_update takes from the back end. WM_ACTIVATEAPP sets the
// active flag from `wParam`; WM_CLOSE, or WM_KEYDOWN with VK_ESCAPE in the low
// byte of `wParam`, runs the shutdown sequence; WM_SETCURSOR hides the pointer.
// Returns 0. Other keys are swallowed; other messages are left to the window's
// own procedure, which gives them the default handling.
long WndProc(unsigned message, unsigned wParam, long lParam);
