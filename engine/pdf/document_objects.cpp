#include "engine/pdf/document_objects.h"

#include <cstdio>

#include "engine/pdf/error.h"
#include "engine/pdf/pdf_device.h"

namespace pyra::pdf {

int32_t displayRotation(int32_t rotation) {
  if (rotation == 1) return 90;
  const int64_t r = (int64_t(rotation) % 360 + 360) % 360;
  return int32_t((r + 45) / 90 % 4 * 90);
}

void TPxPDFPages::adopt(TPxPDFPage& page) { page.setParent(this); }

void TPxPDFPages::writeObject() {
  TPxPDFDevice& d = device();
  beginWrite();
  d.writeLine(headerText());
  d.writeLine("/Type/Pages");
  // A page tree must carry /Kids even when the document has no page;
  // readers reject a tree without it.
  if (kids_.empty()) {
    d.writeLine("/Kids [ ]");
  } else {
    std::string kids = "/Kids [ ";
    for (size_t i = 0; i < kids_.size(); ++i) {
      kids += std::to_string(kids_[i]) + " 0 R";
      if (i + 1 < kids_.size()) kids += "\r\n";
      if (kids.size() > 60000) {
        d.write(kids);
        kids.clear();
      }
    }
    d.writeLine(kids + " ]");
  }
  d.writeLine("/Count " + std::to_string(kids_.size()));
  d.writeLine(">> \rendobj");
}

TPxPDFStream& TPxPDFPage::addContent() {
  contents_.push_back(std::make_unique<TPxPDFStream>(owner()));
  contents_.back()->setKind('T');
  return *contents_.back();
}

void TPxPDFPage::writeObject() {
  if (!parent_) throw Error("Page has no parent!");
  TPxPDFDevice& d = device();
  for (auto& c : contents_)
    if (!c->written()) c->writeStream();
  d.resources().writePendingXObjects();
  beginWrite();
  d.writeLine(headerText());
  d.writeLine("/Type/Page");
  if (!extra_entries_.empty()) d.writeLine(extra_entries_);
  d.writeLine("/Parent " + parent_->reference());
  if (thumbnail_) d.writeLine("/Thumb " + thumbnail_->reference());
  if (const int32_t r = displayRotation(rotation_); r != 0) d.writeLine("/Rotate " + std::to_string(r));
  d.writeLine("/Resources " + d.resources().reference());
  char box[96];
  std::snprintf(box, sizeof box, "/MediaBox [%d %d %d %d]", 0, 0, int(width_), int(height_));
  d.writeLine(box);
  if (!annotations_.empty()) {
    std::string a = "/Annots [";
    for (auto* an : annotations_) a += an->reference() + " ";
    a += "]\n";
    d.write(a);
  }
  if (contents_.size() >= 2) {
    // Several streams: an array, eight references a line.
    std::string c = "/Contents [ ";
    for (size_t i = 0; i < contents_.size(); ++i) {
      c += contents_[i]->reference() + " ";
      if ((i + 1) % 8 == 0) c += "\n";
    }
    d.write(c);
    d.writeLine("]");
  } else if (contents_.size() == 1) {
    d.writeLine("/Contents " + contents_[0]->reference());
  }
  contents_.clear();
  d.writeLine(">> \rendobj");
}

TPxCustomPDFType* TPxPDFResource::addXObject(std::unique_ptr<TPxCustomPDFType> object, bool held_back) {
  xobjects_.push_back({std::move(object), held_back});
  return xobjects_.back().object.get();
}

std::string TPxPDFResource::xobjectName(size_t i) const {
  const auto& o = xobjects_.at(i).object;
  if (!o->name().empty()) return pdfName(o->name());
  return "/pxo" + std::to_string(i + 1);
}

void TPxPDFResource::writePendingXObjects() {
  for (auto& x : xobjects_)
    if (!x.object->written() && !x.held_back) x.object->writeObject();
}

void TPxPDFResource::writeObject() {
  TPxPDFDevice& d = device();
  for (auto* f : fonts_)
    if (!f->written()) f->writeObject();
  for (auto& o : objects_)
    if (!o->written()) o->writeObject();
  // Everything a page may name must exist before the table is written.
  for (auto& x : xobjects_)
    if (!x.object->written()) x.object->writeObject();
  beginWrite();
  d.writeLine(headerText());
  d.writeLine("/ProcSet [/PDF/Text/ImageC]");
  writeDictionary("Font", "", 0, fonts_);
  std::vector<TPxCustomPDFType*> xs;
  xs.reserve(xobjects_.size());
  for (auto& x : xobjects_) xs.push_back(x.object.get());
  writeDictionary("XObject", "/pxo", 1, xs);
  d.writeLine(">> \rendobj");
}

TPxPDFCatalog::TPxPDFCatalog(TPxPDFDevice* owner)
    : TPxCustomPDFType(owner), pages_(std::make_unique<TPxPDFPages>(owner)) {}

void TPxPDFCatalog::writeObject() {
  TPxPDFDevice& d = device();
  TPxPDFOutline& outline = d.navigation().outline();
  const bool has_outline = outline.hasEntries();
  if (has_outline) outline.writeTree();
  beginWrite();
  d.writeLine(headerText());
  d.writeLine("/Type/Catalog");
  d.writeLine("/Pages " + pages_->reference());
  if (has_outline) d.writeLine("/Outlines " + outline.reference());
  writeExtraEntries();
  if (d.encryption()) {
    std::string extensions = d.encryption()->catalogEntries();
    if (!extensions.empty()) d.writeLine(extensions);
  }
  switch (d.pageMode()) {
    case 0: d.writeLine("/PageMode/UseNone"); break;
    case 1: d.writeLine("/PageMode/UseOutlines"); break;
    case 2: d.writeLine("/PageMode/UseThumbs"); break;
    case 3: d.writeLine("/PageMode/FullScreen"); break;
    default: break;
  }
  d.writeLine(">> \rendobj");
}

std::string TPxPDFInfo::asString() {
  TPxPDFDevice& d = device();
  const bool encrypt = d.encrypted() && !notEncrypted();
  const int32_t number = objectNumber();
  auto text = [&](const std::string& value) {
    if (!encrypt) return escapeText(value);
    std::vector<uint8_t> bytes(value.begin(), value.end());
    d.encryptBytes(number, bytes);
    return escapeText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  };
  std::string s;
  s += "/Producer(" + text(info_.Producer) + ")\n";
  s += "/Author(" + text(info_.Author) + ")\n";
  s += "/Title(" + text(info_.Title) + ")\n";
  s += "/Subject(" + text(info_.Subject) + ")\n";
  s += "/Keywords(" + text(info_.Keywords) + ")\n";
  s += "/CreationDate(" + text(info_.Date) + ")\n";
  s += "/ModDate(" + text(info_.ModDate) + ")\n";
  s += "/Creator(" + text(info_.Creator) + ")";
  return s;
}

}  // namespace pyra::pdf
