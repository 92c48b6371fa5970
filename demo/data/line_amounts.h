#pragma once
// How an order line's amounts follow from its price, quantity and rates.
// Rates are percentages (DTL:TAXRATE 6.5000 is 6.5 %). Each amount is
// rounded to cents, halves to even, before it is summed, so the stored
// line fields always add up: total = extended − discount + tax.
#include "demo/data/fixed_decimal.h"

namespace pyra::demo {

struct LineAmounts {
  Money extended;  // price × quantity (the invoice's EXTENDPRICE)
  Money discount;  // extended × discount rate
  Money tax;       // (extended − discount) × tax rate
  Money savings;   // what the customer saves against the extended price
  Money total;     // extended − discount + tax
};

constexpr LineAmounts lineAmounts(Money price, Quantity quantity, Rate tax_rate, Rate discount_rate) {
  LineAmounts a;
  a.extended = multiply<2>(price, quantity);
  a.discount = percentOf(a.extended, discount_rate);
  a.tax = percentOf(a.extended - a.discount, tax_rate);
  a.savings = a.discount;
  a.total = a.extended - a.discount + a.tax;
  return a;
}

}  // namespace pyra::demo
