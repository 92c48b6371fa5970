#include "demo/data/global_texts.h"

#include <cctype>
#include <cstdio>
#include <utility>

namespace pyra::demo {

std::string clip(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

std::string cutTo(std::string_view text, size_t length) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // Count lead bytes only, so a character is never split.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == length) return std::string(text.substr(0, i));
      ++chars;
    }
  }
  return std::string(text);
}

namespace {
// A blank-padded field as the formulas see it: a code of two characters is
// always two wide, even when blank.
std::string padded(std::string_view text, size_t width) {
  std::string s = clip(text);
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}
// The variables are blank-padded too; like the stored fields, their
// trailing blanks are not kept.
std::string fit(const std::string& text, size_t length) { return clip(cutTo(text, length)); }
}  // namespace

std::string custName(const Customer& c, TextPlace place) {
  const char* gap = place == TextPlace::CustomerSheet ? "  " : "   ";
  return fit(clip(c.firstname) + gap + clip(c.lastname), 35);
}

std::string custAddress(const Customer& c) {
  return fit(clip(c.address1) + "    " + clip(c.address2), 45);
}

std::string cusCSZ(const Customer& c, TextPlace place) {
  const char* gap = place == TextPlace::Invoice ? "     " : "   ";
  return fit(clip(c.city) + ",  " + padded(c.state, 2) + gap + clip(c.zipcode), 40);
}

std::string shipName(const Order& o) { return fit(clip(o.shiptoname), 35); }

std::string shipAddress(const Order& o, TextPlace place) {
  const char* gap = place == TextPlace::MailingLabel ? "  " : "    ";
  return fit(clip(o.shipaddress1) + gap + clip(o.shipaddress2), 45);
}

std::string shipCSZ(const Order& o, TextPlace place) {
  std::string text;
  switch (place) {
    case TextPlace::MailingLabel:
      text = clip(o.shipcity) + ", " + padded(o.shipstate, 2) + " " + clip(o.shipzip);
      break;
    case TextPlace::Invoice:
      text = clip(o.shipcity) + ",  " + padded(o.shipstate, 2) + "    " + clip(o.shipzip);
      break;
    default:
      text = clip(o.shipcity) + ",  " + padded(o.shipstate, 2) + "   " + clip(o.shipzip);
      break;
  }
  return fit(text, 40);
}

GlobalTexts GlobalTexts::fill(const Customer& c, const Order& o, TextPlace place) {
  GlobalTexts t;
  t.cust_name = custName(c, place);
  t.cust_address = custAddress(c);
  t.cus_csz = cusCSZ(c, place);
  t.ship_name = shipName(o);
  t.ship_address = shipAddress(o, place);
  t.ship_csz = shipCSZ(o, place);
  return t;
}

const std::string* GlobalTexts::byName(std::string_view label) const {
  const std::pair<const char*, const std::string*> names[] = {
      {"GLOT:CustName", &cust_name}, {"GLOT:CustAddress", &cust_address}, {"GLOT:CusCSZ", &cus_csz},
      {"GLOT:ShipName", &ship_name}, {"GLOT:ShipAddress", &ship_address}, {"GLOT:ShipCSZ", &ship_csz},
  };
  for (const auto& [name, text] : names) {
    const std::string_view n(name);
    if (n.size() != label.size()) continue;
    bool same = true;
    for (size_t i = 0; i < n.size() && same; ++i)
      same = std::toupper(static_cast<unsigned char>(n[i])) == std::toupper(static_cast<unsigned char>(label[i]));
    if (same) return text;
  }
  return nullptr;
}

std::string companyCSZ(const Company& c) {
  return fit(clip(c.city) + ", " + padded(c.state, 2) + "  " + clip(c.zipcode), 35);
}

std::string sheetAddress(const Customer& c) {
  if (clip(c.address2).empty()) return fit(c.address1, 45);
  return fit(clip(c.address1) + ",  " + c.address2, 45);
}

std::string sheetCSZ(const Customer& c) {
  const std::string city = clip(c.city), state = clip(c.state), zip = clip(c.zipcode);
  std::string text;
  if (city.empty())
    text = padded(c.state, 2) + "  " + c.zipcode;
  else if (state.empty())
    text = city + ",  " + c.zipcode;
  else if (zip.empty())
    text = city + ",  " + c.state;
  else
    text = city + ", " + padded(c.state, 2) + "  " + c.zipcode;
  return fit(text, 45);
}

std::string number7(int32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%07d", value);
  return buf;
}

namespace {
std::string digitsOf(std::string_view s) {
  std::string d;
  for (char c : s)
    if (c >= '0' && c <= '9') d += c;
  return d;
}
}  // namespace

std::string zipPicture(std::string_view zip) {
  const std::string d = digitsOf(zip);
  if (d.empty()) return {};
  if (d.size() <= 5) return d;
  return d.substr(0, 5) + "-" + d.substr(5, 4);
}

std::string phonePicture(std::string_view ten) {
  const std::string d = digitsOf(ten);
  if (d.empty()) return {};
  if (d.size() != 10) return std::string(ten);
  return "(" + d.substr(0, 3) + ") " + d.substr(3, 3) + "-" + d.substr(6);
}

const char* yesNo(bool flag) { return flag ? "Yes" : "No"; }

}  // namespace pyra::demo
