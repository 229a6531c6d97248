// The program's own pictures and icons, by resource id.
//
// A program's images are compiled into it (see tandrix_embed_images in
// ui/CMakeLists.txt) and registered here before main runs; a folder of
// "<id>.png" / "<id>.bmp" files can stand in for them. Hosts that draw load
// the bytes from here; the headless host only records which id was drawn.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace ui {

enum class ImageKind { Icon, Bitmap };

class ImageTable {
 public:
  // Registers bytes that live as long as the program (static data).
  void Add(ImageKind kind, int id, const unsigned char* data, std::size_t size);
  // Adds a host folder searched for "<id>.png", "<id>.bmp" and "<id>.ico"
  // when an id was not registered.
  void AddDirectory(std::string hostPath);
  // The image file's bytes (PNG, BMP or ICO); empty when there is none.
  std::vector<unsigned char> Load(ImageKind kind, int id) const;
  bool Contains(ImageKind kind, int id) const { return !Load(kind, id).empty(); }

 private:
  struct Bytes {
    const unsigned char* data;
    std::size_t size;
  };
  std::map<std::pair<ImageKind, int>, Bytes> embedded_;
  std::vector<std::string> directories_;
};

// The images of this program.
ImageTable& ProgramImages();

}  // namespace ui
