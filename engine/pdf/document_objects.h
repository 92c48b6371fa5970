#pragma once
// The structural objects of a document: catalog, page tree, pages, shared
// resources and the information dictionary.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/pdf/pdf_object.h"
#include "engine/pdf/pdf_stream.h"

namespace pyra::pdf {

// The /Rotate a page rotation becomes: readers take only multiples of 90.
// 1 is the callers' landscape code (a quarter turn); other values go to the
// nearest quarter turn in 0..270.
int32_t displayRotation(int32_t rotation);

// The document information texts, copied into the information dictionary.
struct TPxDeviceInfoBlock {
  std::string Author, Date, ModDate, Creator = "Pyra by Mobrel", Producer, Title, Subject, Keywords;
  bool DontSaveInfo = false;
};

class TPxPDFPage;

class TPxPDFPages : public TPxCustomPDFType {
 public:
  using TPxCustomPDFType::TPxCustomPDFType;
  const char* className() const override { return "TPxPDFPages"; }
  // Sets the page's parent; only the page's number is kept, so the tree
  // costs four bytes a page however long the document.
  void adopt(TPxPDFPage& page);
  // Records a written page as the next kid.
  void addKid(int32_t page_number) { kids_.push_back(page_number); }
  size_t count() const { return kids_.size(); }
  void writeObject() override;

 private:
  std::vector<int32_t> kids_;
};

class TPxPDFPage : public TPxCustomPDFType {
 public:
  TPxPDFPage(TPxPDFDevice* owner, int32_t rotation) : TPxCustomPDFType(owner), rotation_(rotation) {}
  const char* className() const override { return "TPxPDFPage"; }

  // The content streams, in drawing order; the page owns them until its
  // dictionary is written.
  TPxPDFStream& addContent();
  std::vector<std::unique_ptr<TPxPDFStream>>& contents() { return contents_; }
  TPxPDFPages* parent() const { return parent_; }
  void setParent(TPxPDFPages* p) { parent_ = p; }
  int32_t rotation() const { return rotation_; }
  // The thumbnail image, already written; the page only refers to it.
  void setThumbnail(std::unique_ptr<TPxCustomPDFType> image) { thumbnail_ = std::move(image); }
  // Annotation references (objects written at the end of the document).
  std::vector<TPxCustomPDFType*>& annotations() { return annotations_; }
  void appendExtraEntries(const std::string& entries) { extra_entries_ += entries; }
  void setMediaSize(int32_t width, int32_t height) { width_ = width; height_ = height; }

  // Writes its content streams and pending XObjects, then its dictionary.
  void writeObject() override;

 private:
  std::vector<std::unique_ptr<TPxPDFStream>> contents_;
  TPxPDFPages* parent_ = nullptr;
  int32_t rotation_;
  std::unique_ptr<TPxCustomPDFType> thumbnail_;
  std::vector<TPxCustomPDFType*> annotations_;
  std::string extra_entries_;
  int32_t width_ = 0, height_ = 0;
};

// The resources dictionary shared by every page of the document.
class TPxPDFResource : public TPxCustomPDFType {
 public:
  using TPxCustomPDFType::TPxCustomPDFType;
  const char* className() const override { return "TPxPDFResource"; }

  // Fonts: each element's valueText starts with its own key ("/F1 7 0 R").
  std::vector<TPxCustomPDFType*>& fonts() { return fonts_; }
  // Objects written just before the dictionary.
  std::vector<std::unique_ptr<TPxCustomPDFType>>& objects() { return objects_; }
  // XObjects (images, forms), named by their own name or "/pxo" + position.
  TPxCustomPDFType* addXObject(std::unique_ptr<TPxCustomPDFType> object, bool held_back = false);
  size_t xobjectCount() const { return xobjects_.size(); }
  TPxCustomPDFType* xobject(size_t i) const { return xobjects_[i].object.get(); }
  // The name a page content refers to the i-th XObject by.
  std::string xobjectName(size_t i) const;
  void setHeldBack(size_t i, bool held) { xobjects_[i].held_back = held; }
  // Writes every XObject not yet written and not held back.
  void writePendingXObjects();
  // Images already in the document by the digest of their dictionary and
  // data, so that the same picture drawn again is written once.
  int32_t imageByDigest(const std::string& digest) const {
    auto it = image_digests_.find(digest);
    return it == image_digests_.end() ? 0 : it->second;
  }
  void rememberImage(std::string digest, int32_t number) { image_digests_.emplace(std::move(digest), number); }
  void writeObject() override;

 private:
  struct XObject {
    std::unique_ptr<TPxCustomPDFType> object;
    bool held_back = false;
  };
  std::vector<TPxCustomPDFType*> fonts_;
  std::vector<std::unique_ptr<TPxCustomPDFType>> objects_;
  std::vector<XObject> xobjects_;
  std::unordered_map<std::string, int32_t> image_digests_;
};

class TPxPDFCatalog : public TPxCustomPDFType {
 public:
  explicit TPxPDFCatalog(TPxPDFDevice* owner);
  const char* className() const override { return "TPxPDFCatalog"; }
  TPxPDFPages& pages() { return *pages_; }
  void writeObject() override;
  // Further catalog entries (forms, open actions); empty here.
  virtual void writeExtraEntries() {}

 private:
  std::unique_ptr<TPxPDFPages> pages_;
};

class TPxPDFCatalogEx : public TPxPDFCatalog {
 public:
  using TPxPDFCatalog::TPxPDFCatalog;
  const char* className() const override { return "TPxPDFCatalogEx"; }
};

class TPxPDFInfo : public TPxCustomPDFType {
 public:
  TPxPDFInfo(TPxPDFDevice* owner, const TPxDeviceInfoBlock& info) : TPxCustomPDFType(owner), info_(info) {}
  const char* className() const override { return "TPxPDFInfo"; }
  std::string asString() override;

 private:
  TPxDeviceInfoBlock info_;
};

}  // namespace pyra::pdf

namespace pyra::pdf {

// The encryption dictionary; its own strings are never encrypted.
class TPyraEncryptInfo : public TPxCustomPDFType {
 public:
  TPyraEncryptInfo(TPxPDFDevice* owner, std::string entries)
      : TPxCustomPDFType(owner), entries_(std::move(entries)) {
    setNotEncrypted(true);
  }
  const char* className() const override { return "TPyraEncryptInfo"; }
  std::string asString() override { return entries_; }

 private:
  std::string entries_;
};

}  // namespace pyra::pdf
