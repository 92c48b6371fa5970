#include "platform/emf_writer.h"

#include <cstring>

#include "platform/metafile_error.h"
#include "platform/metafile_records.h"

namespace pyra::gdi {

namespace {
void put32(std::vector<uint8_t>& v, uint32_t x) {
  const uint8_t b[4] = {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)};
  v.insert(v.end(), b, b + 4);
}
void set32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  v[at] = uint8_t(x);
  v[at + 1] = uint8_t(x >> 8);
  v[at + 2] = uint8_t(x >> 16);
  v[at + 3] = uint8_t(x >> 24);
}
}  // namespace

void EmfWriter::begin(uint32_t type) {
  if (open_) throw MetafileError("EMF writer: record begun inside another");
  open_ = true;
  record_start_ = body_.size();
  put32(body_, type);
  put32(body_, 0);
}

void EmfWriter::u32(uint32_t v) { put32(body_, v); }
void EmfWriter::u16(uint16_t v) {
  body_.push_back(uint8_t(v));
  body_.push_back(uint8_t(v >> 8));
}
void EmfWriter::f32(float v) {
  uint32_t b;
  std::memcpy(&b, &v, 4);
  put32(body_, b);
}
void EmfWriter::rect(const RECTL& r) {
  i32(r.left);
  i32(r.top);
  i32(r.right);
  i32(r.bottom);
}
void EmfWriter::bytes(std::span<const uint8_t> data) { body_.insert(body_.end(), data.begin(), data.end()); }
void EmfWriter::zeros(size_t n) { body_.insert(body_.end(), n, 0); }

uint32_t EmfWriter::recordOffset() const { return uint32_t(body_.size() - record_start_); }

void EmfWriter::patch(uint32_t record_offset, uint32_t v) {
  set32(body_, record_start_ + record_offset, v);
}

void EmfWriter::end() {
  if (!open_) throw MetafileError("EMF writer: record ended without begin");
  while ((body_.size() - record_start_) % 4) body_.push_back(0);
  const size_t size = body_.size() - record_start_;
  if (size > 0xFFFFFFFFu) throw MetafileError("EMF writer: record larger than 4 GB");
  set32(body_, record_start_ + 4, uint32_t(size));
  open_ = false;
  ++records_;
}

void EmfWriter::simple(uint32_t type, std::initializer_list<int32_t> params) {
  begin(type);
  for (int32_t p : params) i32(p);
  end();
}

std::vector<uint8_t> EmfWriter::finish(const EmfHeaderFields& h) {
  if (open_) throw MetafileError("EMF writer: finished inside a record");
  simple(mf::kEmrEof, {0, 16, 20});  // no palette; nSizeLast = record size

  std::vector<uint8_t> out;
  const size_t desc_chars = h.description.empty() ? 0 : h.description.size() + 1;
  size_t header_size = mf::kEmfHeaderSize + desc_chars * 2;
  header_size = (header_size + 3) & ~size_t{3};
  const uint64_t total = uint64_t(header_size) + body_.size();
  if (total > 0xFFFFFFFFu) throw MetafileError("EMF writer: metafile larger than 4 GB");
  out.reserve(size_t(total));
  put32(out, mf::kEmrHeader);
  put32(out, uint32_t(header_size));
  for (LONG v : {h.bounds.left, h.bounds.top, h.bounds.right, h.bounds.bottom}) put32(out, uint32_t(v));
  for (LONG v : {h.frame.left, h.frame.top, h.frame.right, h.frame.bottom}) put32(out, uint32_t(v));
  put32(out, mf::kEmfSignature);
  put32(out, mf::kEmfVersion);
  put32(out, uint32_t(total));
  put32(out, records_ + 1);
  out.push_back(uint8_t(h.handles));
  out.push_back(uint8_t(h.handles >> 8));
  out.push_back(0);
  out.push_back(0);
  put32(out, uint32_t(desc_chars));
  put32(out, desc_chars ? mf::kEmfHeaderSize : 0);
  put32(out, 0);  // palette entries
  put32(out, uint32_t(h.device.cx));
  put32(out, uint32_t(h.device.cy));
  put32(out, uint32_t(h.millimeters.cx));
  put32(out, uint32_t(h.millimeters.cy));
  put32(out, 0);  // pixel format size
  put32(out, 0);  // pixel format offset
  put32(out, 0);  // no OpenGL records
  put32(out, uint32_t(h.micrometers.cx));
  put32(out, uint32_t(h.micrometers.cy));
  for (char16_t c : h.description) {
    out.push_back(uint8_t(c));
    out.push_back(uint8_t(c >> 8));
  }
  while (out.size() < header_size) out.push_back(0);
  out.insert(out.end(), body_.begin(), body_.end());
  return out;
}

}  // namespace pyra::gdi
