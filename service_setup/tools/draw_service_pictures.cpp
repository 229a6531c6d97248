// Draws svcsetup's picture and icon into product/, in the look of the
// monitor's pictures (the same controller: a wedge-shaped base, the blue
// ball on top, six coloured buttons along the front):
//
//   pictures/svcsetup/146.bmp  the main dialog's picture: the controller
//                              linked to a globe, for play over a game
//                              service; 96 by 68 pixels, 256 colours
//   icons/svcsetup/128.png     the program's icon: the controller and a
//                              small globe
//
// Each program numbers its own resources, so svcsetup's live in folders of
// their own.
//
//   draw_service_pictures <product dir> [--preview <file.png>]
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <string>

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 68;

const QColor kBody(70, 74, 82);
const QColor kBodyLight(118, 124, 136);
const QColor kBodyDark(38, 40, 46);
const QColor kBallLight(150, 200, 255);
const QColor kBall(30, 100, 200);
const QColor kBallDark(10, 40, 100);
const QColor kSky(236, 240, 246);
const QColor kDesk(196, 168, 128);
const QColor kDeskDark(160, 130, 92);
const QColor kSea(40, 140, 190);
const QColor kLand(70, 170, 90);
const QColor kLink(230, 120, 30);
const QColor kButtonColours[6] = {QColor(230, 60, 50),  QColor(250, 200, 40), QColor(60, 180, 80),
                                  QColor(40, 120, 230), QColor(160, 80, 200), QColor(240, 140, 40)};

void Ball(QPainter& p, QPointF centre, double radius) {
  QRadialGradient g(centre + QPointF(-radius * 0.35, -radius * 0.4), radius * 1.3);
  g.setColorAt(0, kBallLight);
  g.setColorAt(0.5, kBall);
  g.setColorAt(1, kBallDark);
  p.setPen(QPen(kBallDark, 1));
  p.setBrush(g);
  p.drawEllipse(centre, radius, radius);
}

// origin is the middle of the base's bottom edge.
void Controller(QPainter& p, QPointF origin, double scale) {
  const double w = 60 * scale, h = 18 * scale;
  QPolygonF base;
  base << origin + QPointF(-w / 2, 0) << origin + QPointF(w / 2, 0)
       << origin + QPointF(w / 2 - 8 * scale, -h) << origin + QPointF(-w / 2 + 8 * scale, -h);
  QLinearGradient g(origin + QPointF(0, -h), origin);
  g.setColorAt(0, kBodyLight);
  g.setColorAt(1, kBody);
  p.setPen(QPen(kBodyDark, 1));
  p.setBrush(g);
  p.drawPolygon(base);
  p.setBrush(kBodyDark);
  p.drawEllipse(origin + QPointF(0, -h), 14 * scale, 3.5 * scale);
  Ball(p, origin + QPointF(0, -h - 12 * scale), 15 * scale);
  p.setPen(QPen(kBodyDark, 0.8));
  for (int i = 0; i < 6; ++i) {
    p.setBrush(kButtonColours[i]);
    p.drawEllipse(origin + QPointF(-17.5 * scale + 7 * scale * i, -6 * scale), 2.4 * scale,
                  2.4 * scale);
  }
}

// A globe with two land masses and its lines of latitude and longitude.
void Globe(QPainter& p, QPointF centre, double radius) {
  QRadialGradient sea(centre + QPointF(-radius * 0.4, -radius * 0.4), radius * 1.4);
  sea.setColorAt(0, kSea.lighter(150));
  sea.setColorAt(1, kSea.darker(140));
  p.setPen(QPen(kSea.darker(200), 1));
  p.setBrush(sea);
  p.drawEllipse(centre, radius, radius);

  QPainterPath clip;
  clip.addEllipse(centre, radius, radius);
  p.save();
  p.setClipPath(clip);
  p.setPen(Qt::NoPen);
  p.setBrush(kLand);
  const double r = radius;
  QPolygonF west;
  west << centre + QPointF(-0.7 * r, -0.6 * r) << centre + QPointF(-0.1 * r, -0.75 * r)
       << centre + QPointF(0.0, -0.3 * r) << centre + QPointF(-0.3 * r, 0.1 * r)
       << centre + QPointF(-0.2 * r, 0.7 * r) << centre + QPointF(-0.5 * r, 0.5 * r)
       << centre + QPointF(-0.8 * r, -0.1 * r);
  QPolygonF east;
  east << centre + QPointF(0.25 * r, -0.5 * r) << centre + QPointF(0.8 * r, -0.45 * r)
       << centre + QPointF(0.7 * r, 0.15 * r) << centre + QPointF(0.4 * r, 0.55 * r)
       << centre + QPointF(0.2 * r, 0.1 * r);
  p.drawPolygon(west);
  p.drawPolygon(east);
  p.setPen(QPen(QColor(255, 255, 255, 110), 0.8));
  p.setBrush(Qt::NoBrush);
  for (double f : {0.35, 0.75}) p.drawEllipse(centre, r * f, r);
  for (double y : {-0.5, 0.0, 0.5}) p.drawLine(centre + QPointF(-r, y * r), centre + QPointF(r, y * r));
  p.restore();
}

// The dotted link from the controller's ball to the globe.
void Link(QPainter& p, QPointF from, QPointF to) {
  p.setPen(QPen(kLink, 2, Qt::DotLine, Qt::RoundCap));
  QPainterPath path(from);
  path.quadTo((from + to) / 2 + QPointF(0, -10), to);
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(kLink);
  p.drawEllipse(to, 2.2, 2.2);
  p.drawEllipse(from, 2.2, 2.2);
}

QImage Picture() {
  QImage image(kWidth, kHeight, QImage::Format_ARGB32);
  image.fill(kSky);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient desk(QPointF(0, 52), QPointF(0, kHeight));
  desk.setColorAt(0, kDeskDark);
  desk.setColorAt(1, kDesk);
  p.fillRect(QRectF(0, 52, kWidth, kHeight - 52), desk);
  Globe(p, QPointF(70, 24), 18);
  Controller(p, QPointF(30, 63), 0.78);
  Link(p, QPointF(39, 31), QPointF(53, 22));
  p.setPen(QPen(QColor(128, 128, 128), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, kWidth - 1, kHeight - 1);
  return image;
}

QImage Icon() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Globe(p, QPointF(23, 9), 8);
  Controller(p, QPointF(13, 31), 0.42);
  return image;
}

bool Save(const QImage& image, const QString& path, const char* format) {
  if (image.save(path, format)) return true;
  std::fprintf(stderr, "draw_service_pictures: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--preview")) {
    std::fprintf(stderr, "usage: draw_service_pictures <product dir> [--preview <file.png>]\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QDir product(QString::fromLocal8Bit(argv[1]));
  product.mkpath("icons/svcsetup");
  product.mkpath("pictures/svcsetup");

  // 256 colours: a palette made from the picture, each pixel taking the
  // nearest colour without dithering, so edges stay clean.
  const QImage picture =
      Picture().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
  const QImage icon = Icon();
  bool ok = Save(picture, product.filePath("pictures/svcsetup/146.bmp"), "BMP");
  ok &= Save(icon, product.filePath("icons/svcsetup/128.png"), "PNG");

  if (argc == 4) {
    constexpr int kScale = 4;
    QImage sheet((kWidth + 40) * kScale, kHeight * kScale, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.drawImage(QRect(0, 0, kWidth * kScale, kHeight * kScale), picture);
    p.drawImage(QRect((kWidth + 4) * kScale, 0, 32 * kScale, 32 * kScale), icon);
    p.end();
    ok &= Save(sheet, QString::fromLocal8Bit(argv[3]), "PNG");
  }
  return ok ? 0 : 1;
}
