#include "wrapper/pyra_control.h"

#include <cstring>
#include <filesystem>
#include <span>
#include <utility>

#include "pyra/pyractl.h"
#include "wrapper/host_text.h"
#include "wrapper/page_file.h"

namespace pyra::wrapper {

namespace {

// Host strings as the engine takes them: texts whole, names without their
// trailing blanks. Both are copies that live until the engine call returns.
std::string text(std::string_view s) { return std::string(s); }
std::string name(std::string_view s) { return std::string(withoutTrailingSpaces(s)); }

template <size_t N>
void copyText(char (&field)[N], const std::string& value) {
  copyIntoBuffer(value, std::span<char>(field, N));
}

// Releases a metafile handle on every way out of a page-file call.
class HandleRelease {
 public:
  HandleRelease(uint32_t handle, MetafilePlatform& platform, bool enhanced)
      : handle_(handle), platform_(platform), enhanced_(enhanced) {}
  ~HandleRelease() {
    if (handle_ == 0) return;
    if (enhanced_) platform_.deleteEnhanced(handle_);
    else platform_.deleteWindows(handle_);
  }
  HandleRelease(const HandleRelease&) = delete;
  HandleRelease& operator=(const HandleRelease&) = delete;

 private:
  uint32_t handle_;
  MetafilePlatform& platform_;
  bool enhanced_;
};

// Text properties of PYRA_SetSProp.
constexpr int32_t kPropertyOwnerPassword = 11;
constexpr int32_t kPropertyUserPassword = 12;
constexpr int32_t kPropertyInputFile = 13;

std::string currentFolder() {
  std::error_code ec;
  auto folder = std::filesystem::current_path(ec);
  return ec ? std::string() : folder.string();
}

}  // namespace

PyraControl::PyraControl() : PyraControl(makeGdiMetafilePlatform()) {}

PyraControl::PyraControl(std::unique_ptr<MetafilePlatform> platform) : platform_(std::move(platform)) {
  if (!platform_) platform_ = makeGdiMetafilePlatform();
}

PyraControl::~PyraControl() {
  if (owns_environment_) PYRA_Finalize(PDFENV);
}

void PyraControl::setFileNameProvider(FileNameProvider provider) { file_name_provider_ = std::move(provider); }

int32_t PyraControl::BeginDoc(std::string_view file_name, int32_t stream) {
  // Names are not cut to a fixed buffer: a Linux path may be longer than
  // 255 bytes, and a cut one would write the report somewhere else.
  std::string chosen = name(file_name);
  if (chosen.empty()) {
    if (!file_name_provider_) return 0;
    std::optional<std::string> answer = file_name_provider_(kSaveDialogTitle, kSaveDialogFilter, currentFolder());
    if (!answer || answer->empty()) return 0;
    chosen = pdfNameFromChosen(std::move(*answer));
  }
  return PYRA_BeginDoc(PDFENV, chosen.c_str(), stream);
}

int32_t PyraControl::DrawBitmapFile(int32_t x, int32_t y, int32_t w, int32_t h, std::string_view file_name) {
  return PYRA_DrawBitmapFile(PDFENV, x, y, w, h, name(file_name).c_str());
}

void PyraControl::DrawMetafile(std::string_view file_name, int32_t x, int32_t y, int32_t w, int32_t h) {
  drawPageFile(file_name, x, y, w, h, Conversion::ByWrapper);
}

void PyraControl::DrawWMF(std::string_view file_name, int32_t x, int32_t y, int32_t w, int32_t h) {
  drawPageFile(file_name, x, y, w, h, Conversion::ByEngine);
}

void PyraControl::drawPageFile(std::string_view file_name, int32_t x, int32_t y, int32_t w, int32_t h,
                               Conversion conversion) {
  const std::string path = name(file_name);
  if (isEnhancedMetafileName(path)) {
    const uint32_t emf = platform_->loadEnhancedFile(path.c_str());
    HandleRelease release_emf(emf, *platform_, true);
    PYRA_DrawMetafile(PDFENV, emf, x, y, w, h);
    return;
  }

  const PageFile page(path);
  if (!page.header().isPlaceable()) {
    const uint32_t wmf = platform_->loadWindowsFile(path.c_str());
    HandleRelease release_wmf(wmf, *platform_, false);
    PYRA_DrawMetafile(PDFENV, wmf, x, y, w, h);
    return;
  }

  // The platform loads Windows metafiles from a file of their own, so the
  // plain metafile behind the placeable header goes into a temporary copy.
  // Where the temporary folder cannot take it, the bytes are handed over
  // from memory instead: the page is still drawn.
  const std::unique_ptr<TempMetafileCopy> copy = TempMetafileCopy::makeFrom(page);
  uint32_t wmf = 0;
  if (copy) {
    wmf = platform_->loadWindowsFile(copy->path().c_str());
  } else if (auto body = page.readBody()) {
    wmf = platform_->windowsFromBytes(*body);
  }
  HandleRelease release_wmf(wmf, *platform_, false);

  if (conversion == Conversion::ByEngine) {
    PYRA_DrawMetafile(PDFENV, wmf, x, y, w, h);
    return;
  }

  const std::vector<uint8_t> bits = wmf != 0 ? platform_->windowsBits(wmf) : std::vector<uint8_t>{};
  const PlaceableHeader& box = page.header();
  const PictureRecord picture{8, int32_t(box.RIGHT) - box.LEFT, int32_t(box.BOTTOM) - box.TOP, int32_t(wmf)};
  const int32_t dc = GetPDFDC();
  const uint32_t emf = bits.empty() ? 0 : platform_->enhancedFromWindowsBits(bits, uint32_t(dc), picture);
  HandleRelease release_emf(emf, *platform_, true);
  PYRA_DrawMetafile(PDFENV, emf, x, y, w, h);
}

void PyraControl::EndDoc() { PYRA_EndDoc(PDFENV); }

void PyraControl::EndPage() { PYRA_EndPage(PDFENV); }

void PyraControl::Finalize() {
  PYRA_Finalize(PDFENV);
  owns_environment_ = false;
}

void PyraControl::FinalizeAll() {
  PYRA_FinalizeAll();
  owns_environment_ = false;
}

int32_t PyraControl::GetPDFDC() {
  DC = int32_t(PYRA_DC(PDFENV));
  return DC;
}

void PyraControl::Hyperlink(int32_t x, int32_t y, int32_t w, int32_t h, std::string_view target) {
  PYRA_Hyperlink(PDFENV, x, y, w, h, text(target).c_str());
}

int32_t PyraControl::Initialize() {
  PDFENV = PYRA_Initialize();
  owns_environment_ = PDFENV > 0;
  return PDFENV;
}

int32_t PyraControl::InitializeEx() {
  PyraOptions options;
  std::memset(&options, 0, sizeof options);
  // The record's real size: 2056 bytes where code pointers are 4 bytes wide.
  options.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  options.ENCODING = ENCODING;
  options.COMPRESSION = COMPRESSION;
  options.BITCOMPRESSION = BITCOMPRESSION;
  options.THUMBNAILS = THUMBNAILS;
  options.FONTMODE = FONTMODE;
  options.PAGEMODE = PAGEMODE;
  options.INPUTFILEMODE = INPUTFILEMODE;
  options.JPEGCOMPRESS = JPEGCOMPRESS;
  options.ENHANCEDOPTIONS = ENHANCEDOPTIONS;
  options.PDFXRES = PDFXRES;
  options.PDFYRES = PDFYRES;
  options.PDFWIDTH = PDFWIDTH;
  options.PDFHEIGHT = PDFHEIGHT;
  options.PERMISSION = PERMISSION;
  copyText(options.INPUTPDFFILE, INPUTPDFFILE);
  copyText(options.MAILMERGESTART, MAILMERGESTART);
  copyText(options.USERPASSWORD, USERPASSWORD);
  copyText(options.OWNERPASSWORD, OWNERPASSWORD);
  copyText(options.DATE, DATE);
  copyText(options.MODDATE, MODDATE);
  copyText(options.AUTHOR, AUTHOR);
  copyText(options.PRODUCER, PRODUCER);
  copyText(options.TITLE, TITLE);
  copyText(options.SUBJECT, SUBJECT);
  copyText(options.KEYWORDS, KEYWORDS);
  PDFENV = PYRA_InitializeEx(&options);
  owns_environment_ = PDFENV > 0;
  if (PDFENV > 0) passTextsTheRecordCut();
  return PDFENV;
}

void PyraControl::passTextsTheRecordCut() {
  // A password cut to the record's 19 bytes would encrypt the document with
  // a password the user never typed (PDF readers compare up to 32 bytes),
  // and a cut input path names another file. Those two reach the engine
  // whole through its text properties; the cut copies stay in the record.
  struct Whole { const std::string& text; size_t buffer; int32_t property; };
  const Whole texts[] = {
      {OWNERPASSWORD, sizeof(PyraOptions::OWNERPASSWORD), kPropertyOwnerPassword},
      {USERPASSWORD, sizeof(PyraOptions::USERPASSWORD), kPropertyUserPassword},
      {INPUTPDFFILE, sizeof(PyraOptions::INPUTPDFFILE), kPropertyInputFile},
  };
  for (const Whole& w : texts)
    if (w.text.size() >= w.buffer && w.text.find('\0') == std::string::npos)
      PYRA_SetSProp(PDFENV, w.property, w.text.c_str());
}

void PyraControl::Bookmark(int32_t x, int32_t y, std::string_view bookmark) {
  PYRA_Bookmark(PDFENV, x, y, text(bookmark).c_str());
}

void PyraControl::Outline(int32_t level, int32_t x, int32_t y, std::optional<std::string_view> destination,
                          std::string_view caption) {
  const std::optional<std::string> dest = destination ? std::optional(text(*destination)) : std::nullopt;
  PYRA_Outline(PDFENV, level, x, y, dest ? dest->c_str() : nullptr, text(caption).c_str());
}

void PyraControl::Outline(int32_t level, int32_t x, int32_t y, std::string_view caption) {
  Outline(level, x, y, std::nullopt, caption);
}

int32_t PyraControl::Rectangle(int32_t x, int32_t y, int32_t w, int32_t h) {
  return PYRA_Rectangle(PDFENV, x, y, w, h);
}

void PyraControl::SetTextAttr(std::string_view font_name, int32_t size, int32_t bold, int32_t italic,
                              int32_t underline) {
  PYRA_SetTextAttr(PDFENV, text(font_name).c_str(), size, bold, italic, underline);
}

void PyraControl::SetTextAttrEx(std::string_view font_name, int32_t size, int32_t charset, int32_t bold,
                                int32_t italic, int32_t underline, uint32_t color) {
  PYRA_SetTextAttrEx(PDFENV, text(font_name).c_str(), size, uint8_t(charset), bold, italic, underline,
                     int32_t(color));
}

void PyraControl::SetTextDefaultAttr(std::string_view font_name, int32_t size) {
  PYRA_SetTextDefaultAttr(PDFENV, text(font_name).c_str(), size);
}

void PyraControl::SetPenAttr(int32_t style, int32_t width, int32_t color) {
  PYRA_SetPenAttr(PDFENV, uint8_t(style), width, color);
}

void PyraControl::SetBrushAttr(int32_t style, int32_t color) { PYRA_SetBrushAttr(PDFENV, uint8_t(style), color); }

void PyraControl::StartPage() { PYRA_StartPage(PDFENV); }

void PyraControl::StartPageEx(int32_t width, int32_t height, int32_t rotation) {
  PYRA_StartPageEx(PDFENV, width, height, rotation);
}

int32_t PyraControl::TextRect(int32_t x, int32_t y, int32_t w, int32_t h, std::string_view body,
                              int32_t alignment) {
  const std::string copy = text(body);
  const char* scan = PYRA_TextRect(PDFENV, x, y, w, h, copy.c_str(), alignment);
  // A pointer into the copy dies with it; only its position is meaningful.
  if (scan == nullptr || scan < copy.c_str() || scan > copy.c_str() + copy.size()) return -1;
  return int32_t(scan - copy.c_str());
}

void PyraControl::TextOut(int32_t x, int32_t y, std::string_view body) {
  PYRA_TextOut(PDFENV, x, y, text(body).c_str());
}

void PyraControl::StartWatermark(std::string_view watermark) {
  PYRA_StartWatermark(PDFENV, name(watermark).c_str());
}

void PyraControl::StartWatermarkEx(std::string_view watermark, int32_t width, int32_t height) {
  PYRA_StartWatermarkEx(PDFENV, name(watermark).c_str(), width, height);
}

void PyraControl::EndWatermark() { PYRA_EndWatermark(PDFENV); }

void PyraControl::DrawWatermark(std::string_view watermark, int32_t mode) {
  PYRA_DrawWatermark(PDFENV, name(watermark).c_str(), mode);
}

int32_t PyraControl::MoveTo(int32_t x, int32_t y) { return PYRA_MoveTo(PDFENV, x, y); }

int32_t PyraControl::LineTo(int32_t x, int32_t y) { return PYRA_LineTo(PDFENV, x, y); }

}  // namespace pyra::wrapper
