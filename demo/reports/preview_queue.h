#pragma once
// The print preview's queue: one page file per finished page, in printing
// order, with the size each page was laid out at. The queue owns a fresh
// temporary folder for its files and removes it when it is destroyed, so a
// report leaves nothing behind however it ends.
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "demo/reports/report_layout.h"

namespace pyra::reports {

struct PreviewPage {
  std::filesystem::path file;
  PageSize size;  // mils
};

class PreviewQueue {
 public:
  // Creates the folder under the system's temporary folder; throws
  // ReportError when it cannot.
  static PreviewQueue makeTemporary();

  PreviewQueue(PreviewQueue&& other) noexcept;
  PreviewQueue& operator=(PreviewQueue&& other) noexcept;
  PreviewQueue(const PreviewQueue&) = delete;
  PreviewQueue& operator=(const PreviewQueue&) = delete;
  ~PreviewQueue();

  const std::filesystem::path& folder() const { return folder_; }
  // The file name the next page is to be written to ("page-00001.wmf").
  std::filesystem::path nextPageFile() const;
  void add(PreviewPage page) { pages_.push_back(std::move(page)); }
  std::span<const PreviewPage> pages() const { return pages_; }
  bool empty() const { return pages_.empty(); }
  size_t size() const { return pages_.size(); }

 private:
  explicit PreviewQueue(std::filesystem::path folder) : folder_(std::move(folder)) {}
  void removeFolder() noexcept;

  std::filesystem::path folder_;
  std::vector<PreviewPage> pages_;
};

}  // namespace pyra::reports
