#include "engine/pdf/pdf_stream.h"

#include "engine/pdf/error.h"
#include "engine/pdf/filters.h"
#include "engine/pdf/pdf_device.h"

namespace pyra::pdf {

void TPxPDFStream::prependFilter(std::string_view name) { filters_ = std::string(name) + filters_; }

void TPxPDFStream::markDct() {
  dct_ = true;
  prependFilter("/DCTDecode");
}

void TPxPDFStream::markCcitt() { prependFilter("/CCITTFaxDecode"); }

void TPxPDFStream::clear() {
  data_.clear();
  filters_.clear();
}

void TPxPDFStream::applyFlate(int level) {
  data_ = owner() ? owner()->flate().encode(data_, level) : flateEncode(data_, level);
  prependFilter("/FlateDecode");
  no_compression_ = true;
}

void TPxPDFStream::applyRunLength() {
  auto encoded = runLengthEncode(data_);
  // Run-length can lengthen data without runs; keep the shorter form.
  if (encoded.size() < data_.size()) {
    data_ = std::move(encoded);
    prependFilter("/RunLengthDecode");
    no_compression_ = true;
  }
}

void TPxPDFStream::applyAscii85() {
  data_ = ascii85Encode(data_);
  prependFilter("/ASCII85Decode");
}

void TPxPDFStream::applyHex() {
  data_ = hexEncode(data_);
  prependFilter("/ASCIIHexDecode");
}

void TPxPDFStream::writeStream() {
  TPxPDFDevice& d = device();
  if (!d.isOpen()) throw Error("Device not open");
  std::string filter_text;
  if (raw_) {
    if (!preset_filter_.empty()) filter_text = "\n/Filter " + preset_filter_;
  } else {
    int compression = d.compression();
    if (!dct_ && ((!no_compression_ && compression != 0) || force_compression_)) {
      if (compression == 3) applyFlate(1);
      else if (compression == 2) applyRunLength();
      else applyFlate(6);
    }
    if (d.encoding() == 1) applyAscii85();
    else if (d.encoding() == 2) applyHex();
    if (!filters_.empty()) filter_text = "\n/Filter [" + filters_ + "]";
  }
  // The object number is needed for encryption before the offset is taken.
  int32_t number = objectNumber();
  if (d.encrypted() && !not_encrypted_) d.encryptBytes(number, data_);
  std::string length1 = length1_ ? " /Length1 " + std::to_string(length1_) : std::string();
  beginWrite();
  d.write(headerText() + extra_entries_ + "/Length " + std::to_string(data_.size()) + filter_text + length1 +
          " >>\r\nstream\n");
  d.write(std::span<const uint8_t>(data_));
  d.write("\nendstream\r\nendobj\n");
  data_.clear();
  data_.shrink_to_fit();
  filters_.clear();
}

}  // namespace pyra::pdf
