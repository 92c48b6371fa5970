#include "engine/images/image_stream.h"

#include <string>

#include "engine/images/dib_decoder.h"
#include "engine/images/image_error.h"
#include "engine/images/jpeg_encoder.h"
#include "engine/pdf/filters.h"
#include "engine/pdf/number_text.h"
#include "support/checked_math.h"

namespace pyra::images {
namespace {

std::string prefix(const ImageStreamOptions& o) {
  if (o.number <= 0) return {};
  return "/Type/XObject\n/Subtype/Image\n/Name/pxo" + std::to_string(o.number) + "\n";
}

std::string sizeEntries(uint32_t w, uint32_t h) {
  return "/Width " + std::to_string(w) + "\n/Height " + std::to_string(h) + "\n";
}

const char* deviceName(ColorSpace cs) {
  switch (cs) {
    case ColorSpace::Gray: return "/DeviceGray";
    case ColorSpace::Cmyk: return "/DeviceCMYK";
    default: return "/DeviceRGB";
  }
}

void compressInto(ImageStream& image, std::span<const uint8_t> samples, Compression method) {
  switch (method) {
    case Compression::RunLength: {
      auto encoded = pdf::runLengthEncode(samples);
      // Run-length is only worth its filter when it saves bytes.
      if (encoded.size() < samples.size()) {
        image.body = std::move(encoded);
        image.filters = {"/RunLengthDecode"};
        image.decode_parms = {""};
      } else {
        image.body.assign(samples.begin(), samples.end());
      }
      return;
    }
    case Compression::FastFlate:
      image.body = pdf::flateEncode(samples, 1);
      break;
    default:
      image.body = pdf::flateEncode(samples, 6);
      break;
  }
  image.filters = {"/FlateDecode"};
  image.decode_parms = {""};
}

}  // namespace

ImageStream makeSampleImage(const ImageSamples& s, const ImageStreamOptions& options) {
  const size_t need = s.rowBytes() * s.height;
  if (s.width == 0 || s.height == 0 || s.data.size() < need) throw ImageError("image samples missing");
  ImageStream image;
  image.width = s.width;
  image.height = s.height;
  std::string& e = image.entries;
  e = "\n" + prefix(options) + sizeEntries(s.width, s.height);
  if (s.bits_per_component == 1 && s.color_space == ColorSpace::Gray) {
    e += "/BitsPerComponent 1/ColorSpace/DeviceGray\n";
  } else if (s.color_space == ColorSpace::Indexed) {
    const uint32_t entries = uint32_t(s.palette.size() / 3);
    if (entries == 0 || entries > 256) throw ImageError("palette image without a usable palette");
    auto table = std::span<const uint8_t>(s.palette).first(size_t(entries) * 3);
    e += "/BitsPerComponent " + std::to_string(s.bits_per_component) + "\n/ColorSpace [/Indexed/DeviceRGB " +
         std::to_string(entries - 1) + " " + (options.write_string ? options.write_string(table) : pdf::hexString(table)) +
         "]\n";
  } else {
    e += "/BitsPerComponent " + std::to_string(s.bits_per_component) + "\n/ColorSpace" +
         deviceName(s.color_space) + "\n";
  }
  if (s.color_key) e += "/Mask [" + std::to_string(*s.color_key) + " " + std::to_string(*s.color_key) + "]";
  const auto samples = std::span<const uint8_t>(s.data).first(need);
  if (options.defer_compression) {
    image.body.assign(samples.begin(), samples.end());
    image.force_compression = true;
  } else {
    compressInto(image, samples, options.compression);
  }
  return image;
}

ImageStream makeJpegImage(const ImageSamples& samples, int quality, const ImageStreamOptions& options) {
  const bool direct = samples.bits_per_component == 8 &&
                      (samples.color_space == ColorSpace::Rgb || samples.color_space == ColorSpace::Gray);
  ImageStream image;
  image.body = direct ? encodeJpeg(samples, quality) : encodeJpeg(expandTo8Bit(samples), quality);
  const bool grey = samples.color_space == ColorSpace::Gray;
  image.width = samples.width;
  image.height = samples.height;
  image.entries = "\n/Type/XObject/Subtype/Image\n/Name/pxo" + std::to_string(options.number) + "\n" +
                  sizeEntries(samples.width, samples.height) + "/BitsPerComponent 8\n/ColorSpace" +
                  (grey ? "/DeviceGray" : "/DeviceRGB") + "\n";
  if (options.number <= 0) {
    image.entries = "\n" + sizeEntries(samples.width, samples.height) + "/BitsPerComponent 8\n/ColorSpace" +
                    (grey ? "/DeviceGray" : "/DeviceRGB") + "\n";
  }
  image.filters = {"/DCTDecode"};
  image.decode_parms = {""};
  return image;
}

ImageStream makeDctImage(std::span<const uint8_t> jpeg, const ImageStreamOptions& options) {
  const JpegInfo info = readJpegInfo(jpeg);
  if (!info.embeddable())
    throw ImageError("JPEG frame (marker 0x" + std::to_string(info.frame_marker) + ", " +
                     std::to_string(info.precision) + "-bit, " + std::to_string(info.components) +
                     " components) cannot be embedded");
  ImageStream image;
  image.width = info.width;
  image.height = info.height;
  const char* cs = info.components == 1 ? "/DeviceGray" : info.components == 4 ? "/DeviceCMYK" : "/DeviceRGB";
  image.entries = "\n" + prefix(options) + sizeEntries(info.width, info.height) + "/BitsPerComponent 8/ColorSpace" +
                  cs + "\n";
  // Adobe applications store CMYK JPEGs inverted and say so with APP14;
  // readers follow the PDF convention, so the inversion is undone here.
  if (info.components == 4 && info.adobe) image.entries += "/Decode [1 0 1 0 1 0 1 0]\n";
  image.body.assign(jpeg.begin(), jpeg.end());
  image.filters = {"/DCTDecode"};
  image.decode_parms = {""};
  return image;
}

ImageStream makeCcittImage(std::span<const uint8_t> data, uint32_t width, uint32_t height, int k,
                           const ImageStreamOptions& options) {
  if (data.empty()) throw ImageError("CCITT image without data");
  if (width == 0 || height == 0) throw ImageError("CCITT image without a size");
  ImageStream image;
  image.width = width;
  image.height = height;
  image.entries = "\n" + prefix(options) + sizeEntries(width, height) + "/BitsPerComponent 1/ColorSpace/DeviceGray\n";
  image.body.assign(data.begin(), data.end());
  image.filters = {"/CCITTFaxDecode"};
  image.decode_parms = {"<< /K " + std::to_string(k) + " /Columns " + std::to_string(width) + " /Rows " +
                        std::to_string(height) + " >>"};
  return image;
}

std::optional<ImageStream> makeImageFromData(int format, std::span<const uint8_t> data, uint32_t width,
                                             uint32_t height, const ImageStreamOptions& options) {
  if (width == 0 || height == 0) return std::nullopt;
  switch (format) {
    case 2: case 6: case 7:
      if (data.empty()) break;
      return makeDctImage(data, options);
    case 8: case 9: case 10: {
      if (data.empty()) break;
      ImageSamples s;
      s.width = width;
      s.height = height;
      s.color_space = format == 8 ? ColorSpace::Rgb : format == 9 ? ColorSpace::Cmyk : ColorSpace::Gray;
      const auto need = support::checkedMul(s.rowBytes(), height);
      if (!need || *need > data.size())
        throw ImageError("raw samples of " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels need more than the " + std::to_string(data.size()) + " bytes given");
      s.data.assign(data.begin(), data.begin() + ptrdiff_t(*need));
      ImageStream image = makeSampleImage(s, options);
      // Callers' raw data keeps the one-line entry layout of the data formats.
      const std::string from = "/BitsPerComponent 8\n/ColorSpace";
      if (auto at = image.entries.find(from); at != std::string::npos)
        image.entries.replace(at, from.size(), "/BitsPerComponent 8/ColorSpace");
      return image;
    }
    case 3: case 4: case 5:
      if (data.empty()) break;
      return makeCcittImage(data, width, height, format == 3 ? -1 : format == 4 ? 0 : 1, options);
    default:
      throw ImageError("image data format " + std::to_string(format) + " is unknown");
  }
  throw ImageError("image data missing");
}

std::string decodeParmsEntry(const ImageStream& image, int prepended) {
  bool any = false;
  for (const auto& p : image.decode_parms) any = any || !p.empty();
  if (!any) return {};
  if (prepended == 0 && image.filters.size() == 1) return "\n/DecodeParms " + image.decode_parms[0];
  std::string d = "\n/DecodeParms [";
  for (int i = 0; i < prepended; ++i) d += "null ";
  for (size_t i = 0; i < image.filters.size(); ++i) {
    const bool has = i < image.decode_parms.size() && !image.decode_parms[i].empty();
    d += (i ? " " : "") + (has ? image.decode_parms[i] : std::string("null"));
  }
  return d + "]";
}

std::string dictionaryText(const ImageStream& image, bool with_length) {
  std::string d = "<<" + image.entries;
  if (with_length) d += "/Length " + std::to_string(image.body.size());
  if (!image.filters.empty()) {
    d += "\n/Filter [";
    for (const auto& f : image.filters) d += f;
    d += "]" + decodeParmsEntry(image);
  }
  return d + " >>";
}

}  // namespace pyra::images
