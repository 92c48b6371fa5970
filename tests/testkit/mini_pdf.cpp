#include "testkit/mini_pdf.h"

#include <cstdio>
#include <fstream>

namespace pyra::testkit {

int MiniPdf::reserve() {
  objs_.push_back({});
  return int(objs_.size());
}

void MiniPdf::set(int number, const std::string& dict, const std::vector<uint8_t>* stream) {
  Obj& o = objs_.at(size_t(number - 1));
  o.dict = dict;
  o.set = true;
  if (stream) {
    o.stream = *stream;
    o.has_stream = true;
  }
}

int MiniPdf::add(const std::string& dict, const std::vector<uint8_t>* stream) {
  int n = reserve();
  set(n, dict, stream);
  return n;
}

int MiniPdf::add(const std::string& dict, const std::string& stream) {
  std::vector<uint8_t> s(stream.begin(), stream.end());
  return add(dict, &s);
}

int MiniPdf::addPage(double w, double h, const std::string& content, const std::string& resources) {
  int c = add("<< >>", content);
  char box[128];
  std::snprintf(box, sizeof box, "[0 0 %g %g]", w, h);
  int p = add(std::string("<< /Type /Page /Parent PAGES /MediaBox ") + box + " /Resources " + resources +
              " /Contents " + std::to_string(c) + " 0 R >>");
  pages_.push_back(p);
  return p;
}

std::vector<uint8_t> MiniPdf::bytes() const {
  std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> offsets;
  const int pages_num = int(objs_.size()) + 1;
  const int catalog_num = pages_num + 1;
  const std::string pages_ref = std::to_string(pages_num) + " 0 R";
  auto emit = [&](int num, const Obj& o) {
    offsets.push_back(out.size());
    std::string dict = o.dict;
    for (size_t at; (at = dict.find("PAGES")) != std::string::npos;) dict.replace(at, 5, pages_ref);
    out += std::to_string(num) + " 0 obj\n";
    if (o.has_stream) {
      // Insert /Length just after the opening "<<".
      auto open = dict.find("<<");
      dict.insert(open + 2, " /Length " + std::to_string(o.stream.size()) + " ");
      out += dict + "\nstream\n";
      out.append(o.stream.begin(), o.stream.end());
      out += "\nendstream\n";
    } else {
      out += dict + "\n";
    }
    out += "endobj\n";
  };
  for (size_t i = 0; i < objs_.size(); ++i) emit(int(i + 1), objs_[i]);
  std::string kids;
  for (int p : pages_) kids += std::to_string(p) + " 0 R ";
  Obj pages;
  pages.dict = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages_.size()) + " >>";
  emit(pages_num, pages);
  Obj catalog;
  catalog.dict = "<< /Type /Catalog /Pages " + pages_ref + " " + catalog_extra + " >>";
  emit(catalog_num, catalog);
  size_t xref = out.size();
  out += "xref\n0 " + std::to_string(catalog_num + 1) + "\n0000000000 65535 f \n";
  for (size_t off : offsets) {
    char row[32];
    std::snprintf(row, sizeof row, "%010zu 00000 n \n", off);
    out += row;
  }
  out += "trailer\n<< /Size " + std::to_string(catalog_num + 1) + " /Root " + std::to_string(catalog_num) +
         " 0 R " + trailer_extra + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return std::vector<uint8_t>(out.begin(), out.end());
}

void MiniPdf::save(const std::string& path) const {
  auto b = bytes();
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

}  // namespace pyra::testkit
