/* A drag source speaking the X drag-and-drop protocol (XDND 5): drops files on the window
 * under a root point, as a file manager does.
 *   xdnd_drop <toplevel window id> <root x> <root y> <file>...
 * Exit 0: dropped and finished; 2: the target refused the drop there; 1: error. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static Display* dpy;
static Atom aAware, aEnter, aPosition, aStatus, aDrop, aFinished, aLeave, aSelection, aCopy, aUriList;

static void Send(Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.display = dpy;
  e.xclient.window = target;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  e.xclient.data.l[0] = l0;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(dpy, target, False, NoEventMask, &e);
  XFlush(dpy);
}

/* Waits up to 5 s for a client message of the type, answering selection requests meanwhile. */
static int Wait(Window source, Atom type, const char* uris, XEvent* out) {
  const time_t end = time(NULL) + 5;
  while (time(NULL) < end) {
    while (XPending(dpy)) {
      XEvent e;
      XNextEvent(dpy, &e);
      if (e.type == SelectionRequest) {
        XSelectionRequestEvent* r = &e.xselectionrequest;
        XEvent reply;
        memset(&reply, 0, sizeof reply);
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r->requestor;
        reply.xselection.selection = r->selection;
        reply.xselection.target = r->target;
        reply.xselection.time = r->time;
        reply.xselection.property = None;
        if (r->target == aUriList) {
          XChangeProperty(dpy, r->requestor, r->property, aUriList, 8, PropModeReplace, (const unsigned char*)uris,
                          (int)strlen(uris));
          reply.xselection.property = r->property;
        }
        XSendEvent(dpy, r->requestor, False, NoEventMask, &reply);
        XFlush(dpy);
      } else if (e.type == ClientMessage && e.xclient.message_type == type) {
        *out = e;
        return 1;
      }
    }
    struct timespec ts = {0, 10 * 1000 * 1000};
    nanosleep(&ts, NULL);
  }
  (void)source;
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: xdnd_drop <window> <x> <y> <file>...\n");
    return 1;
  }
  dpy = XOpenDisplay(NULL);
  if (!dpy) return 1;
  const Window target = (Window)strtoul(argv[1], NULL, 0);
  const int x = atoi(argv[2]), y = atoi(argv[3]);
  aAware = XInternAtom(dpy, "XdndAware", False);
  aEnter = XInternAtom(dpy, "XdndEnter", False);
  aPosition = XInternAtom(dpy, "XdndPosition", False);
  aStatus = XInternAtom(dpy, "XdndStatus", False);
  aDrop = XInternAtom(dpy, "XdndDrop", False);
  aFinished = XInternAtom(dpy, "XdndFinished", False);
  aLeave = XInternAtom(dpy, "XdndLeave", False);
  aSelection = XInternAtom(dpy, "XdndSelection", False);
  aCopy = XInternAtom(dpy, "XdndActionCopy", False);
  aUriList = XInternAtom(dpy, "text/uri-list", False);

  char uris[65536] = "";
  for (int i = 4; i < argc; ++i) {
    strncat(uris, "file://", sizeof uris - strlen(uris) - 1);
    strncat(uris, argv[i], sizeof uris - strlen(uris) - 1);
    strncat(uris, "\r\n", sizeof uris - strlen(uris) - 1);
  }

  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = NULL;
  if (XGetWindowProperty(dpy, target, aAware, 0, 1, False, AnyPropertyType, &type, &format, &n, &after, &data) !=
          Success ||
      n == 0) {
    fprintf(stderr, "target is not XdndAware\n");
    return 1;
  }
  const long version = *(long*)data < 5 ? *(long*)data : 5;
  XFree(data);

  const Window source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), -10, -10, 1, 1, 0, 0, 0);
  XSetSelectionOwner(dpy, aSelection, source, CurrentTime);
  Send(target, aEnter, (long)source, version << 24, (long)aUriList, 0, 0);
  Send(target, aPosition, (long)source, 0, ((long)x << 16) | (y & 0xFFFF), CurrentTime, (long)aCopy);
  XEvent status;
  if (!Wait(source, aStatus, uris, &status)) {
    fprintf(stderr, "no status\n");
    return 1;
  }
  if (!(status.xclient.data.l[1] & 1)) {
    Send(target, aLeave, (long)source, 0, 0, 0, 0);
    return 2;
  }
  Send(target, aDrop, (long)source, 0, CurrentTime, 0, 0);
  XEvent finished;
  if (!Wait(source, aFinished, uris, &finished)) {
    fprintf(stderr, "no finish\n");
    return 1;
  }
  XCloseDisplay(dpy);
  return 0;
}
