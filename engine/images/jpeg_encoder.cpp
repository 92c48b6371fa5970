#include "engine/images/jpeg_encoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "engine/images/image_error.h"

namespace pyra::images {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return; we
// jump back to the encoder with the message. Nothing with a destructor lives
// between setjmp and the libjpeg calls.
struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void onJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  longjmp(err->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr, int) {}  // warnings and traces stay quiet

// Output into a vector we own, so nothing leaks when libjpeg bails out
// (its own memory destination keeps a malloc'd block nobody frees then).
struct VectorDestination {
  jpeg_destination_mgr pub;
  std::vector<uint8_t>* out;
};

extern "C" void initDestination(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<VectorDestination*>(cinfo->dest);
  d->pub.next_output_byte = d->out->data();
  d->pub.free_in_buffer = d->out->size();
}

extern "C" boolean emptyOutputBuffer(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<VectorDestination*>(cinfo->dest);
  const size_t used = d->out->size();
  try {
    d->out->resize(used * 2);
  } catch (...) {
    // No exception may cross libjpeg's C frames; report it its own way.
    cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
    (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
  }
  d->pub.next_output_byte = d->out->data() + used;
  d->pub.free_in_buffer = d->out->size() - used;
  return TRUE;
}

extern "C" void termDestination(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<VectorDestination*>(cinfo->dest);
  d->out->resize(d->out->size() - d->pub.free_in_buffer);
}

}  // namespace

std::vector<uint8_t> encodeJpeg(const ImageSamples& samples, int quality) {
  const bool rgb = samples.color_space == ColorSpace::Rgb;
  if (samples.bits_per_component != 8 || (!rgb && samples.color_space != ColorSpace::Gray))
    throw ImageError("JPEG encoding needs 8-bit RGB or grey samples");
  if (samples.width == 0 || samples.height == 0 || samples.width > JPEG_MAX_DIMENSION ||
      samples.height > JPEG_MAX_DIMENSION)
    throw ImageError("image size " + std::to_string(samples.width) + " x " +
                     std::to_string(samples.height) + " cannot be JPEG encoded");
  const size_t row = samples.rowBytes();
  if (samples.data.size() < row * samples.height) throw ImageError("JPEG encoder given too few samples");

  // Everything the error path touches exists before setjmp and is not
  // reassigned after it; the output lives on the heap behind `out`.
  auto out = std::make_unique<std::vector<uint8_t>>();
  out->resize(std::max<size_t>(4096, row * samples.height / 8));
  jpeg_compress_struct cinfo{};
  ErrorManager err{};
  VectorDestination dest{};
  dest.out = out.get();
  dest.pub.init_destination = initDestination;
  dest.pub.empty_output_buffer = emptyOutputBuffer;
  dest.pub.term_destination = termDestination;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = onJpegError;
  err.pub.emit_message = onJpegMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    throw ImageError(std::string("JPEG compression failed: ") + err.message);
  }
  jpeg_create_compress(&cinfo);
  cinfo.dest = &dest.pub;
  cinfo.image_width = samples.width;
  cinfo.image_height = samples.height;
  cinfo.input_components = rgb ? 3 : 1;
  cinfo.in_color_space = rgb ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW rows[16];
    JDIMENSION n = 0;
    while (n < 16 && cinfo.next_scanline + n < cinfo.image_height) {
      rows[n] = const_cast<JSAMPROW>(samples.data.data() + size_t(cinfo.next_scanline + n) * row);
      ++n;
    }
    jpeg_write_scanlines(&cinfo, rows, n);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> result = std::move(*out);
  return result;
}

}  // namespace pyra::images
