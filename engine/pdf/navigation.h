#pragma once
// Navigation: named destinations, link annotations and the outline tree.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/pdf/pdf_object.h"

namespace pyra::pdf {

// A named destination: a point on a page, in page points from the top.
struct TPyraDestName {
  std::string name;  // upper case
  int32_t page = 0;  // the page's object number
  int32_t page_height = 0;
  int32_t x = 0, y = 0;
};

class TPxPDFLink : public TPxCustomPDFType {
 public:
  using TPxCustomPDFType::TPxCustomPDFType;
  const char* className() const override { return "TPxPDFLink"; }
  void setContent(std::string dictionary, std::string destination) {
    dictionary_ = std::move(dictionary);
    destination_ = std::move(destination);
  }
  std::string asString() override;

 private:
  std::string dictionary_;
  bool reported_ = false;
  std::string destination_;
};

class TPxPDFOutline;

class TPxPDFOutlineNode : public TPxCustomPDFType {
 public:
  explicit TPxPDFOutlineNode(TPxPDFDevice* owner) : TPxCustomPDFType(owner) {}
  const char* className() const override { return "TPxPDFOutlineNode"; }
  std::string asString() override;
  void writeObject() override;

  std::u16string title;
  std::string destination;  // a named destination, or empty for the entry's own
  int32_t page = 0;         // object number of the page, 0 for none
  int32_t page_height = 0;
  int32_t mode = 0, x = 0, y = 0, width = 0, height = 0, zoom = 0;
  int32_t index = 0;
  TPxPDFOutlineNode* parent = nullptr;
  TPxPDFOutlineNode* next = nullptr;
  TPxPDFOutlineNode* prev = nullptr;
  TPxPDFOutlineNode* first = nullptr;
  TPxPDFOutlineNode* last = nullptr;
  bool linked = false;
};

class TPxPDFOutline : public TPxCustomPDFType {
 public:
  using TPxCustomPDFType::TPxCustomPDFType;
  const char* className() const override { return "TPxPDFOutline"; }
  std::string asString() override;
  bool hasEntries() const { return first_ != nullptr; }
  // Writes every linked entry (each before its children), then the root.
  void writeTree();

  TPxPDFOutlineNode* current = nullptr;

 private:
  friend class Navigation;
  TPxPDFOutlineNode* first_ = nullptr;
};

// One document's navigation state, kept by the writer.
class Navigation {
 public:
  explicit Navigation(TPxPDFDevice& device) : device_(device) {}

  // A link area on the current page; coordinates in page points from the
  // top-left corner. Raises "No page active!" without a page.
  void addLinkArea(int32_t x, int32_t y, int32_t width, int32_t height, const std::string& target,
                   const std::string& action = {});
  void addNamedDestination(const std::string& name, int32_t x, int32_t y);
  const TPyraDestName* findDestination(const std::string& name) const;
  // Places an entry in the tree; returns its 1-based index.
  int32_t addOutlineEntry(std::unique_ptr<TPxPDFOutlineNode> entry, int32_t relation, int32_t count);
  // An entry with the caption converted from the device's caption
  // character set.
  std::unique_ptr<TPxPDFOutlineNode> makeEntry(const std::string& caption, const std::string& destination,
                                               int32_t mode, int32_t x, int32_t y, int32_t width, int32_t height,
                                               int32_t zoom);
  // "/Dest [ ... ]", or empty when the name is unknown (reported).
  std::string destinationText(int32_t page, int32_t page_height, int32_t mode, int32_t x, int32_t y,
                              int32_t width, int32_t height, int32_t zoom, const std::string& name);
  // The writer comments 501-505 with their rectangle in page points.
  bool writerCommand(int32_t code, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     const std::string& payload);
  TPxPDFOutline& outline();
  void reset();

 private:
  void placeAsSibling(TPxPDFOutlineNode* entry, TPxPDFOutlineNode* of);
  void placeAsChild(TPxPDFOutlineNode* entry, TPxPDFOutlineNode* of);
  void outlineComment(int32_t code, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      const std::string& payload);

  TPxPDFDevice& device_;
  std::vector<TPyraDestName> destinations_;
  std::vector<std::unique_ptr<TPxPDFOutlineNode>> entries_;
  std::unique_ptr<TPxPDFOutline> outline_;
  int32_t pending_levels_ = 0;
};

// The Windows code page of a character set, 1252 for unknown ones.
uint32_t codePageOfCharset(uint8_t charset);

}  // namespace pyra::pdf
