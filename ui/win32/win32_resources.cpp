// Texts, images and menus for the Windows front end.
#include "ui/win32/win32_host.h"

#include <objbase.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <map>
#include <utility>
#include <vector>

namespace ui::win32 {

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string Narrow(const wchar_t* text, int length) {
  if (text == nullptr || length == 0) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
  return out;
}

HWND CreateHiddenWindow(const char* className, const char* title, WNDPROC proc, void* user) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  if (::RegisterClassExA(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  HWND window = ::CreateWindowExA(0, className, title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  if (window != nullptr) ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(user));
  return window;
}

std::string WindowText(HWND window) {
  const int n = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(window, text.data(), n + 1);
  return Narrow(text.data(), got);
}

namespace {

// Holds COM for the calling thread while images are decoded.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (ok_) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p != nullptr) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() { return p; }
};

// The image's pixels as a top-down 32-bit BGRA section with alpha, decoded
// by the system's imaging component (PNG, BMP and ICO alike); null when it
// cannot be read.
HBITMAP Decode(const std::vector<unsigned char>& bytes, int* width, int* height) {
  if (bytes.empty()) return nullptr;
  ComScope com;
  Released<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)))) {
    return nullptr;
  }
  Released<IStream> stream;
  stream.p = ::SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  Released<IWICBitmapDecoder> decoder;
  Released<IWICBitmapFrameDecode> frame;
  Released<IWICFormatConverter> converter;
  if (stream.p == nullptr ||
      FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnLoad, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                   nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
    return nullptr;
  }
  UINT w = 0;
  UINT h = 0;
  if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(w);
  info.bmiHeader.biHeight = -static_cast<LONG>(h);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (section == nullptr) return nullptr;
  if (FAILED(converter->CopyPixels(nullptr, w * 4, w * h * 4, static_cast<BYTE*>(pixels)))) {
    ::DeleteObject(section);
    return nullptr;
  }
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return section;
}

}  // namespace

HBITMAP BitmapHandle(const ImageTable& images, int id) {
  static std::map<std::pair<const ImageTable*, int>, HBITMAP> cache;
  auto [it, added] = cache.emplace(std::make_pair(&images, id), nullptr);
  if (added) {
    int w = 0;
    int h = 0;
    it->second = Decode(images.Load(ImageKind::Bitmap, id), &w, &h);
  }
  return it->second;
}

HICON IconHandle(const ImageTable& images, int id, int size) {
  static std::map<std::tuple<const ImageTable*, int, int>, HICON> cache;
  auto [it, added] = cache.emplace(std::make_tuple(&images, id, size), nullptr);
  if (!added) return it->second;
  int w = 0;
  int h = 0;
  HBITMAP color = Decode(images.Load(ImageKind::Icon, id), &w, &h);
  if (color == nullptr) return nullptr;
  if (size > 0 && (w != size || h != size)) {
    // The system scales a color bitmap with alpha poorly; draw it at the
    // size asked for through a copy.
    HBITMAP scaled = static_cast<HBITMAP>(::CopyImage(color, IMAGE_BITMAP, size, size, LR_CREATEDIBSECTION));
    if (scaled != nullptr) {
      ::DeleteObject(color);
      color = scaled;
      w = h = size;
    }
  }
  // The alpha channel carries the shape; the mask only has to exist.
  HBITMAP mask = ::CreateBitmap(w, h, 1, 1, nullptr);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = color;
  info.hbmMask = mask;
  it->second = ::CreateIconIndirect(&info);
  ::DeleteObject(mask);
  ::DeleteObject(color);
  return it->second;
}

HMENU MakeMenu(const Menu& menu, bool popup) {
  HMENU handle = popup ? ::CreatePopupMenu() : ::CreateMenu();
  for (const Menu::Item& item : menu.Items()) {
    const std::wstring text = Wide(item.text);
    if (item.separator) {
      ::AppendMenuW(handle, MF_SEPARATOR, 0, nullptr);
    } else if (item.popup) {
      ::AppendMenuW(handle, MF_POPUP | MF_STRING | (item.grayed ? MF_GRAYED : 0),
                    reinterpret_cast<UINT_PTR>(MakeMenu(*item.popup, true)), text.c_str());
    } else {
      ::AppendMenuW(handle,
                    MF_STRING | (item.grayed ? MF_GRAYED : 0) | (item.checked ? MF_CHECKED : 0),
                    static_cast<UINT_PTR>(item.id), text.c_str());
    }
  }
  return handle;
}

}  // namespace ui::win32
