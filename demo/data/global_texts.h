#pragma once
// The global texts the browses and reports fill from a record before showing
// or printing it (GLOT:CustName ... GLOT:ShipCSZ) and the report-local texts
// built the same way. The joining blanks differ between the windows that use
// them, so each function takes the place it is shown in. Results are cut to
// the variable's length in characters.
#include <string>
#include <string_view>

#include "demo/data/records.h"

namespace pyra::demo {

enum class TextPlace {
  Browse,         // customer and orders browse windows
  Invoice,        // the invoice reports
  MailingLabel,   // PrintMailingLabels
  CustomerSheet,  // PrintSelectedCustomer
};

// Trailing blanks removed (the runtime's CLIP).
std::string clip(std::string_view text);
// At most `length` characters (UTF-8 aware).
std::string cutTo(std::string_view text, size_t length);

std::string custName(const Customer& c, TextPlace place);  // GLOT:CustName, 35
std::string custAddress(const Customer& c);                // GLOT:CustAddress, 45
std::string cusCSZ(const Customer& c, TextPlace place);    // GLOT:CusCSZ, 40
std::string shipName(const Order& o);                      // GLOT:ShipName, 35
std::string shipAddress(const Order& o, TextPlace place);  // GLOT:ShipAddress, 45
std::string shipCSZ(const Order& o, TextPlace place);      // GLOT:ShipCSZ, 40

// The six global texts for one customer and order, as one place fills them,
// and by name for the expressions of filters and reports ("GLOT:CusCSZ").
struct GlobalTexts {
  std::string cust_name, cust_address, cus_csz, ship_name, ship_address, ship_csz;
  static GlobalTexts fill(const Customer& c, const Order& o, TextPlace place);
  // nullptr for a name that is not one of the six (case-insensitive).
  const std::string* byName(std::string_view label) const;
};

std::string companyCSZ(const Company& c);      // LOC:CCSZ of the invoice reports, 35
std::string sheetAddress(const Customer& c);   // LOC:ADDRESS of PrintSelectedCustomer, 45
std::string sheetCSZ(const Customer& c);       // LOC:CSZ of PrintSelectedCustomer, 45

// Display pictures the windows and reports share.
std::string number7(int32_t value);              // "n07": 0000042
std::string zipPicture(std::string_view zip);    // "#####-####", blank when empty
std::string phonePicture(std::string_view ten);  // "(###) ###-####", blank when empty
const char* yesNo(bool flag);                    // "Yes" / "No"

}  // namespace pyra::demo
