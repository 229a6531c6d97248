// A stand-in for a game: a program that runs for the seconds given (30 by
// default) and ends. Copied to a listed game's name (quake.exe), it is the
// game the monitor sees start and end.
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return 0;
}
