#include "ui/file_dialog.h"

#include "platform/dospath.h"
#include "platform/fileops.h"
#include "ui/dialog.h"

namespace ui {

namespace {

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  // Iterative '*' matching with one backtrack point.
  std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || platform::ToLowerAscii(pattern[p]) == platform::ToLowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::size_t LastSeparator(std::string_view path) { return path.find_last_of("\\/"); }

std::string Join(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\' && out.back() != '/') out += '\\';
  out += name;
  return out;
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
  // A string-table text may end with a line end after the closing "||".
  while (!filter.empty() && (filter.back() == '\n' || filter.back() == '\r')) filter.remove_suffix(1);
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start < filter.size()) {
    const std::size_t bar = filter.find('|', start);
    const std::string_view part =
        filter.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
    if (part.empty()) break;  // "||": the end
    parts.push_back(part);
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  std::vector<FileFilter> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    filters.push_back({std::string(parts[i]), std::string(parts[i + 1])});
  }
  return filters;
}

bool MatchesFilter(std::string_view fileName, std::string_view patterns) {
  std::size_t start = 0;
  while (start <= patterns.size()) {
    std::size_t end = patterns.find(';', start);
    if (end == std::string_view::npos) end = patterns.size();
    std::string_view p = patterns.substr(start, end - start);
    while (!p.empty() && p.front() == ' ') p.remove_prefix(1);
    while (!p.empty() && p.back() == ' ') p.remove_suffix(1);
    if (p == "*.*" || p == "*") return true;
    if (!p.empty() && WildcardMatch(p, fileName)) return true;
    start = end + 1;
  }
  return false;
}

std::string FileDialogRequest::StartFolder() const {
  const std::size_t sep = LastSeparator(fileName);
  std::string folder = sep != std::string::npos ? fileName.substr(0, sep) : initialDir;
  if (folder.empty()) return platform::CurrentDirectory();
  if (!platform::IsAbsoluteDosPath(folder)) folder = Join(platform::CurrentDirectory(), folder);
  return folder;
}

std::string FileDialogRequest::StartName() const {
  const std::size_t sep = LastSeparator(fileName);
  return sep != std::string::npos ? fileName.substr(sep + 1) : fileName;
}

std::optional<std::string> AcceptFileName(const FileDialogRequest& request,
                                          std::string_view folder, std::string_view typed) {
  if (typed.empty()) return std::nullopt;
  std::string path = platform::IsAbsoluteDosPath(typed) ? std::string(typed) : Join(folder, typed);
  // A host path ("/home/ann/duke3d.exe") comes back in DOS form.
  if (!path.empty() && path.front() == '/') path = platform::ToDosPath(path);
  const std::size_t sep = LastSeparator(path);
  const std::string_view name = std::string_view(path).substr(sep == std::string::npos ? 0 : sep + 1);
  if (name.empty()) return std::nullopt;
  if (name.find('.') == std::string_view::npos && !request.defaultExt.empty()) {
    path += '.';
    path += request.defaultExt;
  }
  if ((request.flags & OFN_FILEMUSTEXIST) != 0 &&
      (!platform::FileExists(path) || platform::DirectoryExists(path))) {
    return std::nullopt;
  }
  if ((request.flags & OFN_PATHMUSTEXIST) != 0) {
    const std::size_t last = LastSeparator(path);
    if (last != std::string::npos && !platform::DirectoryExists(path.substr(0, last + 1))) {
      return std::nullopt;
    }
  }
  return path;
}

CFileDialog::CFileDialog(bool openFileDialog, std::string_view defaultExt,
                         std::string_view fileName, unsigned flags, std::string_view filter,
                         CDialog* parent)
    : parent_(parent) {
  request_.open = openFileDialog;
  request_.defaultExt = std::string(defaultExt);
  if (!request_.defaultExt.empty() && request_.defaultExt.front() == '.') {
    request_.defaultExt.erase(0, 1);
  }
  request_.fileName = std::string(fileName);
  request_.flags = flags | OFN_HIDEREADONLY;
  request_.filters = ParseFileFilter(filter);
}

int CFileDialog::DoModal() {
  Application* app = GetApplication();
  if (app == nullptr) return IDCANCEL;
  return DoModal(app->Dialogs());
}

int CFileDialog::DoModal(DialogHost& host) {
  std::optional<std::string> chosen = host.GetFileName(parent_, request_);
  if (!chosen) return IDCANCEL;
  path_ = std::move(*chosen);
  return IDOK;
}

std::string CFileDialog::GetFileName() const {
  const std::size_t sep = LastSeparator(path_);
  return sep == std::string::npos ? path_ : path_.substr(sep + 1);
}

std::string CFileDialog::GetFileExt() const {
  const std::string name = GetFileName();
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace ui
