#pragma once
// PyraControl: the host-side class through which a report host drives one
// PDF environment of pyractl. It holds the option fields handed to the
// engine when the environment opens, offers one method per engine call,
// asks for the output file name when none is given, and reads metafile page
// files (placeable or plain Windows metafiles, enhanced metafiles) and hands
// them to the engine page by page.
//
// The class keeps no state machine of its own: every method forwards with
// PDFENV and the engine enforces the order of calls. It checks no engine
// result and shows no message; engine errors reach the host through the
// returned values and the engine's own callbacks (PYRA_SetCallback).
//
// Strings: texts (TextOut, TextRect, SetTextAttr*, Outline, Bookmark,
// Hyperlink) are passed whole, trailing blanks included; names (BeginDoc,
// DrawBitmapFile, DrawMetafile, DrawWMF, the watermark names) lose their
// trailing blanks first. Names and texts are bytes: UTF-8 paths work as the
// file system takes them.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "wrapper/metafile_platform.h"
#include "wrapper/wrap_api.h"

namespace pyra::wrapper {

inline constexpr char kSaveDialogTitle[] = "Save Report As";
inline constexpr char kSaveDialogFilter[] = "Adobe PDF | *.pdf";

// Asked by BeginDoc for the output file when the caller gives no name: the
// dialog's title, its filter and the folder to start in; returns the chosen
// name, or nothing when the user cancels. billbook installs a file dialog;
// without a provider (a batch program, a test) BeginDoc behaves as if the
// dialog had been cancelled.
using FileNameProvider = std::function<std::optional<std::string>(
    const std::string& title, const std::string& filter, const std::string& folder)>;

class PYRA_WRAP_API PyraControl {
 public:
  // Option fields, in declaration order. LONG fields are int32_t; text
  // fields are cut to their record buffers (n - 1 bytes) by InitializeEx,
  // never inside a UTF-8 character. Passwords and INPUTPDFFILE longer than
  // their buffers also reach the engine whole (text properties 11-13).
  int32_t PDFENV = 0;  // environment of every engine call
  int32_t DC = 0;      // device context last returned by GetPDFDC
  int32_t ENCODING = 0;
  int32_t COMPRESSION = 0;
  int32_t BITCOMPRESSION = 0;
  int32_t THUMBNAILS = 0;
  int32_t FONTMODE = 0;
  int32_t PAGEMODE = 0;
  int32_t INPUTFILEMODE = 0;
  int32_t JPEGCOMPRESS = 0;
  int32_t ENHANCEDOPTIONS = 0;
  int32_t PDFXRES = 0;
  int32_t PDFYRES = 0;
  int32_t PDFWIDTH = 0;
  int32_t PDFHEIGHT = 0;
  std::string INPUTPDFFILE;    // text(128)
  std::string MAILMERGESTART;  // text(8)
  int32_t PERMISSION = 0;
  std::string USERPASSWORD;    // text(20)
  std::string OWNERPASSWORD;   // text(20)
  std::string DATE;            // text(256), as are the five below
  std::string MODDATE;
  std::string AUTHOR;
  std::string PRODUCER;
  std::string TITLE;
  std::string SUBJECT;
  std::string KEYWORDS;

  // Page files are loaded through libpyragdi.
  PyraControl();
  // Page files are loaded through `platform` (must not be null).
  explicit PyraControl(std::unique_ptr<MetafilePlatform> platform);
  // Finalizes an environment this object opened and the host has not
  // finalized, so a forgotten Finalize leaks nothing.
  ~PyraControl();
  PyraControl(const PyraControl&) = delete;
  PyraControl& operator=(const PyraControl&) = delete;

  void setFileNameProvider(FileNameProvider provider);

  // The methods, in the order of the class's method table.
  int32_t BeginDoc(std::string_view file_name, int32_t stream);
  int32_t DrawBitmapFile(int32_t x, int32_t y, int32_t w, int32_t h, std::string_view file_name);
  void DrawMetafile(std::string_view file_name, int32_t x, int32_t y, int32_t w, int32_t h);
  void DrawWMF(std::string_view file_name, int32_t x, int32_t y, int32_t w, int32_t h);
  void EndDoc();
  void EndPage();
  void Finalize();
  void FinalizeAll();
  int32_t GetPDFDC();
  void Hyperlink(int32_t x, int32_t y, int32_t w, int32_t h, std::string_view target);
  int32_t Initialize();
  int32_t InitializeEx();
  void Bookmark(int32_t x, int32_t y, std::string_view name);
  // A given name, even an empty one, makes a named destination first;
  // std::nullopt (or the overload without it) passes a null name.
  void Outline(int32_t level, int32_t x, int32_t y, std::optional<std::string_view> name,
               std::string_view caption);
  void Outline(int32_t level, int32_t x, int32_t y, std::string_view caption);
  int32_t Rectangle(int32_t x, int32_t y, int32_t w, int32_t h);
  void SetTextAttr(std::string_view font_name, int32_t size, int32_t bold, int32_t italic, int32_t underline);
  void SetTextAttrEx(std::string_view font_name, int32_t size, int32_t charset, int32_t bold, int32_t italic,
                     int32_t underline, uint32_t color);
  void SetTextDefaultAttr(std::string_view font_name, int32_t size);
  void SetPenAttr(int32_t style, int32_t width, int32_t color);
  void SetBrushAttr(int32_t style, int32_t color);
  void StartPage();
  void StartPageEx(int32_t width, int32_t height, int32_t rotation);
  // The engine answers with a position in the text it was given, which is
  // this call's own copy; the result is that position as an offset into
  // `text` (the number of bytes consumed), or -1 when nothing was done.
  int32_t TextRect(int32_t x, int32_t y, int32_t w, int32_t h, std::string_view text, int32_t alignment);
  void TextOut(int32_t x, int32_t y, std::string_view text);
  void StartWatermark(std::string_view name);
  void StartWatermarkEx(std::string_view name, int32_t width, int32_t height);
  void EndWatermark();
  void DrawWatermark(std::string_view name, int32_t mode);
  int32_t MoveTo(int32_t x, int32_t y);
  int32_t LineTo(int32_t x, int32_t y);

 private:
  enum class Conversion { ByEngine, ByWrapper };
  void passTextsTheRecordCut();
  void drawPageFile(std::string_view file_name, int32_t x, int32_t y, int32_t w, int32_t h, Conversion conversion);

  std::unique_ptr<MetafilePlatform> platform_;
  FileNameProvider file_name_provider_;
  bool owns_environment_ = false;
};

}  // namespace pyra::wrapper
