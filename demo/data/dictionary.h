#pragma once
// The billbook data dictionary: files, fields, keys and relations, as data
// that the store, the browses and the reports share. Labels are the
// runtime's prefix:label names ("CUS:CUSTNUMBER", "ORD:InvoiceNumberKey");
// each file is an SQLite table of the same label whose columns drop the prefix.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace pyra::demo {

enum class Table { Customers, Orders, Detail, Products, Company, States };

enum class FieldType {
  Long,     // signed 32-bit
  Short,    // signed 16-bit
  Byte,     // 0/1 flag
  Date,     // LONG day number (days since 1970-01-01)
  String,   // text of at most `width` characters, trailing blanks not kept
  Decimal,  // `digits` digits of which `scale` decimals, stored in minor units
};

struct FieldInfo {
  const char* label;   // "CUS:CUSTNUMBER"
  const char* column;  // "CUSTNUMBER"
  FieldType type;
  int width = 0;       // String: characters
  int digits = 0;      // Decimal: total digits (2·bytes − 1)
  int scale = 0;       // Decimal: decimals
};

struct TableInfo {
  Table table;
  const char* label;   // "Customers", also the SQL table name
  const char* prefix;  // "CUS"
  std::span<const FieldInfo> fields;
};

enum class Key {
  CusKeyCustNumber,
  CusKeyFullName,
  CusKeyCompany,
  CusKeyZipCode,
  CusStateKey,
  OrdKeyCustOrderNumber,
  OrdInvoiceNumberKey,
  DtlKeyDetails,
  ProKeyProductNumber,
  ProKeyProductSKU,
  ProKeyDescription,
  StaStateCodeKey,
};
inline constexpr Key kAllKeys[] = {
    Key::CusKeyCustNumber,    Key::CusKeyFullName,      Key::CusKeyCompany,
    Key::CusKeyZipCode,       Key::CusStateKey,         Key::OrdKeyCustOrderNumber,
    Key::OrdInvoiceNumberKey, Key::DtlKeyDetails,       Key::ProKeyProductNumber,
    Key::ProKeyProductSKU,    Key::ProKeyDescription,   Key::StaStateCodeKey,
};

struct KeyInfo {
  Key key;
  const char* label;  // "CUS:KeyFullName"; also the SQL index name
  Table table;
  std::span<const int> components;  // field indexes into the table's fields, in key order
  bool unique;
  bool no_case;
  bool optional;       // records whose key fields are all blank or zero are not in the key
  bool primary;
  int numbered;        // field index the store numbers on add, or -1
  const char* optional_sql;  // SQL condition a record must meet to be in the key ("" = all)
};

// What a field holds in generic calls (filters, ranges, lookups): integers,
// flags, dates and decimals as int64_t (decimals in minor units, cents for
// scale 2), texts as std::string. A text given for a number field is parsed.
using Value = std::variant<int64_t, std::string>;

const TableInfo& tableInfo(Table table);
const KeyInfo& keyInfo(Key key);
// Case-insensitive, with or without prefix checks: "ORD:invoicenumberkey".
std::optional<Key> findKey(std::string_view label);
// Field index in tableInfo(table).fields for "CUS:CustNumber" (case-insensitive), or -1.
int findField(Table table, std::string_view label);

// Relations enforced by the store (parent → child).
enum class OnDelete { Restrict, Cascade };
struct RelationInfo {
  Table parent;
  Table child;
  std::span<const int> parent_fields;
  std::span<const int> child_fields;
  OnDelete on_delete;  // a change of the parent's linking fields is refused while children exist
};
std::span<const RelationInfo> relations();

}  // namespace pyra::demo
