#pragma once
// The GDI object table of a metafile playback: pens, brushes, fonts and
// palettes created by records, found again through the metafile's handle
// numbers.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pyra::render {

enum class GdiKind : uint8_t { None = 0, Font = 1, Brush = 2, Pen = 3, Palette = 4 };

class TPxBasicGDIObject {
 public:
  explicit TPxBasicGDIObject(GdiKind kind) : kind_(kind) {}
  virtual ~TPxBasicGDIObject() = default;
  GdiKind kind() const { return kind_; }
  int32_t index() const { return index_; }
  uint32_t serial() const { return serial_; }
  // A diagnostic text: class name, "[" serial "]" and the main attributes.
  virtual std::string text() const;

 private:
  friend class TPxGenericDeviceObjects;
  GdiKind kind_;
  int32_t index_ = 0;
  uint32_t serial_ = 0;
};

// The first 28 bytes of a logical font, and the face.
struct LogFontHeader {
  int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
  uint8_t italic = 0, underline = 0, strike_out = 0, charset = 0;
  uint8_t out_precision = 0, clip_precision = 0, quality = 0, pitch_and_family = 0;
};

class TPxDvFont : public TPxBasicGDIObject {
 public:
  TPxDvFont() : TPxBasicGDIObject(GdiKind::Font) {}
  std::string text() const override;
  LogFontHeader logfont;
  std::string face;
};

class TPxDvBrush : public TPxBasicGDIObject {
 public:
  TPxDvBrush() : TPxBasicGDIObject(GdiKind::Brush) {}
  std::string text() const override;
  uint8_t style = 0;
  uint32_t color = 0;
  int32_t hatch = 0;
};

class TPxDvPen : public TPxBasicGDIObject {
 public:
  TPxDvPen() : TPxBasicGDIObject(GdiKind::Pen) {}
  std::string text() const override;
  int32_t width = 0;
  uint8_t style = 0;      // the pen style and 7
  uint32_t color = 0;
  int32_t cap_code = 1;   // 0 for flat end caps
  // Extended pens: the full style word and the user dash lengths.
  uint32_t full_style = 0;
  std::vector<uint32_t> dashes;
  bool extended = false;  // made by EXTCREATEPEN: the style word has a type
};

class TPxDvPalette : public TPxBasicGDIObject {
 public:
  TPxDvPalette() : TPxBasicGDIObject(GdiKind::Palette) {}
  std::vector<uint32_t> entries;
};

class TPxGenericDeviceObjects {
 public:
  TPxGenericDeviceObjects();

  // A new object of `kind` at a free index (reused last in, first out).
  TPxBasicGDIObject& createObject(GdiKind kind);
  // Marks an index free. Objects stay alive until clearObjects, so a stale
  // selection never points at freed memory.
  void deleteObject(int32_t index);
  // The object at `index`, or the placeholder at 0 for anything unknown.
  TPxBasicGDIObject& objectAt(int32_t index);
  // The index of stock object n (0..17); 0 for any other number.
  int32_t stockObject(uint32_t n) const;
  // Frees every object made after construction.
  void clearObjects();
  size_t size() const { return objects_.size(); }

 private:
  int32_t add(std::unique_ptr<TPxBasicGDIObject> object);
  std::vector<std::unique_ptr<TPxBasicGDIObject>> objects_;
  std::vector<int32_t> free_;
  size_t permanent_ = 0;
  uint32_t serial_ = 0;
  int32_t stock_[18] = {};
};

}  // namespace pyra::render
