#pragma once
// A stream object: a body built in memory, filtered and written in one piece.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/pdf/pdf_object.h"

namespace pyra::pdf {

class TPxPDFStream : public TPxCustomPDFType {
 public:
  using TPxCustomPDFType::TPxCustomPDFType;
  const char* className() const override { return "TPxPDFStream"; }

  // The body; filters replace it as they run.
  std::vector<uint8_t>& data() { return data_; }
  const std::vector<uint8_t>& data() const { return data_; }
  void append(std::string_view text) { data_.insert(data_.end(), text.begin(), text.end()); }
  void append(std::span<const uint8_t> bytes) { data_.insert(data_.end(), bytes.begin(), bytes.end()); }

  // 'T' marks a page content stream.
  char kind() const { return kind_; }
  void setKind(char k) { kind_ = k; }

  // A final body with a filter of its own (for example an embedded JPEG):
  // nothing more is applied.
  void setRaw(std::string preset_filter) { raw_ = true; preset_filter_ = std::move(preset_filter); }
  // The body is already JPEG: no compression, the DCT filter name.
  void markDct();
  // The body is CCITT fax data supplied by the caller.
  void markCcitt();
  // Filters already applied to the body by whoever made it, outermost
  // first (for example "/FlateDecode"); the writer adds its own in front.
  void setAppliedFilters(std::string filters) {
    filters_ = std::move(filters);
    no_compression_ = true;
  }
  void setLength1(int32_t v) { length1_ = v; }
  void setForceCompression(bool v) { force_compression_ = v; }
  void setNoCompression(bool v) { no_compression_ = v; }
  // Dictionary entries written in front of /Length, e.g. an image's type
  // and size.
  void setExtraEntries(std::string entries) { extra_entries_ = std::move(entries); }
  const std::string& extraEntries() const { return extra_entries_; }
  const std::string& filters() const { return filters_; }

  virtual void clear();
  // Applies the device's compression and encoding, encrypts, writes.
  virtual void writeStream();
  void writeObject() override { writeStream(); }

  // Each filter replaces the body and prepends its name.
  void applyFlate(int level);
  void applyRunLength();
  void applyAscii85();
  void applyHex();

 private:
  void prependFilter(std::string_view name);

  bool dct_ = false;
  std::vector<uint8_t> data_;
  char kind_ = 0;
  std::string filters_;
  std::string preset_filter_;
  bool raw_ = false;
  int32_t length1_ = 0;
  bool force_compression_ = false;
  bool no_compression_ = false;
  std::string extra_entries_;
};

}  // namespace pyra::pdf
