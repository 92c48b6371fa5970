#pragma once
// The document writer: one document written strictly forward into one output
// stream. Document life, page tree, shared resources, information
// dictionary, cross-reference table and trailer.
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/pdf/byte_sink.h"
#include "engine/pdf/document_objects.h"
#include "engine/pdf/filters.h"
#include "engine/pdf/navigation.h"
#include "engine/pdf/object_encryption.h"
#include "engine/pdf/page_thumbnail.h"
#include "engine/pdf/xref_list.h"

namespace pyra::pdf {

class TPxPDFDevice {
 public:
  using ErrorCallback = std::function<void(int32_t code, const std::string& text)>;
  using MessageCallback = std::function<void(int32_t code, const std::string& text, int32_t number)>;

  TPxPDFDevice();
  virtual ~TPxPDFDevice();
  TPxPDFDevice(const TPxPDFDevice&) = delete;
  TPxPDFDevice& operator=(const TPxPDFDevice&) = delete;

  // --- document life ---------------------------------------------------
  // Opens the output (file name, external stream, or memory) and writes the
  // header. False when the output could not be created.
  virtual bool beginDocument(int32_t width, int32_t height, int32_t resolution, int32_t reserved);
  virtual void endDocument();
  virtual void startPage(int32_t width, int32_t height, int32_t xres, int32_t yres, int32_t rotation);
  virtual void endPage();
  // Raises when no document is open or no page is active.
  void checkPage() const;
  void closeOutput();

  // --- output ---------------------------------------------------------
  void write(std::string_view text);
  void write(std::span<const uint8_t> bytes);
  void writeLine(std::string_view text);
  uint64_t position() const;
  XrefList& xref() { return xref_; }
  // Compresses the document's streams, one compressor per level kept.
  FlateEncoder& flate() { return flate_; }

  // --- encryption hooks ------------------------------------------------
  bool encrypted() const { return encryption_ != nullptr; }
  void encryptBytes(int32_t number, std::vector<uint8_t>& bytes) const;
  const ObjectEncryption* encryption() const { return encryption_.get(); }

  // --- settings ------------------------------------------------------------
  void setFileName(std::string name) { file_name_ = std::move(name); }
  const std::string& fileName() const { return file_name_; }
  // A stream owned by the caller; null to write to the file name again.
  void setExternalOutput(ByteSink* sink) { external_ = sink; }
  bool hasOutputStream() const { return output_ != nullptr; }
  bool outputIsFile() const { return file_sink_ != nullptr; }

  void setCallbacks(ErrorCallback on_error, MessageCallback on_message) {
    on_error_ = std::move(on_error);
    on_message_ = std::move(on_message);
  }
  void reportError(int32_t code, const std::string& text) const;
  void reportMessage(int32_t code, const std::string& text, int32_t number) const;
  // The interface reports a failure to create the output file itself.
  void setInterfaceReportsOpenFailure(bool v) { interface_reports_open_failure_ = v; }
  bool interfaceReportsOpenFailure() const { return interface_reports_open_failure_; }

  TPxDeviceInfoBlock& info() { return info_; }
  int32_t identifier() const { return identifier_; }
  void setIdentifier(int32_t id) { identifier_ = id; }
  uint8_t encoding() const { return encoding_; }
  void setEncoding(uint8_t v) { encoding_ = v; }
  uint8_t compression() const { return compression_; }
  void setCompression(uint8_t v) { compression_ = v; }
  uint8_t pageMode() const { return page_mode_; }
  void setPageMode(uint8_t v) { page_mode_ = v; }
  uint8_t fontMode() const { return font_mode_; }
  void setFontMode(uint8_t v) { font_mode_ = v; }
  uint8_t permission() const { return permission_; }
  void setPermission(uint8_t v) { permission_ = v; }
  uint8_t keyLengthMode() const { return key_length_mode_; }
  void setKeyLengthMode(uint8_t v) { key_length_mode_ = v; }
  const std::string& ownerPassword() const { return owner_password_; }
  const std::string& userPassword() const { return user_password_; }
  void setPasswords(std::string owner, std::string user) {
    owner_password_ = std::move(owner);
    user_password_ = std::move(user);
  }
  uint16_t optionWord() const { return option_word_; }
  void setOptionWord(uint16_t v) { option_word_ = v; }
  uint8_t secondOptionByte() const { return second_option_byte_; }
  void setSecondOptionByte(uint8_t v) { second_option_byte_ = v; }
  int32_t importMode() const { return import_mode_; }
  void setImportMode(int32_t v) { import_mode_ = v; }
  const std::string& importFile() const { return import_file_; }
  void setImportFile(std::string f) { import_file_ = std::move(f); }
  void setThumbnails(bool on, bool monochrome) { thumbnails_ = on; monochrome_thumbnails_ = monochrome; }
  bool thumbnails() const { return thumbnails_; }
  // Paints a box of the open page's thumbnail (PDF page space, points);
  // nothing when the page has none.
  void thumbnailBox(double x0, double y0, double x1, double y1, uint32_t colorref);
  const PageThumbnail* thumbnail() const { return thumbnail_.get(); }
  int32_t jpegQuality() const { return jpeg_quality_; }
  void setJpegQuality(int32_t q) { jpeg_quality_ = q; }
  bool jpegOn() const { return jpeg_on_; }
  void setJpegOn(bool v) { jpeg_on_ = v; }
  const std::string& mailMergeStart() const { return mail_merge_start_; }
  void setMailMergeStart(std::string s) { mail_merge_start_ = std::move(s); }
  const std::string& resultText() const { return result_text_; }
  // Comma-separated face lists that limit font embedding.
  const std::string& embedOnlyFaces() const { return embed_only_faces_; }
  void setEmbedOnlyFaces(std::string v) { embed_only_faces_ = std::move(v); }
  const std::string& neverEmbedFaces() const { return never_embed_faces_; }
  void setNeverEmbedFaces(std::string v) { never_embed_faces_ = std::move(v); }
  // Character set of outline captions; every document starts with 0.
  uint8_t outlineCharset() const { return outline_charset_; }
  void setOutlineCharset(uint8_t v) { outline_charset_ = v; }
  void setResultText(std::string s) { result_text_ = std::move(s); }

  // --- state read by drawing ---------------------------------------------
  bool isOpen() const { return open_; }
  bool pageActive() const { return page_active_; }
  int32_t xResolution() const { return xres_; }
  int32_t yResolution() const { return yres_; }
  int32_t pageWidth() const { return page_width_; }
  int32_t pageHeight() const { return page_height_; }
  int32_t pagesWritten() const { return pages_written_; }
  bool landscape() const { return landscape_; }
  const std::string& documentId() const { return document_id_; }
  TPxPDFPage* currentPage() { return page_.get(); }
  TPxPDFResource& resources() { return *resources_; }
  TPxPDFCatalog& catalog() { return *catalog_; }
  // The open page's content stream, made on first use.
  TPxPDFStream& pageContent();
  Navigation& navigation() { return navigation_; }
  // 8-bit text in a Windows code page as UTF-16. Without a decoder of the
  // platform, code page 1252 is assumed.
  using TextDecoder = std::function<std::u16string(const std::string& bytes, uint32_t code_page)>;
  void setTextDecoder(TextDecoder d) { text_decoder_ = std::move(d); }
  std::u16string decodeText(const std::string& bytes, uint32_t code_page) const;
  // Writer comments the document acts on (links, destinations, outline
  // entries); false when the code is not one of them.
  virtual bool writerCommand(int32_t code, int32_t left, int32_t top, int32_t right, int32_t bottom,
                             const std::string& payload);
  // Annotations and similar objects written at the end of the document.
  void addPendingObject(std::unique_ptr<TPxCustomPDFType> object) { pending_.push_back(std::move(object)); }

 protected:
  virtual std::unique_ptr<TPxPDFCatalog> makeCatalog();
  virtual void writeHeader();
  virtual void afterEncryption() {}
  virtual void writeExtraObjects() {}
  virtual void writeTrailer();
  virtual void freePendingObjects();

 private:
  void resetDocument();
  void writeThumbnail(TPxPDFPage& page);
  std::string headerVersion() const;

  ErrorCallback on_error_;
  MessageCallback on_message_;

  int32_t xres_ = 72, yres_ = 72;
  uint16_t option_word_ = 0;
  uint8_t second_option_byte_ = 1;
  uint8_t state_bytes_[2] = {0, 0};
  std::string mail_merge_start_, result_text_;
  std::string embed_only_faces_, never_embed_faces_;
  uint8_t outline_charset_ = 0;
  int32_t identifier_ = 0;
  bool open_ = false;
  bool page_active_ = false;
  bool interface_reports_open_failure_ = false;

  std::unique_ptr<ByteSink> owned_output_;
  FileSink* file_sink_ = nullptr;  // owned_output_ when it is a file
  ByteSink* external_ = nullptr;
  std::unique_ptr<CountingSink> output_;
  std::string file_name_;

  TPxDeviceInfoBlock info_;
  int32_t import_mode_ = 0;
  std::string import_file_;
  uint8_t encoding_ = 0, compression_ = 0, page_mode_ = 0, font_mode_ = 0;
  uint8_t permission_ = 0, key_length_mode_ = 0;
  std::string owner_password_, user_password_;
  int32_t jpeg_quality_ = 25;
  bool jpeg_on_ = false;

  XrefList xref_;
  FlateEncoder flate_;
  std::string document_id_;
  std::mt19937 random_;
  int32_t pages_written_ = 0;

  std::unique_ptr<TPxPDFCatalog> catalog_;
  std::unique_ptr<TPxPDFResource> resources_;
  std::unique_ptr<TPxPDFPage> page_;
  int32_t default_width_ = 0, default_height_ = 0;
  int32_t page_width_ = 0, page_height_ = 0;
  bool first_page_ = true;
  bool thumbnails_ = false, monochrome_thumbnails_ = false, landscape_ = false;
  std::unique_ptr<PageThumbnail> thumbnail_;

  std::unique_ptr<ObjectEncryption> encryption_;
  std::unique_ptr<TPyraEncryptInfo> encryption_object_;
  std::unique_ptr<TPxPDFInfo> info_object_;
  std::vector<std::unique_ptr<TPxCustomPDFType>> pending_;
  Navigation navigation_{*this};
  TextDecoder text_decoder_;
};

// Adds form fields and document actions to the writer.
class TPxPDFDeviceEX : public TPxPDFDevice {
 public:
  using TPxPDFDevice::TPxPDFDevice;

 protected:
  std::unique_ptr<TPxPDFCatalog> makeCatalog() override;
};

// a * b / c rounded to the nearest integer, halves away from zero; 0 when c
// is 0 or the result does not fit.
int32_t mulDiv(int32_t a, int32_t b, int32_t c);

}  // namespace pyra::pdf
