// Draws the monitor's tray icons and the pictures of its instructions
// dialog:
//
//   icons/104.png     the controller: tray icon, About box, program icon
//   icons/139.png     the same, greyed and paused: tray icon while suspended
//   pictures/137.bmp  level Basic: the controller seen from the front
//   pictures/134.bmp  level Full Freedom: seen from the side, at an angle
//   pictures/135.bmp  level Champion: seen from above
//   pictures/136.bmp  orientation Horizontal: the controller on the desk in
//                     front of a monitor, an arrow pointing at the screen
//   pictures/133.bmp  orientation Vertical (and custom): the controller
//                     standing beside a monitor, an arrow pointing up
//
// The pictures are 97 by 72 pixels with 256 colours.
//
//   draw_pictures <product dir> [--preview <file.png>] [--theme <dir>]
//
// With --preview it also writes all seven side by side, enlarged, to look at.
// With --theme it also draws the program icon for the desktop's menus at
// the icon theme's usual sizes, as <dir>/<n>x<n>/apps/tandrix.png.
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 97;
constexpr int kHeight = 72;

const QColor kBody(70, 74, 82);
const QColor kBodyLight(118, 124, 136);
const QColor kBodyDark(38, 40, 46);
const QColor kBallLight(150, 200, 255);
const QColor kBall(30, 100, 200);
const QColor kBallDark(10, 40, 100);
const QColor kArrow(220, 40, 30);
const QColor kSky(236, 240, 246);
const QColor kDesk(196, 168, 128);
const QColor kDeskDark(160, 130, 92);
const QColor kButtonColours[6] = {QColor(230, 60, 50),  QColor(250, 200, 40), QColor(60, 180, 80),
                                  QColor(40, 120, 230), QColor(160, 80, 200), QColor(240, 140, 40)};

QImage Canvas() {
  QImage image(kWidth, kHeight, QImage::Format_ARGB32);
  image.fill(kSky);
  return image;
}

void Frame(QPainter& p) {
  p.setPen(QPen(QColor(128, 128, 128), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, kWidth - 1, kHeight - 1);
}

void Ball(QPainter& p, QPointF centre, double radius, bool grey = false) {
  QRadialGradient g(centre + QPointF(-radius * 0.35, -radius * 0.4), radius * 1.3);
  if (grey) {
    g.setColorAt(0, QColor(230, 230, 230));
    g.setColorAt(0.5, QColor(150, 150, 150));
    g.setColorAt(1, QColor(80, 80, 80));
  } else {
    g.setColorAt(0, kBallLight);
    g.setColorAt(0.5, kBall);
    g.setColorAt(1, kBallDark);
  }
  p.setPen(QPen(grey ? QColor(60, 60, 60) : kBallDark, 1));
  p.setBrush(g);
  p.drawEllipse(centre, radius, radius);
}

void Buttons(QPainter& p, QPointF from, QPointF step, double radius) {
  p.setPen(QPen(kBodyDark, 0.8));
  for (int i = 0; i < 6; ++i) {
    p.setBrush(kButtonColours[i]);
    p.drawEllipse(from + step * i, radius, radius);
  }
}

// An arrow from a to b with a filled head.
void Arrow(QPainter& p, QPointF a, QPointF b, QColor colour = kArrow, double width = 2.5) {
  const double angle = std::atan2(b.y() - a.y(), b.x() - a.x());
  const double head = 4 + width * 1.5;
  const QPointF back = b - QPointF(std::cos(angle) * head * 0.8, std::sin(angle) * head * 0.8);
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(a, back);
  QPolygonF tip;
  tip << b << b - QPointF(std::cos(angle - 0.45) * head, std::sin(angle - 0.45) * head)
      << b - QPointF(std::cos(angle + 0.45) * head, std::sin(angle + 0.45) * head);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPolygon(tip);
}

// A curved arrow around centre, for a rotation.
void TurnArrow(QPainter& p, QPointF centre, double rx, double ry, double startDeg, double spanDeg,
               QColor colour) {
  QPainterPath path;
  const QRectF box(centre.x() - rx, centre.y() - ry, rx * 2, ry * 2);
  path.arcMoveTo(box, startDeg);
  path.arcTo(box, startDeg, spanDeg);
  p.setPen(QPen(colour, 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  const double end = (startDeg + spanDeg) * M_PI / 180.0;
  const QPointF tip(centre.x() + rx * std::cos(end), centre.y() - ry * std::sin(end));
  const double dir = spanDeg > 0 ? 1 : -1;
  const QPointF tangent(-rx * std::sin(end) * dir, -ry * std::cos(end) * dir);
  const double len = std::hypot(tangent.x(), tangent.y());
  const QPointF t = tangent / len;
  const QPointF n(-t.y(), t.x());
  QPolygonF head;
  head << tip + t * 4 << tip - n * 3 << tip + n * 3;
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPolygon(head);
}

// The controller from the front: a wedge-shaped base, the ball on top and
// the six buttons along the front edge. origin is the middle of the base's
// bottom edge.
void ControllerFront(QPainter& p, QPointF origin, double scale, bool grey = false) {
  const double w = 60 * scale, h = 18 * scale;
  QPolygonF base;
  base << origin + QPointF(-w / 2, 0) << origin + QPointF(w / 2, 0)
       << origin + QPointF(w / 2 - 8 * scale, -h) << origin + QPointF(-w / 2 + 8 * scale, -h);
  QLinearGradient g(origin + QPointF(0, -h), origin);
  g.setColorAt(0, grey ? QColor(170, 170, 170) : kBodyLight);
  g.setColorAt(1, grey ? QColor(110, 110, 110) : kBody);
  p.setPen(QPen(kBodyDark, 1));
  p.setBrush(g);
  p.drawPolygon(base);
  // The cup the ball sits in.
  p.setBrush(kBodyDark);
  p.drawEllipse(origin + QPointF(0, -h), 14 * scale, 3.5 * scale);
  Ball(p, origin + QPointF(0, -h - 12 * scale), 15 * scale, grey);
  if (!grey) Buttons(p, origin + QPointF(-17.5 * scale, -6 * scale), QPointF(7 * scale, 0), 2.4 * scale);
}

// The controller seen from the side at an angle: the base as a box in
// oblique view (front face, top face and right face), the ball on the top
// face, the buttons along the front face.
void ControllerAngle(QPainter& p, QPointF frontBottomLeft, double scale) {
  const double w = 50 * scale, h = 10 * scale;
  const QPointF depth(16 * scale, -10 * scale);
  const QPointF fbl = frontBottomLeft, fbr = fbl + QPointF(w, 0);
  const QPointF ftl = fbl + QPointF(0, -h), ftr = fbr + QPointF(0, -h);
  p.setPen(QPen(kBodyDark, 1));
  p.setBrush(kBody);
  p.drawPolygon(QPolygonF({ftl, ftr, fbr, fbl}));
  p.setBrush(kBodyDark);
  p.drawPolygon(QPolygonF({ftr, ftr + depth, fbr + depth, fbr}));
  QLinearGradient g(ftl + depth, ftr);
  g.setColorAt(0, kBodyLight);
  g.setColorAt(1, kBody);
  p.setBrush(g);
  p.drawPolygon(QPolygonF({ftl, ftl + depth, ftr + depth, ftr}));
  Buttons(p, fbl + QPointF(8 * scale, -h / 2), QPointF(6.8 * scale, 0), 2.0 * scale);
  const QPointF cup = (ftl + ftr) / 2 + depth / 2;
  p.setBrush(kBodyDark);
  p.drawEllipse(cup, 12 * scale, 3.5 * scale);
  Ball(p, cup + QPointF(0, -12 * scale), 14 * scale);
}

// The controller seen from above: the base's outline, the ball as a disc
// in the middle, the buttons around the front.
void ControllerTop(QPainter& p, QPointF centre, double scale) {
  QPainterPath base;
  base.addRoundedRect(QRectF(centre.x() - 32 * scale, centre.y() - 22 * scale, 64 * scale, 44 * scale),
                      10 * scale, 10 * scale);
  QLinearGradient g(centre + QPointF(0, -22 * scale), centre + QPointF(0, 22 * scale));
  g.setColorAt(0, kBodyLight);
  g.setColorAt(1, kBody);
  p.setPen(QPen(kBodyDark, 1));
  p.setBrush(g);
  p.drawPath(base);
  p.setBrush(kBodyDark);
  p.drawEllipse(centre + QPointF(0, -3 * scale), 17 * scale, 17 * scale);
  Ball(p, centre + QPointF(0, -3 * scale), 15 * scale);
  for (int i = 0; i < 6; ++i) {
    const double a = (200 + i * 28) * M_PI / 180.0;
    p.setBrush(kButtonColours[i]);
    p.setPen(QPen(kBodyDark, 0.8));
    p.drawEllipse(centre + QPointF(std::cos(a) * 25 * scale, -std::sin(a) * 16 * scale + 2 * scale),
                  2.6 * scale, 2.6 * scale);
  }
}

// A monitor: a cabinet with a blue screen, on a foot. rect is the cabinet.
void Monitor(QPainter& p, QRectF cabinet) {
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(QColor(214, 210, 196));
  p.drawRect(cabinet.x() + cabinet.width() * 0.35, cabinet.bottom(), cabinet.width() * 0.3, 4);
  p.drawRect(cabinet.x() + cabinet.width() * 0.2, cabinet.bottom() + 4, cabinet.width() * 0.6, 3);
  p.drawRoundedRect(cabinet, 2, 2);
  const QRectF screen = cabinet.adjusted(4, 4, -4, -7);
  QLinearGradient g(screen.topLeft(), screen.bottomRight());
  g.setColorAt(0, QColor(70, 130, 220));
  g.setColorAt(1, QColor(20, 50, 130));
  p.setBrush(g);
  p.setPen(QPen(QColor(40, 40, 40), 1));
  p.drawRect(screen);
  // The power light.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 200, 60));
  p.drawEllipse(QPointF(cabinet.right() - 5, cabinet.bottom() - 3.5), 1.2, 1.2);
}

void Desk(QPainter& p, double top) {
  QPolygonF desk;
  desk << QPointF(0, top) << QPointF(kWidth, top) << QPointF(kWidth, kHeight) << QPointF(0, kHeight);
  QLinearGradient g(QPointF(0, top), QPointF(0, kHeight));
  g.setColorAt(0, kDeskDark);
  g.setColorAt(1, kDesk);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawPolygon(desk);
}

QImage Basic() {
  QImage image = Canvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Desk(p, 58);
  ControllerFront(p, QPointF(48.5, 64), 0.95);
  // Basic play: the ball pushed left and right.
  Arrow(p, QPointF(26, 22), QPointF(6, 22));
  Arrow(p, QPointF(71, 22), QPointF(91, 22));
  Frame(p);
  return image;
}

QImage FullFreedom() {
  QImage image = Canvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Desk(p, 52);
  ControllerAngle(p, QPointF(16, 66), 1.0);
  // Full freedom: pushed in every direction and turned about.
  Arrow(p, QPointF(49, 19), QPointF(49, 3));
  Arrow(p, QPointF(32, 33), QPointF(12, 33));
  Arrow(p, QPointF(66, 33), QPointF(88, 33));
  TurnArrow(p, QPointF(49, 35), 21, 6, 200, 140, QColor(40, 150, 60));
  Frame(p);
  return image;
}

QImage Champion() {
  QImage image = Canvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(image.rect(), kDesk);
  ControllerTop(p, QPointF(48.5, 38), 1.0);
  // All six axes: three pushes and three turns.
  Arrow(p, QPointF(48.5, 16), QPointF(48.5, 3));
  Arrow(p, QPointF(17, 35), QPointF(4, 35));
  Arrow(p, QPointF(80, 35), QPointF(93, 35));
  TurnArrow(p, QPointF(48.5, 35), 20, 20, 30, 120, QColor(40, 150, 60));
  TurnArrow(p, QPointF(48.5, 35), 20, 20, 210, 120, QColor(40, 150, 60));
  Frame(p);
  return image;
}

QImage Horizontal() {
  QImage image = Canvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Desk(p, 36);
  // The monitor at the back of the desk, the controller lying in front of
  // it, nearer to the user; the arrow points forward at the screen.
  Monitor(p, QRectF(27, 3, 44, 30));
  ControllerFront(p, QPointF(48.5, 70), 0.62);
  Arrow(p, QPointF(48.5, 41), QPointF(48.5, 22), kArrow, 3);
  Frame(p);
  return image;
}

QImage Vertical() {
  QImage image = Canvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Desk(p, 52);
  // The monitor on the left, the controller standing beside it on the
  // right; the arrow points up.
  Monitor(p, QRectF(5, 12, 44, 30));
  ControllerFront(p, QPointF(73, 62), 0.55);
  Arrow(p, QPointF(73, 30), QPointF(73, 4), kArrow, 3);
  Frame(p);
  return image;
}

QImage TrayIcon(bool suspended) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  ControllerFront(p, QPointF(16, 31), 0.5, suspended);
  if (suspended) {
    // Paused: two bars over the ball.
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(10.5, 8.5, 4, 12));
    p.drawRect(QRectF(17.5, 8.5, 4, 12));
  }
  return image;
}

// The program icon at any size: the tray icon's drawing, scaled, so the
// menu shows the same controller as the tray.
QImage ProgramIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  ControllerFront(p, QPointF(16, 31), 0.5);
  return image;
}

// 256 colours, as the dialog's bitmaps have: the picture's own colours
// when there are no more than that, else a palette cut from them (median
// cut), each pixel taking the nearest colour.
QImage Indexed(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  std::vector<QRgb> pixels;
  pixels.reserve(static_cast<std::size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) pixels.push_back(image.pixel(x, y) | 0xff000000u);
  }
  std::vector<QRgb> unique = pixels;
  std::sort(unique.begin(), unique.end());
  unique.erase(std::unique(unique.begin(), unique.end()), unique.end());

  QVector<QRgb> palette;
  if (unique.size() <= 256) {
    palette = QVector<QRgb>(unique.begin(), unique.end());
  } else {
    std::vector<std::vector<QRgb>> boxes{pixels};
    auto channel = [](QRgb c, int k) { return k == 0 ? qRed(c) : k == 1 ? qGreen(c) : qBlue(c); };
    auto widest = [&](const std::vector<QRgb>& box, int& range) {
      int best = 0;
      range = -1;
      for (int k = 0; k < 3; ++k) {
        int lo = 255, hi = 0;
        for (QRgb c : box) {
          lo = std::min(lo, channel(c, k));
          hi = std::max(hi, channel(c, k));
        }
        if (hi - lo > range) {
          range = hi - lo;
          best = k;
        }
      }
      return best;
    };
    while (boxes.size() < 256) {
      // Split the box with the widest spread of colour.
      std::size_t pick = 0;
      int pickRange = -1;
      for (std::size_t i = 0; i < boxes.size(); ++i) {
        int range = 0;
        widest(boxes[i], range);
        if (boxes[i].size() > 1 && range > pickRange) {
          pickRange = range;
          pick = i;
        }
      }
      if (pickRange <= 0) break;
      int range = 0;
      const int k = widest(boxes[pick], range);
      std::vector<QRgb>& box = boxes[pick];
      std::sort(box.begin(), box.end(), [&](QRgb a, QRgb b) { return channel(a, k) < channel(b, k); });
      std::vector<QRgb> upper(box.begin() + static_cast<long>(box.size() / 2), box.end());
      box.resize(box.size() / 2);
      boxes.push_back(std::move(upper));
    }
    for (const auto& box : boxes) {
      long r = 0, g = 0, b = 0;
      for (QRgb c : box) {
        r += qRed(c);
        g += qGreen(c);
        b += qBlue(c);
      }
      const long n = static_cast<long>(box.size());
      palette.push_back(qRgb(static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
                             static_cast<int>((b + n / 2) / n)));
    }
  }
  while (palette.size() < 256) palette.push_back(qRgb(0, 0, 0));

  QImage out(image.size(), QImage::Format_Indexed8);
  out.setColorTable(palette);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      int best = 0;
      long bestDistance = -1;
      for (int i = 0; i < palette.size(); ++i) {
        const long dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                   db = qBlue(c) - qBlue(palette[i]);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
          bestDistance = d;
          best = i;
        }
      }
      out.setPixel(x, y, static_cast<uint>(best));
    }
  }
  return out;
}

bool Save(const QImage& image, const QString& path, const char* format) {
  if (image.save(path, format)) return true;
  std::fprintf(stderr, "draw_pictures: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QString preview, theme;
  bool usage = argc < 2 || argc % 2 != 0;
  for (int i = 2; !usage && i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--preview") {
      preview = QString::fromLocal8Bit(argv[i + 1]);
    } else if (option == "--theme") {
      theme = QString::fromLocal8Bit(argv[i + 1]);
    } else {
      usage = true;
    }
  }
  if (usage) {
    std::fprintf(stderr, "usage: draw_pictures <product dir> [--preview <file.png>] [--theme <dir>]\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QDir product(QString::fromLocal8Bit(argv[1]));
  product.mkpath("icons");
  product.mkpath("pictures");

  struct Picture {
    int id;
    QImage image;
  };
  const std::vector<Picture> pictures = {
      {137, Basic()}, {134, FullFreedom()}, {135, Champion()}, {136, Horizontal()}, {133, Vertical()}};
  bool ok = true;
  for (const auto& picture : pictures) {
    ok &= Save(Indexed(picture.image), product.filePath(QString("pictures/%1.bmp").arg(picture.id)),
               "BMP");
  }
  const QImage normal = TrayIcon(false);
  const QImage suspended = TrayIcon(true);
  ok &= Save(normal, product.filePath("icons/104.png"), "PNG");
  ok &= Save(suspended, product.filePath("icons/139.png"), "PNG");

  if (!theme.isEmpty()) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
      const QString folder = QString("%1x%1/apps").arg(size);
      QDir(theme).mkpath(folder);
      ok &= Save(ProgramIcon(size), QDir(theme).filePath(folder + "/tandrix.png"), "PNG");
    }
  }

  if (!preview.isEmpty()) {
    constexpr int kScale = 4;
    QImage sheet((kWidth + 4) * kScale * 5, (kHeight + 40) * kScale, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      p.drawImage(QRect(static_cast<int>(i) * (kWidth + 4) * kScale, 0, kWidth * kScale, kHeight * kScale),
                  Indexed(pictures[i].image));
    }
    p.drawImage(QRect(0, (kHeight + 4) * kScale, 32 * kScale, 32 * kScale), normal);
    p.drawImage(QRect(40 * kScale, (kHeight + 4) * kScale, 32 * kScale, 32 * kScale), suspended);
    p.end();
    ok &= Save(sheet, preview, "PNG");
  }
  return ok ? 0 : 1;
}
