#pragma once
// A deliberately naive PDF writer for tests: lets a test put a content
// stream, an image or a font program in front of real readers without going
// through the engine. Not for production use; no escaping is done.
#include <cstdint>
#include <string>
#include <vector>

namespace pyra::testkit {

class MiniPdf {
 public:
  // Adds an object whose body is `dict` ("<< ... >>" or any object text);
  // with `stream` given, the body must be a dictionary without /Length, and
  // the stream's /Length is added. Returns the object number.
  int add(const std::string& dict, const std::vector<uint8_t>* stream = nullptr);
  int add(const std::string& dict, const std::string& stream);
  // Reserves a number for an object added later with set().
  int reserve();
  void set(int number, const std::string& dict, const std::vector<uint8_t>* stream = nullptr);

  // Adds a page of w x h points with this content and resources dictionary
  // text (for example "<< /XObject << /Im1 5 0 R >> >>").
  int addPage(double w, double h, const std::string& content, const std::string& resources = "<< >>");

  // Extra catalog entries and trailer entries (for example an /Encrypt ref).
  std::string catalog_extra;
  std::string trailer_extra;

  std::vector<uint8_t> bytes() const;
  void save(const std::string& path) const;

 private:
  struct Obj {
    std::string dict;
    std::vector<uint8_t> stream;
    bool has_stream = false;
    bool set = false;
  };
  std::vector<Obj> objs_;  // object n at index n - 1
  std::vector<int> pages_;
};

}  // namespace pyra::testkit
