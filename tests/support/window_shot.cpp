// window_shot WINDOW-ID OUT.png: saves what an X window shows, as a person
// looking at the screen sees it. For windows no toolkit of ours draws
// (the Windows programs under Wine).
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: window_shot WINDOW-ID OUT.png\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication app(argc, argv);
  bool ok = false;
  const WId id = QString::fromLocal8Bit(argv[1]).toULongLong(&ok, 0);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!ok || screen == nullptr) return 1;
  const QPixmap shot = screen->grabWindow(id);
  if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "window_shot: cannot save window %s\n", argv[1]);
    return 1;
  }
  return 0;
}
