// Text and integer properties, callbacks, the host's pointer and commands.
#include "engine/interface/environment.h"
#include "engine/interface/options.h"
#include "engine/interface/rich_edit_print.h"
#include "pyra/pyractl.h"

#include <cstring>

using namespace pyra;
using namespace pyra::interface;

namespace {

// Command 6: an outline entry from the host's 560-byte record (two 256-byte
// texts, six destination values, placement mode and level, flags and a
// wide-caption pointer).
int32_t addOutlineFromRecord(PyraEnvironment& e, const void* data) {
  if (!data || !e.device->isOpen()) return 0;
  const auto* b = static_cast<const uint8_t*>(data);
  auto i32 = [&](size_t off) {
    int32_t v;
    std::memcpy(&v, b + off, 4);
    return v;
  };
  std::string caption = fixedText(reinterpret_cast<const char*>(b), 256);
  std::string name = fixedText(reinterpret_cast<const char*>(b + 256), 256);
  const bool wide = (i32(548) & 2) != 0;
  if (wide) {
    const char16_t* w;
    std::memcpy(&w, b + 556, sizeof w);
    caption.clear();
    // The wide caption becomes 8-bit text first, as every caption is; an
    // unbounded host string is cut at the buffer size of an 8-bit caption.
    for (size_t i = 0; w && i < 255 && w[i]; ++i) caption += w[i] < 256 ? char(w[i]) : '?';
  }
  int32_t relation = i32(540);
  if (relation == 4) relation = 6;
  auto& nav = e.device->navigation();
  auto entry = nav.makeEntry(caption, name, i32(528), i32(512), i32(516), i32(520), i32(524), i32(532));
  int32_t index = nav.addOutlineEntry(std::move(entry), relation, i32(544));
  return wide ? 0 : index;
}

}  // namespace

extern "C" PYRA_API int32_t PYRA_SetSProp(int32_t env, int32_t property, const char* value) noexcept {
  return atBoundary(env, 0, [&](PyraEnvironment& e) -> int32_t {
    std::string v = textOrEmpty(value);
    auto& d = *e.device;
    auto& info = d.info();
    switch (property) {
      case 1: info.Author = v; return 1;
      case 2: info.Date = v; return 1;
      case 3: info.ModDate = v; return 1;
      case 4: info.Producer = v; return 1;
      case 5: info.Title = v; return 1;
      case 6: info.Subject = v; return 1;
      case 7: info.Keywords = v; return 1;
      case 9: d.setEmbedOnlyFaces(v); return 1;
      case 10: d.setNeverEmbedFaces(v); return 1;
      case 11: d.setPasswords(v, d.userPassword()); return 1;
      case 12: d.setPasswords(d.ownerPassword(), v); return 1;
      case 13: d.setImportFile(v); return 1;
      case 14: d.setMailMergeStart(v); return 1;
      case 15: d.setResultText(v); return 1;
      default: return 0;
    }
  });
}

extern "C" PYRA_API int32_t PYRA_SetIProp(int32_t env, int32_t property, int32_t value) noexcept {
  return atBoundary(env, 0, [&](PyraEnvironment& e) -> int32_t {
    auto& d = *e.device;
    const uint8_t low = uint8_t(value);
    switch (property) {
      case 1: d.setEncoding(low); return 1;
      case 2: d.setCompression(low); return 1;
      case 3: d.setPageMode(low); return 1;
      case 4: d.setFontMode(low); return 1;
      case 5: d.setPermission(low); return 1;
      case 6: d.setImportMode(value); return 1;
      case 7: e.monochrome_thumbnails = value != 0; return 1;
      case 8:
        // Above the presets the quality stays as it was.
        if (value > 5) d.setJpegOn(true);
        else if (value == 5) { d.setJpegOn(true); d.setJpegQuality(100); }
        else applyJpegOption(d, value);
        return 1;
      case 9: {
        d.setOptionWord(0);
        applyEnhancedOptions(e, value);
        if (value & 0x800) d.setOptionWord(d.optionWord() | 0x2000);
        return 1;
      }
      case 10: d.setOptionWord(uint16_t(value)); return 1;
      case 11: d.setSecondOptionByte(low); return 1;
      case 12:
        e.thumbnails = value != 0;
        e.monochrome_thumbnails = value == 2;
        d.setThumbnails(e.thumbnails, e.monochrome_thumbnails);
        return 1;
      case 13: d.setKeyLengthMode(low); return 1;
      case 14: d.setOutlineCharset(low); return 1;
      case 20: e.reuse = value != 0; return 1;
      default: return 0;
    }
  });
}

extern "C" PYRA_API int32_t PYRA_SetCallback(int32_t env, int32_t which, PyraCallback callback) noexcept {
  return atBoundary(env, 0, [&](PyraEnvironment& e) -> int32_t {
    switch (which) {
      case PYRA_CB_STREAMOPEN: e.on_stream_open = callback; return 1;
      case PYRA_CB_STREAMWRITE: e.on_stream_write = callback; return 1;
      case PYRA_CB_STREAMCLOSE: e.on_stream_close = callback; return 1;
      case PYRA_CB_ERROR: e.on_error = callback; return 1;
      case PYRA_CB_MESSAGE: e.on_message = callback; return 1;
      case PYRA_CB_GETTEXT: e.on_get_text = callback; return 1;
      default: return 0;
    }
  });
}

extern "C" PYRA_API void* PYRA_GetPointer(int32_t env) noexcept {
  return atBoundary(env, static_cast<void*>(nullptr), [&](PyraEnvironment& e) { return e.user_pointer; });
}

extern "C" PYRA_API int32_t PYRA_SetPointer(int32_t env, void* pointer) noexcept {
  return atBoundary(env, 0, [&](PyraEnvironment& e) {
    e.user_pointer = pointer;
    return 1;
  });
}

extern "C" PYRA_API int32_t PYRA_ExecCommand(int32_t env, int32_t command, int32_t parameter, void* data,
                                             int32_t size) noexcept {
  return atBoundary(env, 0, [&](PyraEnvironment& e) -> int32_t {
    switch (command) {
      case 1:
        return 101;
      case 2:
        if (size == 152 && data) {
          std::memcpy(e.page_decoration.data(), data, 152);
          e.decoration_set = true;
          return 1;
        }
        e.page_decoration.fill(0);
        e.decoration_set = false;
        return 0;
      case 6:
        return addOutlineFromRecord(e, data);
      case 9:
        if (!e.requireDocument()) return 0;
        printRichEdit(e, uint32_t(parameter), double(e.default_width) / e.xres, double(e.default_height) / e.yres,
                      0.5, 0.5, 0.5, 0.5, false);
        return 0;
      case 13:
        // Enhanced-metafile bytes played at their own size onto the page.
        if (!data || size <= 0 || e.state < kDocumentBegun) return 0;
        e.pages->setDeviceOptions(e.device->optionWord());
        e.pages->playMetafile({static_cast<const uint8_t*>(data), size_t(size)}, 0, 0, 0, 0, parameter, parameter);
        return 0;
      case 12:
        e.rich_edit_columns = parameter < 1 ? 1 : parameter;
        return 0;
      default:
        return 0;
    }
  });
}
