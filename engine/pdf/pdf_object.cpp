#include "engine/pdf/pdf_object.h"

#include "engine/pdf/error.h"
#include "engine/pdf/pdf_device.h"

namespace pyra::pdf {

std::string TPxCustomPDFType::asString() { throw Error("AsString is not implemented for this obj"); }

void TPxCustomPDFType::setAsString(const std::string&) {
  throw Error("SetAsString is not implemented for this obj");
}

TPxPDFDevice& TPxCustomPDFType::device() const {
  if (!owner_) throw Error("Object has no owner");
  return *owner_;
}

int32_t TPxCustomPDFType::objectNumber() {
  if (!numbered_ && !written_) {
    numbered_ = true;
    object_number_ = device().xref().reserve(std::string("undef ") + className());
  }
  return object_number_;
}

std::string TPxCustomPDFType::reference() { return std::to_string(objectNumber()) + " 0 R"; }

void TPxCustomPDFType::beginWrite() {
  if (written_) throw Error("Object may only be written once!");
  TPxPDFDevice& d = device();
  if (numbered_) {
    d.xref().setOffset(object_number_, d.position());
  } else {
    object_number_ = d.xref().appendOffset(d.position());
    numbered_ = true;
  }
  written_ = true;
}

std::string TPxCustomPDFType::headerText() const {
  std::string h = std::to_string(object_number_) + " 0 obj";
  if (!self_delimited_) h += " \r<<";
  return h;
}

void TPxCustomPDFType::writeObject() {
  TPxPDFDevice& d = device();
  // Build the text before registering the offset, so a failure leaves no
  // half-registered object behind.
  std::string body = asString();
  beginWrite();
  d.writeLine(headerText());
  d.writeLine(body);
  d.writeLine(self_delimited_ ? "endobj" : ">> \rendobj");
}

void TPxCustomPDFType::writeArray(std::string_view key, const std::vector<TPxCustomPDFType*>& list) {
  if (list.empty()) return;
  TPxPDFDevice& d = device();
  d.write("/" + std::string(key) + " [ ");
  for (size_t i = 0; i < list.size(); ++i) {
    if (i + 1 < list.size()) d.writeLine(list[i]->valueText());
    else d.write(list[i]->valueText());
  }
  d.writeLine(" ]");
}

void TPxCustomPDFType::writeDictionary(std::string_view key, std::string_view prefix, int first_index,
                                       const std::vector<TPxCustomPDFType*>& list) {
  if (list.empty()) return;
  TPxPDFDevice& d = device();
  d.write("/" + std::string(key) + " << ");
  for (size_t i = 0; i < list.size(); ++i) {
    TPxCustomPDFType* e = list[i];
    if (!prefix.empty()) {
      if (!e->name().empty()) d.write(pdfName(e->name()) + " ");
      else d.write(std::string(prefix) + std::to_string(first_index + int(i)) + " ");
    }
    if (i + 1 < list.size()) d.writeLine(e->valueText());
    else d.write(e->valueText());
  }
  d.writeLine(" >>");
}

std::string literalString(std::string_view bytes) {
  std::string s = "(";
  s.reserve(bytes.size() + bytes.size() / 8 + 8);
  size_t since_break = 0;
  for (unsigned char c : bytes) {
    size_t before = s.size();
    if (c < 32 || c > 127) {
      s += '\\';
      s += char('0' + (c >> 6));
      s += char('0' + ((c >> 3) & 7));
      s += char('0' + (c & 7));
    } else if (c == '(' || c == ')' || c == '\\') {
      s += '\\';
      s += char(c);
    } else {
      s += char(c);
    }
    since_break += s.size() - before;
    if (since_break > 100) {
      s += "\\\r\n";
      since_break = 0;
    }
  }
  s += ')';
  return s;
}

std::string escapeText(std::string_view bytes) {
  std::string s;
  s.reserve(bytes.size() + 8);
  for (unsigned char c : bytes) {
    switch (c) {
      case '(': case ')': case '\\': s += '\\'; s += char(c); break;
      case '\r': s += "\\r"; break;
      case '\b': s += "\\b"; break;
      case '\t': s += "\\t"; break;
      case '\n': s += "\\n"; break;
      default:
        if (c < 32 || c >= 128) {
          s += '\\';
          s += char('0' + (c >> 6));
          s += char('0' + ((c >> 3) & 7));
          s += char('0' + (c & 7));
        } else {
          s += char(c);
        }
    }
  }
  return s;
}

std::string pdfName(std::string_view name) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s = "/";
  for (unsigned char c : name) {
    bool plain = c > 32 && c < 127 && c != '#' && c != '/' && c != '(' && c != ')' && c != '<' &&
                 c != '>' && c != '[' && c != ']' && c != '{' && c != '}' && c != '%';
    if (plain) {
      s += char(c);
    } else {
      s += '#';
      s += kDigits[c >> 4];
      s += kDigits[c & 15];
    }
  }
  return s;
}

std::string TPxPDFString::asString() {
  if (raw_) return value_;
  TPxPDFDevice& d = device();
  if (d.encrypted() && !not_encrypted_) {
    std::vector<uint8_t> bytes(value_.begin(), value_.end());
    d.encryptBytes(objectNumber(), bytes);
    return literalString(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  bool plain = value_.size() < 100;
  for (size_t i = 0; plain && i < value_.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(value_[i]);
    plain = c >= 32 && c <= 127 && c != '(' && c != ')' && c != '\\';
  }
  if (plain) return "(" + value_ + ")";
  return literalString(value_);
}

std::string TPxPDFNumArray::asString() {
  std::string s = "[ ";
  for (size_t i = 1; i <= values_.size(); ++i) {
    s += std::to_string(values_[i - 1]);
    s += (i % 19 == 0) ? '\n' : ' ';
  }
  s += ']';
  return s;
}

}  // namespace pyra::pdf
