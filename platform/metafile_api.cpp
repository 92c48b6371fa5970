// Exported calls that load, copy, enumerate and convert metafiles.
#include <algorithm>
#include <cstring>

#include "platform/api_guard.h"
#include "platform/device_context.h"
#include "platform/emf_reader.h"
#include "platform/metafile_error.h"
#include "platform/metafile_files.h"
#include "platform/metafile_objects.h"
#include "platform/metafile_records.h"
#include "platform/wmf_reader.h"
#include "platform/wmf_to_emf.h"
#include "platform/wmf_writer.h"
#include "pyra/gdi_metafile.h"

namespace pyra::gdi {

static_assert(sizeof(ENHMETAHEADER) == 108);
static_assert(sizeof(METAHEADER) == 18);
static_assert(sizeof(PLACEABLEMETAHEADER) == 22);

HENHMETAFILE registerEnhMetafile(std::vector<uint8_t> bytes) {
  // Framing only: a record whose counts lie is the player's to skip, as
  // the page around it is still good.
  const EmfHeader h = EmfReader::validate(bytes, false);
  bytes.resize(h.bytes);  // padding past nBytes is not part of the metafile
  return HandleTable::instance().insert(std::make_shared<EnhMetafileObject>(std::move(bytes)));
}

HMETAFILE registerMetafile(std::span<const uint8_t> bytes) {
  WmfReader::validate(bytes);
  WmfReader reader(bytes);
  auto plain = reader.metafile();
  return HandleTable::instance().insert(
      std::make_shared<MetafileObject>(std::vector<uint8_t>(plain.begin(), plain.end()), reader.placeable()));
}

namespace {
std::shared_ptr<EnhMetafileObject> findEmf(HENHMETAFILE h) {
  return HandleTable::instance().findAs<EnhMetafileObject>(h, ObjectKind::EnhMetafile);
}
std::shared_ptr<MetafileObject> findWmf(HMETAFILE h) {
  return HandleTable::instance().findAs<MetafileObject>(h, ObjectKind::Metafile);
}
PLACEABLEMETAHEADER toPublic(const WmfPlaceable& p) {
  PLACEABLEMETAHEADER h{};
  h.key = mf::kPlaceableKey;
  h.hmf = uint16_t(p.hmf);
  h.left = p.left;
  h.top = p.top;
  h.right = p.right;
  h.bottom = p.bottom;
  h.inch = p.inch;
  h.reserved = p.reserved;
  h.checksum = p.checksum;
  return h;
}
}  // namespace

}  // namespace pyra::gdi

using namespace pyra::gdi;

extern "C" {

HENHMETAFILE GetEnhMetaFileA(const char* file_name) {
  return guarded(HENHMETAFILE(0), [&]() -> HENHMETAFILE {
    auto data = readWholeFile(file_name);
    if (!data) return 0;
    return registerEnhMetafile(std::move(*data));
  });
}

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data) {
  return guarded(HENHMETAFILE(0), [&]() -> HENHMETAFILE {
    if (!data || size == 0) return 0;
    return registerEnhMetafile(std::vector<uint8_t>(data, data + size));
  });
}

UINT GetEnhMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data) {
  return guarded(UINT(0), [&]() -> UINT {
    auto m = findEmf(emf);
    if (!m) return 0;
    const UINT n = UINT(m->bytes().size());
    if (!data) return n;
    const UINT copy = std::min(n, size);
    std::memcpy(data, m->bytes().data(), copy);
    return copy;
  });
}

UINT GetEnhMetaFileHeader(HENHMETAFILE emf, UINT size, ENHMETAHEADER* header) {
  return guarded(UINT(0), [&]() -> UINT {
    auto m = findEmf(emf);
    if (!m) return 0;
    if (!header) return UINT(sizeof(ENHMETAHEADER));
    ENHMETAHEADER h{};
    const auto& b = m->bytes();
    const uint32_t header_size = uint32_t(b[4] | b[5] << 8 | b[6] << 16 | uint32_t(b[7]) << 24);
    std::memcpy(&h, b.data(), std::min<size_t>(sizeof h, header_size));
    // Extension fields that the header does not have read as 0, whatever
    // the description that follows a short header holds.
    if (header_size < sizeof h)
      std::memset(reinterpret_cast<uint8_t*>(&h) + header_size, 0, sizeof h - header_size);
    const UINT copy = std::min<UINT>(size, sizeof h);
    std::memcpy(header, &h, copy);
    return copy;
  });
}

HENHMETAFILE CopyEnhMetaFileA(HENHMETAFILE emf, const char* file_name) {
  return guarded(HENHMETAFILE(0), [&]() -> HENHMETAFILE {
    auto m = findEmf(emf);
    if (!m) return 0;
    if (file_name && !writeWholeFile(file_name, m->bytes())) return 0;
    return HandleTable::instance().insert(std::make_shared<EnhMetafileObject>(m->bytes()));
  });
}

BOOL DeleteEnhMetaFile(HENHMETAFILE emf) {
  return guarded(BOOL(FALSE), [&]() -> BOOL {
    if (!findEmf(emf)) return FALSE;
    return HandleTable::instance().erase(emf) ? TRUE : FALSE;
  });
}

BOOL EnumEnhMetaFile(HDC hdc, HENHMETAFILE emf, ENHMFENUMPROC proc, void* data, const RECT* rect) {
  // The metafile is held by the shared_ptr, so a callback that deletes the
  // handle does not pull the bytes from under the enumeration.
  auto m = guarded(std::shared_ptr<EnhMetafileObject>(), [&] { return findEmf(emf); });
  if (!m || !proc) return FALSE;
  try {
    EmfReader reader(m->bytes(), false);
    const int handles = reader.header().handles;
    // Records are handed out aligned to 4 bytes as they are in the buffer.
    const auto* base = m->bytes().data();
    if (!proc(hdc, nullptr, reinterpret_cast<const ENHMETARECORD*>(base), handles, PYRA_LPARAM(data))) return FALSE;
    EmfRecordView rec;
    while (reader.next(rec)) {
      if (!proc(hdc, nullptr, reinterpret_cast<const ENHMETARECORD*>(base + rec.offset), handles, PYRA_LPARAM(data)))
        return FALSE;
    }
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

HMETAFILE GetMetaFileA(const char* file_name) {
  return guarded(HMETAFILE(0), [&]() -> HMETAFILE {
    auto data = readWholeFile(file_name);
    if (!data) return 0;
    return registerMetafile(*data);
  });
}

HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data) {
  return guarded(HMETAFILE(0), [&]() -> HMETAFILE {
    if (!data || size == 0) return 0;
    return registerMetafile(std::span<const uint8_t>(data, size));
  });
}

UINT GetMetaFileBitsEx(HMETAFILE wmf, UINT size, void* data) {
  return guarded(UINT(0), [&]() -> UINT {
    auto m = findWmf(wmf);
    if (!m) return 0;
    const UINT n = UINT(m->bytes().size());
    if (!data) return n;
    if (size < n) return 0;  // a partial metafile is no metafile
    std::memcpy(data, m->bytes().data(), n);
    return n;
  });
}

BOOL DeleteMetaFile(HMETAFILE wmf) {
  return guarded(BOOL(FALSE), [&]() -> BOOL {
    if (!findWmf(wmf)) return FALSE;
    return HandleTable::instance().erase(wmf) ? TRUE : FALSE;
  });
}

HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC reference, const METAFILEPICT* pict) {
  return guarded(HENHMETAFILE(0), [&]() -> HENHMETAFILE {
    if (!data || size == 0) return 0;
    WmfToEmfOptions o;
    if (pict) {
      o.map_mode = pict->mm;
      o.x_ext = pict->xExt;
      o.y_ext = pict->yExt;
    }
    if (auto dc = HandleTable::instance().findAs<DeviceContext>(reference, ObjectKind::Dc)) {
      if (dc->dpi_x > 0) o.dpi_x = dc->dpi_x;
      if (dc->dpi_y > 0) o.dpi_y = dc->dpi_y;
    }
    return registerEnhMetafile(convertWmfToEmf(std::span<const uint8_t>(data, size), o));
  });
}

BOOL PyraReadPlaceableHeader(const char* file_name, PLACEABLEMETAHEADER* header, BOOL* checksum_ok) {
  return guarded(BOOL(FALSE), [&]() -> BOOL {
    auto data = readWholeFile(file_name);
    if (!data) return FALSE;
    auto p = readPlaceable(*data);
    if (!p) return FALSE;
    if (header) *header = toPublic(*p);
    if (checksum_ok) *checksum_ok = p->checksum_ok ? TRUE : FALSE;
    return TRUE;
  });
}

BOOL PyraGetPlaceableHeader(HMETAFILE wmf, PLACEABLEMETAHEADER* header) {
  return guarded(BOOL(FALSE), [&]() -> BOOL {
    auto m = findWmf(wmf);
    if (!m || !m->placeable()) return FALSE;
    if (header) *header = toPublic(*m->placeable());
    return TRUE;
  });
}

BOOL PyraWritePlaceableMetaFile(HMETAFILE wmf, const char* file_name, const RECT* box, WORD inch) {
  return guarded(BOOL(FALSE), [&]() -> BOOL {
    auto m = findWmf(wmf);
    if (!m || !box || inch == 0) return FALSE;
    auto in16 = [](LONG v) { return v >= -32768 && v <= 32767; };
    if (!in16(box->left) || !in16(box->top) || !in16(box->right) || !in16(box->bottom)) return FALSE;
    const auto header = makePlaceableHeader(int16_t(box->left), int16_t(box->top), int16_t(box->right),
                                            int16_t(box->bottom), inch);
    return writeWholeFile(file_name, header, m->bytes()) ? TRUE : FALSE;
  });
}

}  // extern "C"
