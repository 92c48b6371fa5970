#include "demo/data/dictionary.h"

#include <cctype>

namespace pyra::demo {
namespace {

constexpr FieldInfo text(const char* label, const char* column, int width) {
  return {label, column, FieldType::String, width, 0, 0};
}
constexpr FieldInfo number(const char* label, const char* column, FieldType type) {
  return {label, column, type, 0, 0, 0};
}
// DECIMAL bytes/places: a packed decimal of b bytes holds 2·b − 1 digits.
constexpr FieldInfo decimal(const char* label, const char* column, int bytes, int places) {
  return {label, column, FieldType::Decimal, 0, 2 * bytes - 1, places};
}

constexpr FieldInfo kCustomerFields[] = {
    number("CUS:CUSTNUMBER", "CUSTNUMBER", FieldType::Long),
    text("CUS:COMPANY", "COMPANY", 20),
    text("CUS:FIRSTNAME", "FIRSTNAME", 20),
    text("CUS:MI", "MI", 1),
    text("CUS:LASTNAME", "LASTNAME", 25),
    text("CUS:ADDRESS1", "ADDRESS1", 35),
    text("CUS:ADDRESS2", "ADDRESS2", 35),
    text("CUS:CITY", "CITY", 25),
    text("CUS:STATE", "STATE", 2),
    text("CUS:ZIPCODE", "ZIPCODE", 10),
    text("CUS:PHONENUMBER", "PHONENUMBER", 10),
    text("CUS:EXTENSION", "EXTENSION", 4),
    text("CUS:PHONETYPE", "PHONETYPE", 8),
};

constexpr FieldInfo kOrderFields[] = {
    number("ORD:CUSTNUMBER", "CUSTNUMBER", FieldType::Long),
    number("ORD:ORDERNUMBER", "ORDERNUMBER", FieldType::Long),
    number("ORD:INVOICENUMBER", "INVOICENUMBER", FieldType::Long),
    number("ORD:ORDERDATE", "ORDERDATE", FieldType::Date),
    number("ORD:SAMENAME", "SAMENAME", FieldType::Byte),
    text("ORD:SHIPTONAME", "SHIPTONAME", 45),
    number("ORD:SAMEADD", "SAMEADD", FieldType::Byte),
    text("ORD:SHIPADDRESS1", "SHIPADDRESS1", 35),
    text("ORD:SHIPADDRESS2", "SHIPADDRESS2", 35),
    text("ORD:SHIPCITY", "SHIPCITY", 25),
    text("ORD:SHIPSTATE", "SHIPSTATE", 2),
    text("ORD:SHIPZIP", "SHIPZIP", 10),
    number("ORD:ORDERSHIPPED", "ORDERSHIPPED", FieldType::Byte),
    text("ORD:ORDERNOTE", "ORDERNOTE", 80),
};

constexpr FieldInfo kDetailFields[] = {
    number("DTL:CUSTNUMBER", "CUSTNUMBER", FieldType::Long),
    number("DTL:ORDERNUMBER", "ORDERNUMBER", FieldType::Long),
    number("DTL:LINENUMBER", "LINENUMBER", FieldType::Short),
    number("DTL:PRODUCTNUMBER", "PRODUCTNUMBER", FieldType::Long),
    decimal("DTL:QUANTITYORDERED", "QUANTITYORDERED", 4, 2),
    number("DTL:BACKORDERED", "BACKORDERED", FieldType::Byte),
    decimal("DTL:PRICE", "PRICE", 4, 2),
    decimal("DTL:TAXRATE", "TAXRATE", 4, 4),
    decimal("DTL:TAXPAID", "TAXPAID", 4, 2),
    decimal("DTL:DISCOUNTRATE", "DISCOUNTRATE", 4, 4),
    decimal("DTL:DISCOUNT", "DISCOUNT", 4, 2),
    decimal("DTL:SAVINGS", "SAVINGS", 4, 2),
    decimal("DTL:TOTALCOST", "TOTALCOST", 6, 2),
};

constexpr FieldInfo kProductFields[] = {
    number("PRO:PRODUCTNUMBER", "PRODUCTNUMBER", FieldType::Long),
    text("PRO:PRODUCTSKU", "PRODUCTSKU", 10),
    text("PRO:DESCRIPTION", "DESCRIPTION", 35),
    decimal("PRO:PRICE", "PRICE", 4, 2),
    decimal("PRO:QUANTITYINSTOCK", "QUANTITYINSTOCK", 4, 2),
    decimal("PRO:REORDERQUANTITY", "REORDERQUANTITY", 4, 2),
    decimal("PRO:COST", "COST", 4, 2),
    text("PRO:PICTUREFILE", "PICTUREFILE", 64),
};

constexpr FieldInfo kCompanyFields[] = {
    text("COM:NAME", "NAME", 20),       text("COM:ADDRESS", "ADDRESS", 35),
    text("COM:CITY", "CITY", 25),       text("COM:STATE", "STATE", 2),
    text("COM:ZIPCODE", "ZIPCODE", 10), text("COM:PHONE", "PHONE", 10),
};

constexpr FieldInfo kStateFields[] = {
    text("STA:STATECODE", "STATECODE", 2),
    text("STA:NAME", "NAME", 25),
};

constexpr TableInfo kTables[] = {
    {Table::Customers, "Customers", "CUS", kCustomerFields},
    {Table::Orders, "Orders", "ORD", kOrderFields},
    {Table::Detail, "Detail", "DTL", kDetailFields},
    {Table::Products, "Products", "PRO", kProductFields},
    {Table::Company, "Company", "COM", kCompanyFields},
    {Table::States, "States", "STA", kStateFields},
};

constexpr int kCusNumber[] = {0};
constexpr int kCusFullName[] = {4, 2, 3};
constexpr int kCusCompany[] = {1};
constexpr int kCusZip[] = {9};
constexpr int kCusState[] = {8};
constexpr int kOrdCustOrder[] = {0, 1};
constexpr int kOrdInvoice[] = {2};
constexpr int kDtlDetails[] = {0, 1, 2};
constexpr int kProNumber[] = {0};
constexpr int kProSku[] = {1};
constexpr int kProDescription[] = {2};
constexpr int kStaCode[] = {0};

// Number keys need no exclusion condition: the store numbers them from 1, so
// a zero never reaches the file.
constexpr KeyInfo kKeys[] = {
    {Key::CusKeyCustNumber, "CUS:KeyCustNumber", Table::Customers, kCusNumber, true, true, true, false, 0, ""},
    {Key::CusKeyFullName, "CUS:KeyFullName", Table::Customers, kCusFullName, false, true, true, false, -1,
     "(LASTNAME <> '' OR FIRSTNAME <> '' OR MI <> '')"},
    {Key::CusKeyCompany, "CUS:KeyCompany", Table::Customers, kCusCompany, false, true, false, false, -1, ""},
    {Key::CusKeyZipCode, "CUS:KeyZipCode", Table::Customers, kCusZip, false, true, false, false, -1, ""},
    {Key::CusStateKey, "CUS:StateKey", Table::Customers, kCusState, false, true, true, false, -1, "STATE <> ''"},
    {Key::OrdKeyCustOrderNumber, "ORD:KeyCustOrderNumber", Table::Orders, kOrdCustOrder, true, true, true, false, 1, ""},
    {Key::OrdInvoiceNumberKey, "ORD:InvoiceNumberKey", Table::Orders, kOrdInvoice, true, true, true, false, 2, ""},
    {Key::DtlKeyDetails, "DTL:KeyDetails", Table::Detail, kDtlDetails, true, true, true, true, 2, ""},
    {Key::ProKeyProductNumber, "PRO:KeyProductNumber", Table::Products, kProNumber, true, true, true, true, 0, ""},
    {Key::ProKeyProductSKU, "PRO:KeyProductSKU", Table::Products, kProSku, true, true, true, false, -1, "PRODUCTSKU <> ''"},
    {Key::ProKeyDescription, "PRO:KeyDescription", Table::Products, kProDescription, false, true, true, false, -1,
     "DESCRIPTION <> ''"},
    {Key::StaStateCodeKey, "STA:StateCodeKey", Table::States, kStaCode, true, true, true, false, -1, "STATECODE <> ''"},
};

constexpr int kCusNumberField[] = {0};
constexpr int kOrdCustField[] = {0};
constexpr int kOrdKeyFields[] = {0, 1};
constexpr int kDtlOrderFields[] = {0, 1};
constexpr int kStaCodeField[] = {0};
constexpr int kCusStateField[] = {8};
constexpr int kOrdShipStateField[] = {10};
constexpr int kProNumberField[] = {0};
constexpr int kDtlProductField[] = {3};

constexpr RelationInfo kRelations[] = {
    {Table::Customers, Table::Orders, kCusNumberField, kOrdCustField, OnDelete::Restrict},
    {Table::Orders, Table::Detail, kOrdKeyFields, kDtlOrderFields, OnDelete::Cascade},
    {Table::States, Table::Customers, kStaCodeField, kCusStateField, OnDelete::Restrict},
    {Table::States, Table::Orders, kStaCodeField, kOrdShipStateField, OnDelete::Restrict},
    {Table::Products, Table::Detail, kProNumberField, kDtlProductField, OnDelete::Restrict},
};

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

const TableInfo& tableInfo(Table table) { return kTables[static_cast<int>(table)]; }

const KeyInfo& keyInfo(Key key) { return kKeys[static_cast<int>(key)]; }

std::optional<Key> findKey(std::string_view label) {
  for (const KeyInfo& k : kKeys)
    if (equalNoCase(k.label, label)) return k.key;
  return std::nullopt;
}

int findField(Table table, std::string_view label) {
  const TableInfo& t = tableInfo(table);
  for (size_t i = 0; i < t.fields.size(); ++i)
    if (equalNoCase(t.fields[i].label, label)) return static_cast<int>(i);
  return -1;
}

std::span<const RelationInfo> relations() { return kRelations; }

}  // namespace pyra::demo
