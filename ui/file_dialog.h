// The system's open-file dialog.
//
//   ui::CFileDialog dlg(true, ".exe", "duke3d.exe", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
//                       "Exe Files (*.exe)|*.exe|All Files (*.*)|*.*||");
//   if (dlg.DoModal() == IDOK) gamePath = dlg.GetPathName();  // "C:\duke\duke3d.exe"
//
// Paths go in and come out in DOS form. The filter string pairs a shown
// name with its patterns, every part ended by '|' ("||" ends the string;
// a line end after it is ignored). A name typed without extension gets the
// default extension. With OFN_FILEMUSTEXIST only an existing file is taken.
// The read-only box is never offered, so OFN_HIDEREADONLY always holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/win_constants.h"

namespace ui {

class CDialog;
class DialogHost;

struct FileFilter {
  std::string name;      // "Exe Files (*.exe)"
  std::string patterns;  // "*.exe", several separated by ';'
  bool operator==(const FileFilter&) const = default;
};

// The pairs of a filter string; an odd name at the end is dropped.
std::vector<FileFilter> ParseFileFilter(std::string_view filter);

// Whether a file name matches one of patterns ('*' and '?', without regard
// to case; "*.*" matches every name, with or without a dot).
bool MatchesFilter(std::string_view fileName, std::string_view patterns);

// What a host shows.
struct FileDialogRequest {
  bool open = true;
  std::string title;          // empty: "Open" or "Save As"
  std::string defaultExt;     // without the dot: "exe"
  std::string fileName;       // the name shown at first; may carry a folder
  std::string initialDir;     // DOS form; empty: the current directory
  std::vector<FileFilter> filters;
  unsigned flags = 0;         // OFN_*

  // The folder the dialog starts in (DOS form, absolute) and the name it
  // shows there.
  std::string StartFolder() const;
  std::string StartName() const;
};

// What becomes of a name the user picked or typed: relative names are taken
// from folder, the default extension is added to a name without one, and
// the result is the absolute DOS path. Empty when the request refuses it
// (OFN_FILEMUSTEXIST and no such file, or a folder).
std::optional<std::string> AcceptFileName(const FileDialogRequest& request,
                                          std::string_view folder, std::string_view typed);

class CFileDialog {
 public:
  CFileDialog(bool openFileDialog, std::string_view defaultExt = {},
              std::string_view fileName = {}, unsigned flags = OFN_HIDEREADONLY,
              std::string_view filter = {}, CDialog* parent = nullptr);

  // IDOK when a file was chosen, IDCANCEL otherwise.
  int DoModal();
  int DoModal(DialogHost& host);

  std::string GetPathName() const { return path_; }  // absolute, DOS form
  std::string GetFileName() const;                   // after the last '\'
  std::string GetFileExt() const;                    // without the dot

  // Title and initial folder can be changed before DoModal.
  FileDialogRequest& Request() { return request_; }

 private:
  FileDialogRequest request_;
  CDialog* parent_;
  std::string path_;
};

}  // namespace ui
