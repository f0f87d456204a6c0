// Small X11 helper for the display end-to-end test:
//
//   x11_probe pixels X,Y ...  prints the root window's colour at each point as
//                             RRGGBB, one per line (a screenshot of the screen)
//   x11_probe close NAME      asks every window named NAME to close, as a window
//                             manager's close button does (WM_DELETE_WINDOW)
//
// Exit status 0 on success, 1 when the display or the window is missing.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void FindWindows(Display* dpy, Window w, const char* name, std::vector<Window>* found) {
  char* title = nullptr;
  if (XFetchName(dpy, w, &title) && title) {
    if (std::strcmp(title, name) == 0) found->push_back(w);
    XFree(title);
  }
  Window root, parent;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(dpy, w, &root, &parent, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) FindWindows(dpy, children[i], name, found);
  if (children) XFree(children);
}

int Close(Display* dpy, const char* name) {
  std::vector<Window> windows;
  FindWindows(dpy, DefaultRootWindow(dpy), name, &windows);
  if (windows.empty()) {
    std::fprintf(stderr, "x11_probe: no window named %s\n", name);
    return 1;
  }
  const Atom protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
  for (Window w : windows) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &event);
  }
  XSync(dpy, False);
  return 0;
}

// Channel value of `pixel` under `mask`, scaled to 8 bits.
unsigned Channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long max = mask >> shift;
  return static_cast<unsigned>(((pixel & mask) >> shift) * 255 / max);
}

int Pixels(Display* dpy, int count, char** points) {
  const Window root = DefaultRootWindow(dpy);
  XWindowAttributes attributes;
  XGetWindowAttributes(dpy, root, &attributes);
  XImage* image = XGetImage(dpy, root, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return 1;
  const Visual* visual = attributes.visual;
  int status = 0;
  for (int i = 0; i < count; ++i) {
    int x = 0, y = 0;
    if (std::sscanf(points[i], "%d,%d", &x, &y) != 2 || x < 0 || y < 0 || x >= attributes.width ||
        y >= attributes.height) {
      std::fprintf(stderr, "x11_probe: bad point %s\n", points[i]);
      status = 1;
      continue;
    }
    const unsigned long p = XGetPixel(image, x, y);
    std::printf("%02X%02X%02X\n", Channel(p, visual->red_mask), Channel(p, visual->green_mask),
                Channel(p, visual->blue_mask));
  }
  XDestroyImage(image);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: x11_probe pixels X,Y ... | x11_probe close NAME\n");
    return 2;
  }
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "x11_probe: cannot open the X display\n");
    return 1;
  }
  int status = 2;
  if (std::strcmp(argv[1], "pixels") == 0) status = Pixels(dpy, argc - 2, argv + 2);
  if (std::strcmp(argv[1], "close") == 0) status = Close(dpy, argv[2]);
  XCloseDisplay(dpy);
  return status;
}
