#pragma once
// One record type per billbook file. Members carry the field names of the
// dictionary in lower case (CUS:CUSTNUMBER → custnumber). `position` is the
// record's identity in the store (0 for a record not stored yet); it stays
// the same when key fields change, so a form can save what it loaded.
#include <cstdint>
#include <string>

#include "demo/data/dictionary.h"
#include "demo/data/fixed_decimal.h"

namespace pyra::demo {

struct Customer {
  static constexpr Table kTable = Table::Customers;
  int64_t position = 0;
  int32_t custnumber = 0;  // 0 on add: the store numbers it
  std::string company, firstname, mi, lastname, address1, address2, city, state, zipcode, phonenumber,
      extension, phonetype;
};

struct Order {
  static constexpr Table kTable = Table::Orders;
  int64_t position = 0;
  int32_t custnumber = 0;
  int32_t ordernumber = 0;    // 0 on add: next number for the customer
  int32_t invoicenumber = 0;  // 0 on add: next number over all orders
  int32_t orderdate = 0;      // day number, see day_number.h
  bool samename = false;
  std::string shiptoname;
  bool sameadd = false;
  std::string shipaddress1, shipaddress2, shipcity, shipstate, shipzip;
  bool ordershipped = false;
  std::string ordernote;
};

struct Detail {
  static constexpr Table kTable = Table::Detail;
  int64_t position = 0;
  int32_t custnumber = 0;
  int32_t ordernumber = 0;
  int32_t linenumber = 0;  // 0 on add: next line of the order; stored as a SHORT
  int32_t productnumber = 0;
  Quantity quantityordered;
  bool backordered = false;
  Money price;
  Rate taxrate;       // percent
  Money taxpaid;
  Rate discountrate;  // percent
  Money discount;
  Money savings;
  Money totalcost;
};

struct Product {
  static constexpr Table kTable = Table::Products;
  int64_t position = 0;
  int32_t productnumber = 0;  // 0 on add: the store numbers it
  std::string productsku, description;
  Money price;
  Quantity quantityinstock, reorderquantity;
  Money cost;
  std::string picturefile;
};

struct Company {
  static constexpr Table kTable = Table::Company;
  int64_t position = 0;
  std::string name, address, city, state, zipcode, phone;
};

struct State {
  static constexpr Table kTable = Table::States;
  int64_t position = 0;
  std::string statecode, name;
};

// Calls f on every field of the record in dictionary order; the store uses it
// to move records to and from rows without a hand-written copy per file.
template <class F> void visitFields(Customer& r, F&& f) {
  f(r.custnumber), f(r.company), f(r.firstname), f(r.mi), f(r.lastname), f(r.address1), f(r.address2),
      f(r.city), f(r.state), f(r.zipcode), f(r.phonenumber), f(r.extension), f(r.phonetype);
}
template <class F> void visitFields(Order& r, F&& f) {
  f(r.custnumber), f(r.ordernumber), f(r.invoicenumber), f(r.orderdate), f(r.samename), f(r.shiptoname),
      f(r.sameadd), f(r.shipaddress1), f(r.shipaddress2), f(r.shipcity), f(r.shipstate), f(r.shipzip),
      f(r.ordershipped), f(r.ordernote);
}
template <class F> void visitFields(Detail& r, F&& f) {
  f(r.custnumber), f(r.ordernumber), f(r.linenumber), f(r.productnumber), f(r.quantityordered),
      f(r.backordered), f(r.price), f(r.taxrate), f(r.taxpaid), f(r.discountrate), f(r.discount),
      f(r.savings), f(r.totalcost);
}
template <class F> void visitFields(Product& r, F&& f) {
  f(r.productnumber), f(r.productsku), f(r.description), f(r.price), f(r.quantityinstock),
      f(r.reorderquantity), f(r.cost), f(r.picturefile);
}
template <class F> void visitFields(Company& r, F&& f) {
  f(r.name), f(r.address), f(r.city), f(r.state), f(r.zipcode), f(r.phone);
}
template <class F> void visitFields(State& r, F&& f) { f(r.statecode), f(r.name); }

}  // namespace pyra::demo
