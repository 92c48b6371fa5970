#pragma once
// Indirect objects: numbered lazily by their owner device, written exactly
// once, with their offset taken from the output as it is written.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pyra::pdf {

class TPxPDFDevice;

class TPxCustomPDFType {
 public:
  explicit TPxCustomPDFType(TPxPDFDevice* owner) : owner_(owner) {}
  virtual ~TPxCustomPDFType() = default;
  TPxCustomPDFType(const TPxCustomPDFType&) = delete;
  TPxCustomPDFType& operator=(const TPxCustomPDFType&) = delete;

  // The class name used in the cross-reference placeholder of a number
  // reserved before the object is written.
  virtual const char* className() const { return "TPxCustomPDFType"; }

  // The object's dictionary entries (without "<<" ">>"), or its whole text
  // when self-delimited.
  virtual std::string asString();
  virtual void setAsString(const std::string& text);

  std::string reference();
  int32_t objectNumber();
  // What the object contributes as an element of an array or dictionary.
  virtual std::string valueText() { return reference(); }

  // Records the object's offset in the cross-reference list.
  void beginWrite();
  virtual void writeObject();

  // "/key [ a\r\nb ]\r\n"; nothing for an empty list.
  void writeArray(std::string_view key, const std::vector<TPxCustomPDFType*>& list);
  // "/key << /prefix1 a\r\n/prefix2 b >>\r\n"; named elements use their name.
  void writeDictionary(std::string_view key, std::string_view prefix, int first_index,
                       const std::vector<TPxCustomPDFType*>& list);

  TPxPDFDevice* owner() const { return owner_; }
  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  bool numbered() const { return numbered_; }
  bool written() const { return written_; }
  bool selfDelimited() const { return self_delimited_; }
  void setSelfDelimited(bool v) { self_delimited_ = v; }
  bool notEncrypted() const { return not_encrypted_; }
  void setNotEncrypted(bool v) { not_encrypted_ = v; }

 protected:
  // "12 0 obj \r<<" for dictionaries, "12 0 obj" for self-delimited objects.
  std::string headerText() const;
  TPxPDFDevice& device() const;

  TPxPDFDevice* owner_;
  int32_t object_number_ = 0;
  std::string name_;
  bool numbered_ = false;
  bool written_ = false;
  bool self_delimited_ = false;
  bool not_encrypted_ = false;
};

// A string object; AsString escapes it (and encrypts it in encrypted
// documents) unless it is raw.
class TPxPDFString : public TPxCustomPDFType {
 public:
  TPxPDFString(TPxPDFDevice* owner, std::string value, bool raw = false)
      : TPxCustomPDFType(owner), value_(std::move(value)), raw_(raw) {}
  const char* className() const override { return "TPxPDFString"; }
  std::string asString() override;
  const std::string& value() const { return value_; }

 private:
  std::string value_;
  bool raw_;
};

// Escapes bytes as a literal string body, "(" ... ")", breaking long lines
// with a backslash-newline continuation.
std::string literalString(std::string_view bytes);
// The escaping of the information texts and form fields: "(", ")", "\"
// get a backslash; CR, BS, TAB, LF become \r \b \t \n; other control and
// 8-bit bytes become three octal digits. No surrounding parentheses.
std::string escapeText(std::string_view bytes);
// A name object's text: "/" + the name with delimiters, blanks and bytes
// outside the printable range written as #xx.
std::string pdfName(std::string_view name);

class TPxPDFArray : public TPxCustomPDFType {
 public:
  using TPxCustomPDFType::TPxCustomPDFType;
  const char* className() const override { return "TPxPDFArray"; }
  void add(std::unique_ptr<TPxCustomPDFType> object) { owned_.push_back(std::move(object)); list_.push_back(owned_.back().get()); }
  void addBorrowed(TPxCustomPDFType* object) { list_.push_back(object); }
  const std::vector<TPxCustomPDFType*>& list() const { return list_; }
  size_t count() const { return list_.size(); }
  void clear() { list_.clear(); owned_.clear(); }

 private:
  std::vector<TPxCustomPDFType*> list_;
  std::vector<std::unique_ptr<TPxCustomPDFType>> owned_;
};

class TPxPDFNumArray : public TPxCustomPDFType {
 public:
  using TPxCustomPDFType::TPxCustomPDFType;
  const char* className() const override { return "TPxPDFNumArray"; }
  void add(int32_t v) { values_.push_back(v); }
  size_t count() const { return values_.size(); }
  int32_t item(size_t i) const { return values_.at(i); }
  std::string asString() override;

 private:
  std::vector<int32_t> values_;
};

class TPxPDFNull : public TPxCustomPDFType {
 public:
  using TPxCustomPDFType::TPxCustomPDFType;
  const char* className() const override { return "TPxPDFNull"; }
  std::string asString() override { return "null"; }
};

class TPxPDFName : public TPxCustomPDFType {
 public:
  TPxPDFName(TPxPDFDevice* owner, std::string name) : TPxCustomPDFType(owner), value_(std::move(name)) {}
  const char* className() const override { return "TPxPDFName"; }
  std::string asString() override { return "/" + value_; }

 private:
  std::string value_;
};

}  // namespace pyra::pdf
