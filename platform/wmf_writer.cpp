#include "platform/wmf_writer.h"

#include "platform/metafile_error.h"
#include "platform/metafile_records.h"
#include "platform/wmf_reader.h"

namespace pyra::gdi {

void WmfWriter::begin(uint16_t function) {
  if (open_) throw MetafileError("WMF writer: record begun inside another");
  open_ = true;
  record_start_ = body_.size();
  u32(0);
  u16(function);
}

void WmfWriter::u16(uint16_t v) {
  body_.push_back(uint8_t(v));
  body_.push_back(uint8_t(v >> 8));
}

void WmfWriter::bytes(std::span<const uint8_t> data) { body_.insert(body_.end(), data.begin(), data.end()); }

void WmfWriter::end() {
  if (!open_) throw MetafileError("WMF writer: record ended without begin");
  if ((body_.size() - record_start_) % 2) body_.push_back(0);
  const uint64_t words = (body_.size() - record_start_) / 2;
  if (words > 0xFFFFFFFFu) throw MetafileError("WMF writer: record too large");
  for (int i = 0; i < 4; ++i) body_[record_start_ + i] = uint8_t(words >> (8 * i));
  if (words > max_record_words_) max_record_words_ = uint32_t(words);
  open_ = false;
}

void WmfWriter::simple(uint16_t function, std::initializer_list<int16_t> params) {
  begin(function);
  for (int16_t p : params) i16(p);
  end();
}

std::vector<uint8_t> WmfWriter::finish() {
  if (open_) throw MetafileError("WMF writer: finished inside a record");
  begin(mf::kMetaEof);
  end();
  const uint64_t words = (mf::kMetaHeaderSize + body_.size()) / 2;
  if (words > 0xFFFFFFFFu) throw MetafileError("WMF writer: metafile too large");
  std::vector<uint8_t> out;
  out.reserve(mf::kMetaHeaderSize + body_.size());
  auto w16 = [&](uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  };
  w16(2);  // disk metafile
  w16(9);
  w16(mf::kMetaVersion300);
  w16(uint16_t(words));
  w16(uint16_t(words >> 16));
  w16(objects_);
  w16(uint16_t(max_record_words_));
  w16(uint16_t(max_record_words_ >> 16));
  w16(0);
  out.insert(out.end(), body_.begin(), body_.end());
  return out;
}

std::vector<uint8_t> makePlaceableHeader(int16_t left, int16_t top, int16_t right, int16_t bottom,
                                         uint16_t units_per_inch) {
  std::vector<uint8_t> h;
  auto w16 = [&](uint16_t v) {
    h.push_back(uint8_t(v));
    h.push_back(uint8_t(v >> 8));
  };
  w16(uint16_t(mf::kPlaceableKey));
  w16(uint16_t(mf::kPlaceableKey >> 16));
  w16(0);
  w16(uint16_t(left));
  w16(uint16_t(top));
  w16(uint16_t(right));
  w16(uint16_t(bottom));
  w16(units_per_inch);
  w16(0);
  w16(0);
  w16(placeableChecksum(h));
  return h;
}

}  // namespace pyra::gdi
