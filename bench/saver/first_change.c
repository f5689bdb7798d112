/* Starts a command and reports, from the screen's pixels, the milliseconds until the screen
   first changes: a grid of 32 x 18 points on the root window is read before the start and
   then again every millisecond or so. Prints the time; ends the command afterwards.
     first_change <timeout-seconds> <command> [args...] */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { GX = 32, GY = 18 };

static double now_ms(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static void sample(Display* d, Window root, int w, int h, unsigned long* out) {
  XImage* img = XGetImage(d, root, 0, 0, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
  for (int y = 0; y < GY; ++y)
    for (int x = 0; x < GX; ++x) out[y * GX + x] = img ? XGetPixel(img, (2 * x + 1) * w / (2 * GX), (2 * y + 1) * h / (2 * GY)) : 0;
  if (img) XDestroyImage(img);
}

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  double timeout = atof(argv[1]) * 1e3;
  Display* d = XOpenDisplay(NULL);
  if (!d) return 1;
  Window root = DefaultRootWindow(d);
  int w = DisplayWidth(d, DefaultScreen(d)), h = DisplayHeight(d, DefaultScreen(d));
  unsigned long before[GX * GY], current[GX * GY];
  sample(d, root, w, h, before);
  double start = now_ms();
  pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  double found = -1;
  while (now_ms() - start < timeout) {
    sample(d, root, w, h, current);
    int changed = 0;
    for (int i = 0; i < GX * GY; ++i) changed += current[i] != before[i];
    /* A frame changes many points at once; a window's black fill alone is not a frame. */
    int lit = 0;
    for (int i = 0; i < GX * GY; ++i) lit += (current[i] & 0xFFFFFF) != 0 && current[i] != before[i];
    if (changed > 0 && lit > GX * GY / 50) {
      found = now_ms() - start;
      break;
    }
  }
  kill(pid, SIGTERM);
  waitpid(pid, NULL, 0);
  printf("%.1f\n", found);
  XCloseDisplay(d);
  return found < 0;
}
