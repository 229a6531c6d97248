#include "ui/images.h"

#include <fstream>
#include <iterator>

namespace ui {

void ImageTable::Add(ImageKind kind, int id, const unsigned char* data, std::size_t size) {
  embedded_[{kind, id}] = Bytes{data, size};
}

void ImageTable::AddDirectory(std::string hostPath) { directories_.push_back(std::move(hostPath)); }

std::vector<unsigned char> ImageTable::Load(ImageKind kind, int id) const {
  auto it = embedded_.find({kind, id});
  if (it != embedded_.end()) {
    return std::vector<unsigned char>(it->second.data, it->second.data + it->second.size);
  }
  static const char* const kIconExtensions[] = {".png", ".ico", ".bmp"};
  static const char* const kBitmapExtensions[] = {".bmp", ".png"};
  for (const auto& dir : directories_) {
    const auto& exts = kind == ImageKind::Icon ? std::begin(kIconExtensions) : std::begin(kBitmapExtensions);
    const auto& end = kind == ImageKind::Icon ? std::end(kIconExtensions) : std::end(kBitmapExtensions);
    for (auto ext = exts; ext != end; ++ext) {
      std::ifstream in(dir + "/" + std::to_string(id) + *ext, std::ios::binary);
      if (!in) continue;
      return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
    }
  }
  return {};
}

ImageTable& ProgramImages() {
  static ImageTable table;
  return table;
}

}  // namespace ui
