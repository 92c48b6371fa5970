#include "engine/images/image_xobject.h"

#include "engine/pdf/crypto/openssl_primitives.h"
#include "engine/pdf/number_text.h"
#include "engine/pdf/pdf_object.h"

namespace pyra::images {

void TPxPDFImage::setImage(ImageStream image) {
  image_ = std::move(image);
  width_ = image_.width;
  height_ = image_.height;
  data() = std::move(image_.body);
  std::string filters;
  for (const auto& f : image_.filters) filters += f;
  if (image_.force_compression) setForceCompression(true);
  else setAppliedFilters(filters);
  if (filters == "/DCTDecode") {
    // The JPEG is its own encoding: never compressed again.
    setAppliedFilters("");
    markDct();
  }
}

void TPxPDFImage::writeStream() {
  // The writer's own text encoding goes in front of the image's filters;
  // their parameters must stay aligned with them.
  const int prepended = owner()->encoding() == 1 || owner()->encoding() == 2 ? 1 : 0;
  const int compressed = image_.force_compression && owner()->compression() != 0 ? 1 : 0;
  setExtraEntries(image_.entries + decodeParmsEntry(image_, prepended + compressed));
  TPxPDFStream::writeStream();
}

ImageStreamOptions imageOptionsFor(pdf::TPxPDFDevice& device, int number) {
  ImageStreamOptions o;
  o.number = number;
  o.compression = static_cast<Compression>(device.compression() <= 3 ? device.compression() : 1);
  return o;
}

namespace {

// What makes two images the same picture to a reader: the dictionary
// without the name it is listed under, the filters and the data.
std::string imageDigest(const ImageStream& image, int number) {
  std::string entries = image.entries;
  const std::string name = "/Name/pxo" + std::to_string(number);
  if (auto at = entries.find(name); at != std::string::npos) entries.erase(at, name.size());
  std::vector<uint8_t> key(entries.begin(), entries.end());
  auto add = [&key](std::string_view s) {
    key.insert(key.end(), s.begin(), s.end());
    key.push_back(0);
  };
  for (const auto& f : image.filters) add(f);
  for (const auto& p : image.decode_parms) add(p);
  add(image.force_compression ? "raw" : "final");
  // The data is hashed where it lies rather than copied behind the rest.
  const auto body = pdf::openssl::sha(pdf::openssl::Sha::k256, image.body);
  key.insert(key.end(), body.begin(), body.end());
  const auto sha = pdf::openssl::sha(pdf::openssl::Sha::k256, key);
  return std::string(sha.begin(), sha.end());
}

}  // namespace

int32_t addImageXObject(pdf::TPxPDFDevice& device, const std::function<ImageStream(const ImageStreamOptions&)>& make,
                        bool held_back) {
  pdf::TPxPDFResource& res = device.resources();
  const int number = int(res.xobjectCount()) + 1;
  auto image = std::make_unique<TPxPDFImage>(&device);
  TPxPDFImage* raw = image.get();
  ImageStreamOptions options = imageOptionsFor(device, number);
  if (device.encrypted()) {
    // A palette string is part of the image object and is encrypted with
    // its key, so the object's number is fixed first.
    const int32_t object = raw->objectNumber();
    options.write_string = [&device, object](std::span<const uint8_t> bytes) {
      std::vector<uint8_t> b(bytes.begin(), bytes.end());
      device.encryptBytes(object, b);
      return pdf::hexString(b);
    };
  }
  ImageStream made = make(options);
  // Reports draw the same logo on every page: one object serves them all.
  // Encrypted documents are left out, since their images' numbers are
  // already fixed before the image exists.
  std::string digest;
  if (!device.encrypted() && !held_back) {
    digest = imageDigest(made, number);
    if (const int32_t earlier = res.imageByDigest(digest)) return earlier;
  }
  raw->setImage(std::move(made));
  res.addXObject(std::move(image), held_back);
  if (!digest.empty()) res.rememberImage(std::move(digest), number);
  if (!held_back) raw->writeObject();
  return number;
}

}  // namespace pyra::images
