#include "engine/pdf/navigation.h"

#include <algorithm>
#include <cctype>

#include "engine/pdf/error.h"
#include "engine/pdf/pdf_device.h"

namespace pyra::pdf {

namespace {

std::string upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool startsWithNoCase(const std::string& s, const char* prefix) {
  size_t n = std::char_traits<char>::length(prefix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

// A string encrypted for `number` when the document is, then escaped.
std::string secureString(TPxPDFDevice& d, int32_t number, const std::string& text) {
  if (!d.encrypted()) return literalString(text);
  std::vector<uint8_t> bytes(text.begin(), text.end());
  d.encryptBytes(number, bytes);
  return literalString(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

uint32_t codePageOfCharset(uint8_t charset) {
  switch (charset) {
    case 128: return 932;   // SHIFTJIS
    case 129: return 949;   // HANGUL
    case 134: return 936;   // GB2312
    case 136: return 950;   // CHINESEBIG5
    case 161: return 1253;  // GREEK
    case 162: return 1254;  // TURKISH
    case 163: return 1258;  // VIETNAMESE
    case 177: return 1255;  // HEBREW
    case 178: return 1256;  // ARABIC
    case 186: return 1257;  // BALTIC
    case 204: return 1251;  // RUSSIAN
    case 222: return 874;   // THAI
    case 238: return 1250;  // EASTEUROPE
    default: return 1252;
  }
}

std::string TPxPDFLink::asString() {
  if (destination_.empty()) return dictionary_;
  TPxPDFDevice& d = device();
  const TPyraDestName* dest = d.navigation().findDestination(destination_);
  if (!dest) {
    if (!reported_) {
      reported_ = true;
      d.reportError(kErrBookmarkNotFound, "Bookmark \"" + destination_ + "\" not found");
    }
    return dictionary_;
  }
  return dictionary_ +
         d.navigation().destinationText(dest->page, dest->page_height, 0, dest->x, dest->y, 0, 0, 0, "");
}

std::string TPxPDFOutlineNode::asString() {
  TPxPDFDevice& d = device();
  std::string s;
  if (page != 0 || !destination.empty())
    s = d.navigation().destinationText(page, page_height, mode, x, y, width, height, zoom, destination);
  s += "\n/Parent " + (parent ? parent->reference() : d.navigation().outline().reference());
  if (next) s += " /Next " + next->reference();
  if (first) s += " /First " + first->reference();
  if (prev) s += " /Prev " + prev->reference();
  if (last) s += " /Last " + last->reference();
  return s;
}

void TPxPDFOutlineNode::writeObject() {
  TPxPDFDevice& d = device();
  std::u16string t = title;
  std::replace(t.begin(), t.end(), u'\t', u' ');
  std::string bytes = "\xFE\xFF";
  for (char16_t c : t) {
    bytes += char(c >> 8);
    bytes += char(c & 0xFF);
  }
  const int32_t number = objectNumber();
  std::string body = asString();
  std::string title_text = secureString(d, number, bytes);
  beginWrite();
  d.writeLine(headerText());
  d.writeLine("/Title" + title_text);
  d.writeLine(body);
  d.writeLine(">> \rendobj");
}

std::string TPxPDFOutline::asString() {
  int32_t n = 0;
  TPxPDFOutlineNode* last_top = nullptr;
  // Count every linked entry at every depth, iteratively: outlines from
  // hostile metafiles may be deep.
  std::vector<TPxPDFOutlineNode*> stack;
  for (auto* e = first_; e; e = e->next) {
    last_top = e;
    stack.push_back(e);
  }
  while (!stack.empty()) {
    auto* e = stack.back();
    stack.pop_back();
    ++n;
    for (auto* c = e->first; c; c = c->next) stack.push_back(c);
  }
  std::string s = "/Count " + std::to_string(n);
  if (first_) s += "\n/First " + first_->reference() + "\n/Last " + last_top->reference();
  return s;
}

void TPxPDFOutline::writeTree() {
  // Pre-order: each entry before its children, siblings in order.
  std::vector<TPxPDFOutlineNode*> stack;
  std::vector<TPxPDFOutlineNode*> tops;
  for (auto* e = first_; e; e = e->next) tops.push_back(e);
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) stack.push_back(*it);
  while (!stack.empty()) {
    auto* e = stack.back();
    stack.pop_back();
    if (!e->written()) e->writeObject();
    std::vector<TPxPDFOutlineNode*> kids;
    for (auto* c = e->first; c; c = c->next) kids.push_back(c);
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back(*it);
  }
  writeObject();
}

TPxPDFOutline& Navigation::outline() {
  if (!outline_) outline_ = std::make_unique<TPxPDFOutline>(&device_);
  return *outline_;
}

void Navigation::reset() {
  destinations_.clear();
  entries_.clear();
  outline_.reset();
  pending_levels_ = 0;
}

void Navigation::addLinkArea(int32_t x, int32_t y, int32_t width, int32_t height, const std::string& target,
                             const std::string& action) {
  TPxPDFPage* page = device_.currentPage();
  if (!page) throw Error("No page active!");
  const int32_t h = device_.pageHeight();
  std::string dict = "/Type/Annot/Subtype/Link\n/Rect [" + std::to_string(x) + " " +
                     std::to_string(int64_t(h) - (int64_t(y) + height)) + " " + std::to_string(int64_t(x) + width) +
                     " " + std::to_string(int64_t(h) - y) + "]\n/Border [0 0 0]\n";
  std::string destination;
  // Numbered now, so that links take their numbers in the order made.
  auto link = std::make_unique<TPxPDFLink>(&device_);
  const int32_t number = link->objectNumber();
  if (!action.empty()) {
    dict += "/A << " + action + " >>";
  } else if (startsWithNoCase(target, "http://") || startsWithNoCase(target, "https://") ||
             startsWithNoCase(target, "mailto:")) {
    dict += "/A << /Type/Action/S/URI/URI " + secureString(device_, number, target) + " >>";
  } else if (startsWithNoCase(target, "Launch://")) {
    std::string file = target.substr(9, 256);
    dict += "/A << /Type/Action/S/Launch/F " + secureString(device_, number, file) + " >>";
  } else if (startsWithNoCase(target, "GoToR://")) {
    std::string rest = target.substr(8, 256);
    auto hash = rest.find('#');
    if (hash != std::string::npos) {
      std::string file = rest.substr(0, hash);
      std::string digits = rest.substr(hash + 1);
      int64_t page_number = 0;
      bool numeric = !digits.empty() && digits.size() < 10 &&
                     std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
      if (numeric) page_number = std::stoll(digits);
      dict += "/A << /Type/Action/S/GoToR/F " + secureString(device_, number, file) + " /D [" +
              std::to_string(page_number) + "/XYZ 0 0 null] >>";
    } else {
      dict += "/A << /Type/Action/S/GoToR/F " + secureString(device_, number, rest) + " >>";
    }
  } else {
    destination = target;
  }
  link->setContent(std::move(dict), std::move(destination));
  page->annotations().push_back(link.get());
  device_.addPendingObject(std::move(link));
}

void Navigation::addNamedDestination(const std::string& name, int32_t x, int32_t y) {
  TPxPDFPage* page = device_.currentPage();
  if (!page) throw Error("No page active!");
  destinations_.push_back({upper(name), page->objectNumber(), device_.pageHeight(), x, y});
}

const TPyraDestName* Navigation::findDestination(const std::string& name) const {
  std::string key = upper(name);
  for (const auto& d : destinations_)
    if (d.name == key) return &d;
  return nullptr;
}

std::string Navigation::destinationText(int32_t page, int32_t page_height, int32_t mode, int32_t x, int32_t y,
                                        int32_t width, int32_t height, int32_t zoom, const std::string& name) {
  if (!name.empty()) {
    const TPyraDestName* d = findDestination(name);
    if (!d) {
      device_.reportError(kErrBookmarkNotFound, "Bookmark \"" + name + "\" not found");
      return {};
    }
    page = d->page;
    page_height = d->page_height;
    x = d->x;
    y = d->y;
    mode = 0;
    zoom = 0;
  }
  if (page == 0) return {};
  // Positions arrive in page points already (comment rectangles are mapped
  // to the page), so no resolution conversion is applied here.
  const int64_t Y = int64_t(page_height) - y;
  auto n = [](int64_t v) { return std::to_string(v); };
  std::string s = "/Dest [ " + n(page) + " 0 R ";
  switch (mode) {
    case 0: s += "/XYZ " + n(x) + " " + n(Y) + " " + n(zoom); break;
    case 1: s += "/Fit "; break;
    case 2: s += "/FitV " + n(x); break;
    case 3: s += "/FitH " + n(Y); break;
    case 4: s += "/FitR " + n(x) + " " + n(Y + height) + " " + n(int64_t(x) + width) + " " + n(Y); break;
    case 6: s += "/FitBV " + n(x); break;
    case 7: s += "/FitBH " + n(Y); break;
    default: s += "/FitB "; break;
  }
  return s + "]";
}

std::unique_ptr<TPxPDFOutlineNode> Navigation::makeEntry(const std::string& caption, const std::string& destination,
                                                         int32_t mode, int32_t x, int32_t y, int32_t width,
                                                         int32_t height, int32_t zoom) {
  auto e = std::make_unique<TPxPDFOutlineNode>(&device_);
  e->title = device_.decodeText(caption, codePageOfCharset(device_.outlineCharset()));
  e->destination = destination;
  e->mode = mode;
  e->x = x;
  e->y = y;
  e->width = width;
  e->height = height;
  e->zoom = zoom;
  return e;
}

void Navigation::placeAsSibling(TPxPDFOutlineNode* entry, TPxPDFOutlineNode* of) {
  TPxPDFOutline& root = outline();
  entry->linked = true;
  TPxPDFOutlineNode* parent = nullptr;
  if (of) {
    TPxPDFOutlineNode* tail = of;
    while (tail->next) tail = tail->next;
    tail->next = entry;
    entry->prev = tail;
    parent = of->parent;
  } else {
    if (!root.first_) {
      root.first_ = entry;
    } else {
      TPxPDFOutlineNode* tail = root.first_;
      while (tail->next) tail = tail->next;
      tail->next = entry;
      entry->prev = tail;
    }
  }
  entry->parent = parent;
  if (parent) parent->last = entry;
  root.current = entry;
}

void Navigation::placeAsChild(TPxPDFOutlineNode* entry, TPxPDFOutlineNode* of) {
  TPxPDFOutline& root = outline();
  if (of && !of->first) {
    entry->linked = true;
    of->first = entry;
    entry->parent = of;
    entry->next = entry->prev = nullptr;
  } else if (of) {
    placeAsSibling(entry, of->first);
  } else {
    placeAsSibling(entry, nullptr);
  }
  root.current = entry;
  if (of) of->last = entry;
}

int32_t Navigation::addOutlineEntry(std::unique_ptr<TPxPDFOutlineNode> owned, int32_t relation, int32_t count) {
  TPxPDFOutline& root = outline();
  TPxPDFOutlineNode* entry = owned.get();
  entries_.push_back(std::move(owned));
  entry->index = int32_t(entries_.size());
  if (TPxPDFPage* page = device_.currentPage()) {
    entry->page = page->objectNumber();
    entry->page_height = device_.pageHeight();
  }
  TPxPDFOutlineNode* current = root.current;
  auto byIndex = [&](int32_t i) { return entries_[size_t(i - 1)].get(); };
  switch (relation) {
    case 2:
      if (current && current->parent) current = current->parent;
      root.current = current;
      if (count != 0) return entry->index;
      placeAsSibling(entry, current);
      break;
    case 3:
      if (count <= 0) {
        while (count < 0 && current) {
          current = current->parent;
          ++count;
        }
        placeAsSibling(entry, current);
      } else if (count == 1) {
        placeAsChild(entry, current);
      } else {
        // Levels skipped in one step get empty entries of their own. The
        // count comes from host data: cap it so a hostile value cannot
        // allocate without bound.
        for (int32_t i = 1; i < std::min(count, 64); ++i) {
          auto filler = std::make_unique<TPxPDFOutlineNode>(&device_);
          TPxPDFOutlineNode* f = filler.get();
          entries_.push_back(std::move(filler));
          f->index = int32_t(entries_.size());
          placeAsChild(f, root.current);
        }
        placeAsChild(entry, root.current);
      }
      break;
    case 4:
      placeAsChild(entry, current);
      break;
    case 5:
      if (count == 0) {
        placeAsSibling(entry, nullptr);
      } else if (count >= 1 && count < entry->index) {
        placeAsSibling(entry, byIndex(count)->linked ? byIndex(count) : nullptr);
      } else {
        TPxPDFOutlineNode* start = current;
        while (count < 0 && start) {
          start = start->parent;
          ++count;
        }
        placeAsSibling(entry, start);
      }
      break;
    case 6:
      if (count == 0) placeAsSibling(entry, nullptr);
      else if (count > 0 && count < entry->index) placeAsChild(entry, byIndex(count)->linked ? byIndex(count) : nullptr);
      else placeAsChild(entry, current);
      root.current = entry;
      break;
    default:
      placeAsSibling(entry, current);
      break;
  }
  return entry->index;
}

void Navigation::outlineComment(int32_t code, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                const std::string& payload) {
  auto eq = payload.find('=');
  std::string name = eq == std::string::npos ? "UNKNOWN" : payload.substr(0, eq);
  std::string caption = eq == std::string::npos ? std::string() : payload.substr(eq + 1);
  auto entry = [&] { return makeEntry(caption, name, 0, left, top, right - left, bottom - top, 0); };
  switch (code) {
    case 503:
      if (pending_levels_ != 0) {
        addOutlineEntry(entry(), 3, pending_levels_);
        pending_levels_ = 0;
      } else {
        addOutlineEntry(entry(), 1, 0);
      }
      break;
    case 504:
      if (!caption.empty()) {
        addOutlineEntry(entry(), 4, 0);
        pending_levels_ = 0;
      } else if (pending_levels_ < 1000000) {
        ++pending_levels_;
      }
      break;
    case 505:
      if (payload.empty()) {
        addOutlineEntry(entry(), 2, 1);
      } else if (!caption.empty()) {
        addOutlineEntry(entry(), 2, 0);
        pending_levels_ = 0;
      } else if (pending_levels_ > -1000000) {
        --pending_levels_;
      }
      break;
  }
}

bool Navigation::writerCommand(int32_t code, int32_t left, int32_t top, int32_t right, int32_t bottom,
                               const std::string& payload) {
  switch (code) {
    case 501: addLinkArea(left, top, right - left, bottom - top, payload); return true;
    case 502: addNamedDestination(payload, left, top); return true;
    case 503: case 504: case 505: outlineComment(code, left, top, right, bottom, payload); return true;
    default: return false;
  }
}

}  // namespace pyra::pdf
