#include "platform/wmf_reader.h"

#include <string>

#include "platform/metafile_error.h"
#include "platform/metafile_records.h"

namespace pyra::gdi {

using support::ByteReader;

uint16_t placeableChecksum(std::span<const uint8_t> h) {
  uint16_t x = 0;
  for (size_t i = 0; i < 10 && i * 2 + 1 < h.size(); ++i) x ^= uint16_t(h[i * 2] | h[i * 2 + 1] << 8);
  return x;
}

std::optional<WmfPlaceable> readPlaceable(std::span<const uint8_t> data) {
  if (data.size() < mf::kPlaceableHeaderSize) return std::nullopt;
  ByteReader r(data);
  if (r.u32() != mf::kPlaceableKey) return std::nullopt;
  WmfPlaceable p;
  p.hmf = r.i16();
  p.left = r.i16();
  p.top = r.i16();
  p.right = r.i16();
  p.bottom = r.i16();
  p.inch = r.u16();
  p.reserved = r.u32();
  p.checksum = r.u16();
  p.checksum_ok = p.checksum == placeableChecksum(data.first(20));
  return p;
}

WmfReader::WmfReader(std::span<const uint8_t> data) {
  placeable_ = readPlaceable(data);
  if (placeable_) data = data.subspan(mf::kPlaceableHeaderSize);
  if (data.size() < mf::kMetaHeaderSize)
    throw MetafileError("WMF: " + std::to_string(data.size()) + " bytes cannot hold the metafile header");
  ByteReader r(data);
  header_.type = r.u16();
  header_.header_words = r.u16();
  header_.version = r.u16();
  const uint32_t lo = r.u16(), hi = r.u16();
  header_.size_words = lo | hi << 16;
  header_.objects = r.u16();
  header_.max_record_words = r.u32();
  header_.members = r.u16();
  if (header_.type != 1 && header_.type != 2)
    throw MetafileError("WMF: header type " + std::to_string(header_.type) + " is neither memory (1) nor disk (2)");
  if (header_.header_words != 9)
    throw MetafileError("WMF: header size " + std::to_string(header_.header_words) + " words, expected 9");
  if (header_.version != mf::kMetaVersion100 && header_.version != mf::kMetaVersion300)
    throw MetafileError("WMF: unknown version 0x" + [&] {
      char b[8];
      snprintf(b, sizeof b, "%04X", header_.version);
      return std::string(b);
    }());
  const uint64_t declared = uint64_t(header_.size_words) * 2;
  if (declared < mf::kMetaHeaderSize)
    throw MetafileError("WMF: declared size of " + std::to_string(declared) + " bytes is below the header");
  if (declared > data.size())
    throw MetafileError("WMF: header declares " + std::to_string(declared) + " bytes, metafile has " +
                        std::to_string(data.size()));
  mf_ = data.first(size_t(declared));
  pos_ = mf::kMetaHeaderSize;
  index_ = 1;
}

bool WmfReader::next(WmfRecordView& rec) {
  if (done_) return false;
  rec.index = index_;
  rec.offset = pos_;
  rec.function = 0;
  rec.bytes = {};
  const size_t left = mf_.size() - pos_;
  if (left == 0) {
    done_ = true;
    return false;
  }
  const auto where = [&] { return "WMF record " + std::to_string(index_) + " at offset " + std::to_string(pos_) + ": "; };
  if (left < 6) throw MetafileError(where() + std::to_string(left) + " bytes left, a record needs 6");
  const uint32_t words = uint32_t(mf_[pos_]) | uint32_t(mf_[pos_ + 1]) << 8 | uint32_t(mf_[pos_ + 2]) << 16 |
                         uint32_t(mf_[pos_ + 3]) << 24;
  rec.function = uint16_t(mf_[pos_ + 4] | mf_[pos_ + 5] << 8);
  if (words < 3) throw MetafileError(where() + "record size " + std::to_string(words) + " words is below 3");
  const uint64_t bytes = uint64_t(words) * 2;
  if (bytes > left)
    throw MetafileError(where() + "record of " + std::to_string(bytes) + " bytes runs past the end (" +
                        std::to_string(left) + " left)");
  rec.bytes = mf_.subspan(pos_, size_t(bytes));
  pos_ += size_t(bytes);
  ++index_;
  if (rec.function == mf::kMetaEof) done_ = true;
  return true;
}

WmfHeader WmfReader::validate(std::span<const uint8_t> data) {
  WmfReader reader(data);
  WmfRecordView rec;
  while (reader.next(rec)) {
  }
  return reader.header_;
}

}  // namespace pyra::gdi
