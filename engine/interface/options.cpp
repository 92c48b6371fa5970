#include "engine/interface/options.h"

#include <algorithm>
#include <climits>

namespace pyra::interface {

void applyEnhancedOptions(PyraEnvironment& e, int32_t bits) {
  static constexpr struct { int32_t bit; uint16_t word; } kMap[] = {
      {0x001, 0x0080}, {0x002, 0x0020}, {0x010, 0x0008}, {0x020, 0x0002}, {0x040, 0x0004},
      {0x080, 0x0001}, {0x100, 0x0010}, {0x200, 0x0040}, {0x400, 0x0100},
  };
  uint16_t word = e.device->optionWord();
  for (const auto& m : kMap)
    if (bits & m.bit) word |= m.word;
  e.device->setOptionWord(word);
  uint8_t second = e.device->secondOptionByte();
  if (bits & 0x004) second &= uint8_t(~1u);
  else second |= 1;
  e.device->setSecondOptionByte(second);
  e.use_printer_reference = (bits & 0x008) == 0;
}

void applyJpegOption(pdf::TPxPDFDevice& d, int32_t value) {
  if (value == 0) {
    d.setJpegOn(false);
    return;
  }
  d.setJpegOn(true);
  if (value < 0) {
    d.setJpegQuality(std::clamp(value == INT32_MIN ? 100 : -value, 1, 100));
    return;
  }
  static constexpr int32_t kPreset[] = {0, 10, 25, 50, 75};
  d.setJpegQuality(value <= 4 ? kPreset[value] : 100);
}

void applyOptions(PyraEnvironment& e, const PyraOptions& o) {
  pdf::TPxPDFDevice& d = *e.device;
  e.on_stream_open = o.ONSTREAMOPEN;
  e.on_stream_write = o.ONSTREAMWRITE;
  e.on_stream_close = o.ONSTREAMCLOSE;
  e.on_error = o.ONERROR;
  e.on_message = o.ONMESSAGE;
  e.on_get_text = o.ONGETTEXT;
  e.refreshDeviceCallbacks();
  d.setMailMergeStart(fixedText(o.MAILMERGESTART, sizeof o.MAILMERGESTART));
  e.default_width = o.PDFWIDTH;
  e.default_height = o.PDFHEIGHT;
  e.xres = o.PDFXRES;
  e.yres = o.PDFYRES;
  e.thumbnails = o.THUMBNAILS != 0;
  e.monochrome_thumbnails = o.THUMBNAILS == 2;
  d.setEncoding(uint8_t(o.ENCODING));
  d.setCompression(uint8_t(o.COMPRESSION));
  d.setPageMode(uint8_t(o.PAGEMODE));
  d.setFontMode(uint8_t(o.FONTMODE));
  d.setPermission(uint8_t(o.PERMISSION));
  d.setImportMode(o.INPUTFILEMODE);
  d.setImportFile(fixedText(o.INPUTPDFFILE, sizeof o.INPUTPDFFILE));
  applyJpegOption(d, o.JPEGCOMPRESS);
  applyEnhancedOptions(e, o.ENHANCEDOPTIONS);
  auto& info = d.info();
  info.Date = fixedText(o.DATE, sizeof o.DATE);
  info.ModDate = fixedText(o.MODDATE, sizeof o.MODDATE);
  info.Author = fixedText(o.AUTHOR, sizeof o.AUTHOR);
  info.Producer = fixedText(o.PRODUCER, sizeof o.PRODUCER);
  info.Title = fixedText(o.TITLE, sizeof o.TITLE);
  info.Subject = fixedText(o.SUBJECT, sizeof o.SUBJECT);
  info.Keywords = fixedText(o.KEYWORDS, sizeof o.KEYWORDS);
  d.setPasswords(fixedText(o.OWNERPASSWORD, sizeof o.OWNERPASSWORD),
                 fixedText(o.USERPASSWORD, sizeof o.USERPASSWORD));
}

}  // namespace pyra::interface
