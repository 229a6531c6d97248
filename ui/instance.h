// One running instance per program class, and how a new start reaches it.
//
// A running program listens on a local socket named after its window class
// (e.g. "Tandrix Monitor"); another start finds it there and sends it a
// window message such as WM_CLOSE, waiting until it has been handled, as a
// message sent to the running program's window would. (On Windows the
// listener is that window itself, a hidden top-level window of the class,
// and the message is a real one.) The socket is per
// user: in $XDG_RUNTIME_DIR when that is set, else in the abstract
// namespace with the user id in its name. Only processes of the same user
// are heard. A socket file left by a program that died is replaced.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ui {

// The socket address of a class: a path, or "@name" for the abstract
// namespace.
std::string InstanceAddress(std::string_view className);

class InstanceListener {
 public:
  using Handler =
      std::function<long(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

  InstanceListener() = default;
  ~InstanceListener();
  InstanceListener(const InstanceListener&) = delete;
  InstanceListener& operator=(const InstanceListener&) = delete;

  // Starts listening for className. False when another live instance
  // already listens, or the socket could not be made; Error() says which.
  bool Listen(std::string_view className, Handler handler);
  bool IsListening() const;
  // Why the last Listen failed, in words; empty after a success.
  const std::string& Error() const { return error_; }
  // The listening descriptor, for the event loop to watch (-1 when not
  // listening, and on Windows, where messages come through the window).
  int fd() const { return fd_; }
  // Answers the requests waiting on fd(): runs the handler for each and
  // replies with its result. The handler may call Close() (the name is then
  // free before the sender hears back) but must not destroy the listener.
  void HandleReady();
  // Stops listening and frees the name.
  void Close();

 private:
  int fd_ = -1;
  std::string path_;  // socket file to remove (empty: abstract namespace); Windows: the class
  unsigned long long inode_ = 0;
  unsigned long long device_ = 0;
  Handler handler_;
  std::string error_;
  void* window_ = nullptr;  // Windows: the listening window
};

// True when an instance of className listens.
bool InstanceExists(std::string_view className);

// The process id of the instance of className that listens, 0 when none
// does. Connecting and hanging up at once costs that instance nothing.
int InstanceProcessId(std::string_view className);

// What a start finds under a class name. kUnreachable: the name is held but
// no message can get through (a folder that may not be entered, another
// user's socket, something that is not a socket); why says what.
enum class InstanceState { kNone, kRunning, kUnreachable };
InstanceState ProbeInstance(std::string_view className, std::string* why = nullptr);

// Sends a message to the instance of className and waits until it has been
// handled. False when none listens or no answer came within timeoutMs.
bool SendInstanceMessage(std::string_view className, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam, long* result = nullptr, int timeoutMs = 30000);

}  // namespace ui
