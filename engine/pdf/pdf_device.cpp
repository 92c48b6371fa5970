#include "engine/pdf/pdf_device.h"

#include <chrono>
#include <cstdlib>
#include <limits>

#include "engine/pdf/crypto/standard_security.h"
#include "engine/pdf/error.h"
#include "engine/pdf/number_text.h"

namespace pyra::pdf {

int32_t mulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return 0;
  int64_t num = int64_t(a) * int64_t(b);
  int64_t q = num / c;
  int64_t r = num % c;
  // Round half away from zero.
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -int64_t(c) : int64_t(c))) q += ((num < 0) != (c < 0)) ? -1 : 1;
  if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min()) return 0;
  return int32_t(q);
}

namespace {

// The standard security handler behind the writer's encryption hooks.
class StandardEncryption final : public ObjectEncryption {
 public:
  StandardEncryption(const TPxPDFDevice& d)
      : security_(d.ownerPassword(), d.userPassword(), d.permission(), keyLengthModeFromByte(d.keyLengthMode()),
                  fileId(d.documentId())) {}
  void encrypt(int32_t number, std::vector<uint8_t>& bytes) const override {
    security_.encrypt(uint32_t(number), 0, bytes);
  }
  std::string dictionaryEntries() const override { return security_.dictionaryText(); }
  std::string minimumVersion() const override { return std::string(security_.headerVersion()); }
  std::string catalogEntries() const override { return std::string(security_.catalogExtensions()); }

 private:
  static StandardSecurity::FileId fileId(const std::string& letters) {
    StandardSecurity::FileId id{};
    for (size_t i = 0; i < id.size() && i < letters.size(); ++i) id[i] = uint8_t(letters[i]);
    return id;
  }
  StandardSecurity security_;
};

}  // namespace

TPxPDFDevice::TPxPDFDevice() = default;
TPxPDFDevice::~TPxPDFDevice() = default;

void TPxPDFDevice::reportError(int32_t code, const std::string& text) const {
  if (on_error_) on_error_(code, text);
}

void TPxPDFDevice::reportMessage(int32_t code, const std::string& text, int32_t number) const {
  if (on_message_) on_message_(code, text, number);
}

void TPxPDFDevice::write(std::string_view text) {
  if (!open_ || !output_) throw Error("Device not open");
  output_->write(text);
}

void TPxPDFDevice::write(std::span<const uint8_t> bytes) {
  if (!open_ || !output_) throw Error("Device not open");
  output_->write(bytes);
}

void TPxPDFDevice::writeLine(std::string_view text) {
  write(text);
  write(std::string_view("\r\n"));
}

uint64_t TPxPDFDevice::position() const { return output_ ? output_->count() : 0; }

void TPxPDFDevice::encryptBytes(int32_t number, std::vector<uint8_t>& bytes) const {
  if (encryption_) encryption_->encrypt(number, bytes);
}

void TPxPDFDevice::checkPage() const {
  if (!open_) throw Error("Device is not open!");
  if (!page_active_) throw Error("Page has not been started!");
}

void TPxPDFDevice::closeOutput() {
  output_.reset();
  file_sink_ = nullptr;
  owned_output_.reset();
}

std::unique_ptr<TPxPDFCatalog> TPxPDFDevice::makeCatalog() { return std::make_unique<TPxPDFCatalog>(this); }

std::unique_ptr<TPxPDFCatalog> TPxPDFDeviceEX::makeCatalog() { return std::make_unique<TPxPDFCatalogEx>(this); }

void TPxPDFDevice::resetDocument() {
  // Destroy per-document objects in dependency order: pages and pending
  // objects may refer to the resources and the catalog.
  page_.reset();
  thumbnail_.reset();
  pending_.clear();
  navigation_.reset();
  info_object_.reset();
  encryption_object_.reset();
  encryption_.reset();
  resources_.reset();
  catalog_.reset();
  xref_.reset();
  pages_written_ = 0;
}

bool TPxPDFDevice::beginDocument(int32_t width, int32_t height, int32_t resolution, int32_t) {
  resetDocument();
  closeOutput();
  outline_charset_ = 0;
  open_ = false;
  page_active_ = false;

  if (external_) {
    output_ = std::make_unique<CountingSink>(*external_);
  } else if (!file_name_.empty()) {
    try {
      auto file = std::make_unique<FileSink>(file_name_);
      file_sink_ = file.get();
      owned_output_ = std::move(file);
    } catch (const Error&) {
      if (interface_reports_open_failure_) interface_reports_open_failure_ = false;
      else reportError(kErrCannotOpenFile, "Cannot open file " + file_name_);
      return false;
    }
    output_ = std::make_unique<CountingSink>(*owned_output_);
  } else {
    // No file and no stream: the output is made and thrown away.
    owned_output_ = std::make_unique<MemorySink>();
    output_ = std::make_unique<CountingSink>(*owned_output_);
  }

  open_ = true;
  page_active_ = false;

  // With SOURCE_DATE_EPOCH set, the random parts (file identifier, header
  // padding) are derived from it so that builds are reproducible.
  uint64_t seed;
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    seed = std::strtoull(epoch, nullptr, 10) ^ 0x5079726150445546ull;
  } else {
    seed = uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^ std::random_device{}();
  }
  random_.seed(static_cast<std::mt19937::result_type>(seed ^ (seed >> 32)));
  document_id_.clear();
  for (int i = 0; i < 16; ++i) document_id_ += char('A' + random_() % 26);

  if (resolution <= 0) resolution = 72;
  xres_ = yres_ = resolution;
  default_width_ = mulDiv(width, 72, resolution);
  default_height_ = mulDiv(height, 72, resolution);
  page_width_ = default_width_;
  page_height_ = default_height_;
  first_page_ = true;
  pages_written_ = 0;
  xref_.reset();

  catalog_ = makeCatalog();
  resources_ = std::make_unique<TPxPDFResource>(this);

  writeHeader();
  return true;
}

std::string TPxPDFDevice::headerVersion() const {
  if (encryption_) {
    std::string v = encryption_->minimumVersion();
    if (!v.empty()) return v;
  }
  if (option_word_ & 0x0200) return "1.3";
  return "1.2";
}

void TPxPDFDevice::writeHeader() {
  // The handler decides the version, so it is made before the first line.
  encryption_.reset();
  if (permission_ & 1) encryption_ = std::make_unique<StandardEncryption>(*this);
  if (position() == 0) writeLine("%PDF-" + headerVersion());
  writeLine("%\xE2\xE3\xCF\xD3");
  writeLine("%" + std::string(1 + random_() % 10, ' '));
  uint32_t word = uint32_t(option_word_) | uint32_t(state_bytes_[0]) << 16 | uint32_t(state_bytes_[1]) << 24;
  writeLine("%101230[" + std::to_string(word) + "]");
  if (encryption_) {
    encryption_object_ = std::make_unique<TPyraEncryptInfo>(this, encryption_->dictionaryEntries());
    encryption_object_->writeObject();
  } else {
    encryption_object_.reset();
  }
  afterEncryption();
  if (!info_.DontSaveInfo) {
    info_object_ = std::make_unique<TPxPDFInfo>(this, info_);
    info_object_->writeObject();
  }
}

void TPxPDFDevice::startPage(int32_t width, int32_t height, int32_t xres, int32_t yres, int32_t rotation) {
  if (!open_) throw Error("Device is not open!");
  if (page_) {
    reportError(kErrPageAlreadyStarted, "Page already started");
    endPage();
  }
  page_active_ = true;
  page_ = std::make_unique<TPxPDFPage>(this, rotation);
  first_page_ = false;
  if (xres > 0) xres_ = xres;
  if (yres > 0) yres_ = yres;
  // A negative size would give an inverted media box; it keeps the previous
  // size like a zero one.
  if (width > 0) page_width_ = mulDiv(width, 72, xres_);
  if (height > 0) page_height_ = mulDiv(height, 72, yres_);
  landscape_ = rotation == 1 || rotation == 90 || rotation == 270;
  if (thumbnails_) thumbnail_ = std::make_unique<PageThumbnail>(page_width_, page_height_, rotation);
  else thumbnail_.reset();
}

void TPxPDFDevice::thumbnailBox(double x0, double y0, double x1, double y1, uint32_t colorref) {
  if (thumbnail_ && thumbnails_ && page_) thumbnail_->fillBox(x0, y0, x1, y1, colorref);
}

void TPxPDFDevice::writeThumbnail(TPxPDFPage& page) {
  std::unique_ptr<PageThumbnail> thumbnail = std::move(thumbnail_);
  // Turned off during the page: no thumbnail for it.
  if (!thumbnail || !thumbnails_) return;
  auto image = std::make_unique<TPxPDFStream>(this);
  image->setExtraEntries(thumbnail->entries(monochrome_thumbnails_));
  image->data() = thumbnail->samples(monochrome_thumbnails_);
  image->setForceCompression(true);
  image->writeStream();
  page.setThumbnail(std::move(image));
}

TPxPDFStream& TPxPDFDevice::pageContent() {
  checkPage();
  auto& contents = page_->contents();
  if (contents.empty() || contents.back()->written()) return page_->addContent();
  return *contents.back();
}

void TPxPDFDevice::endPage() {
  if (page_) {
    std::unique_ptr<TPxPDFPage> page = std::move(page_);
    // The content goes out before the thumbnail that sketches it.
    for (auto& c : page->contents())
      if (!c->written()) c->writeStream();
    writeThumbnail(*page);
    page->setMediaSize(page_width_, page_height_);
    catalog_->pages().adopt(*page);
    page->writeObject();
    catalog_->pages().addKid(page->objectNumber());
    ++pages_written_;
  } else if (!page_active_) {
    reportError(kErrPageNotStarted, "Page has not been started");
  }
  page_active_ = false;
}

void TPxPDFDevice::freePendingObjects() { pending_.clear(); }

std::u16string TPxPDFDevice::decodeText(const std::string& bytes, uint32_t code_page) const {
  if (text_decoder_) return text_decoder_(bytes, code_page);
  // Windows-1252: Latin-1 with typographic characters in 0x80-0x9F.
  static constexpr char16_t k80[32] = {
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::u16string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) out += (c >= 0x80 && c < 0xA0) ? k80[c - 0x80] : char16_t(c);
  return out;
}

bool TPxPDFDevice::writerCommand(int32_t code, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                 const std::string& payload) {
  return navigation_.writerCommand(code, left, top, right, bottom, payload);
}

void TPxPDFDevice::writeTrailer() {
  for (auto& p : pending_)
    if (!p->written()) p->writeObject();
  resources_->writeObject();
  writeExtraObjects();
  catalog_->pages().writeObject();
  catalog_->writeObject();

  // Every reserved number must have been written, or the table would point
  // readers at nothing.
  if (auto missing = xref_.unwritten(); !missing.empty())
    throw Error("object " + std::to_string(missing.front()) + " (" + xref_.entry(missing.front()) +
                ") was referenced but never written");

  const uint64_t startxref = position();
  const int32_t n = xref_.count();
  std::string table = "xref\r\n0 " + std::to_string(n) + "\r\n";
  table.reserve(table.size() + size_t(n) * 20);
  for (int32_t i = 0; i < n; ++i) {
    table += xref_.entry(i);
    table += "\r\n";
    if (table.size() > (1 << 16)) {
      write(table);
      table.clear();
    }
  }
  write(table);
  writeLine("trailer\n<<\n/Size " + std::to_string(n));
  writeLine("/Root " + catalog_->reference());
  std::string id = hexString(document_id_);
  writeLine("/ID[" + id + id + "]");
  if (info_object_) writeLine("/Info " + info_object_->reference());
  if (encryption_object_) writeLine("/Encrypt " + encryption_object_->reference());
  writeLine(">>");
  writeLine("startxref");
  writeLine(std::to_string(startxref));
  writeLine("%%EOF");
  freePendingObjects();
}

void TPxPDFDevice::endDocument() {
  if (!open_) return;
  // Whatever happens while the rest is written, the document is over and
  // its objects are released.
  struct Closer {
    TPxPDFDevice& d;
    ~Closer() {
      d.open_ = false;
      d.page_active_ = false;
      d.resetDocument();
    }
  } closer{*this};
  if (page_active_) endPage();
  writeTrailer();
  output_->finish();
  if (file_sink_) closeOutput();
}

}  // namespace pyra::pdf
