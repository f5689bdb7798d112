/* A host's window for the preview: a plain X11 window of the given size. Prints its id,
   then keeps it until standard input closes (or the process is ended). */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
  int w = argc > 1 ? atoi(argv[1]) : 320, h = argc > 2 ? atoi(argv[2]) : 240;
  Display* d = XOpenDisplay(NULL);
  if (!d) return 1;
  Window win = XCreateSimpleWindow(d, DefaultRootWindow(d), 100, 100, (unsigned)w, (unsigned)h, 0, 0,
                                   0x808080);
  XMapWindow(d, win);
  XSync(d, False);
  printf("%lu\n", (unsigned long)win);
  fflush(stdout);
  char c;
  while (read(0, &c, 1) > 0) {
  }
  XDestroyWindow(d, win);
  XCloseDisplay(d);
  return 0;
}
