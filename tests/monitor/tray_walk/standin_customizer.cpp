// A stand-in for the customizer in the tray walk (tray_walk.py). Tandmon
// starts it by the name its Tandmon.ini gives, and the walk ends it with
// SIGTERM as a user closing the customizer would; the alarm ends it in two
// minutes at the latest, so it never outlives a run that failed half-way.
#include <unistd.h>

int main() {
  alarm(120);
  for (;;) pause();
}
