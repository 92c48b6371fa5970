#include "demo/reports/preview_queue.h"

#include <stdlib.h>

#include <cstdio>
#include <string>
#include <system_error>

#include "demo/reports/report_error.h"

namespace pyra::reports {

PreviewQueue PreviewQueue::makeTemporary() {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) throw ReportError("no temporary folder for the preview pages: " + ec.message());
  // mkdtemp gives a folder no other report (or process) shares.
  std::string pattern = (base / "billbook-preview-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw ReportError("the preview folder " + pattern + " could not be created");
  return PreviewQueue(pattern);
}

PreviewQueue::PreviewQueue(PreviewQueue&& other) noexcept
    : folder_(std::move(other.folder_)), pages_(std::move(other.pages_)) {
  other.folder_.clear();
  other.pages_.clear();
}

PreviewQueue& PreviewQueue::operator=(PreviewQueue&& other) noexcept {
  if (this != &other) {
    removeFolder();
    folder_ = std::move(other.folder_);
    pages_ = std::move(other.pages_);
    other.folder_.clear();
    other.pages_.clear();
  }
  return *this;
}

PreviewQueue::~PreviewQueue() { removeFolder(); }

void PreviewQueue::removeFolder() noexcept {
  if (folder_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
  folder_.clear();
}

std::filesystem::path PreviewQueue::nextPageFile() const {
  char name[32];
  std::snprintf(name, sizeof name, "page-%05zu.wmf", pages_.size() + 1);
  return folder_ / name;
}

}  // namespace pyra::reports
