#include "demo/data/seed.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "demo/data/day_number.h"
#include "demo/data/global_texts.h"
#include "demo/data/line_amounts.h"

namespace pyra::demo {
namespace {

struct StateRow {
  const char* code;
  const char* name;
  int tax_percent_x100;  // state sales tax in hundredths of a percent
};

constexpr StateRow kStates[] = {
    {"AL", "Alabama", 400},      {"AK", "Alaska", 0},           {"AZ", "Arizona", 560},
    {"AR", "Arkansas", 650},     {"CA", "California", 725},     {"CO", "Colorado", 290},
    {"CT", "Connecticut", 635},  {"DE", "Delaware", 0},         {"FL", "Florida", 600},
    {"GA", "Georgia", 400},      {"HI", "Hawaii", 400},         {"ID", "Idaho", 600},
    {"IL", "Illinois", 625},     {"IN", "Indiana", 700},        {"IA", "Iowa", 600},
    {"KS", "Kansas", 650},       {"KY", "Kentucky", 600},       {"LA", "Louisiana", 445},
    {"ME", "Maine", 550},        {"MD", "Maryland", 600},       {"MA", "Massachusetts", 625},
    {"MI", "Michigan", 600},     {"MN", "Minnesota", 688},      {"MS", "Mississippi", 700},
    {"MO", "Missouri", 423},     {"MT", "Montana", 0},          {"NE", "Nebraska", 550},
    {"NV", "Nevada", 685},       {"NH", "New Hampshire", 0},    {"NJ", "New Jersey", 663},
    {"NM", "New Mexico", 488},   {"NY", "New York", 400},       {"NC", "North Carolina", 475},
    {"ND", "North Dakota", 500}, {"OH", "Ohio", 575},           {"OK", "Oklahoma", 450},
    {"OR", "Oregon", 0},         {"PA", "Pennsylvania", 600},   {"RI", "Rhode Island", 700},
    {"SC", "South Carolina", 600}, {"SD", "South Dakota", 420}, {"TN", "Tennessee", 700},
    {"TX", "Texas", 625},        {"UT", "Utah", 610},           {"VT", "Vermont", 600},
    {"VA", "Virginia", 530},     {"WA", "Washington", 650},     {"WV", "West Virginia", 600},
    {"WI", "Wisconsin", 500},    {"WY", "Wyoming", 400},
};

struct CityRow {
  const char* city;
  const char* state;
  const char* zip;
  const char* area;
};

// The first rows are Florida: most customers of a Florida supplier are local.
constexpr CityRow kCities[] = {
    {"Orlando", "FL", "32801", "407"},      {"Tampa", "FL", "33602", "813"},
    {"Miami", "FL", "33130", "305"},        {"Jacksonville", "FL", "32202", "904"},
    {"Tallahassee", "FL", "32301", "850"},  {"Gainesville", "FL", "32601", "352"},
    {"Sarasota", "FL", "34236", "941"},     {"Fort Myers", "FL", "33901", "239"},
    {"Pensacola", "FL", "32502", "850"},    {"Daytona Beach", "FL", "32114", "386"},
    {"Atlanta", "GA", "30303", "404"},      {"Savannah", "GA", "31401", "912"},
    {"Charlotte", "NC", "28202", "704"},    {"Raleigh", "NC", "27601", "919"},
    {"Columbia", "SC", "29201", "803"},     {"Birmingham", "AL", "35203", "205"},
    {"Nashville", "TN", "37203", "615"},    {"Memphis", "TN", "38103", "901"},
    {"New Orleans", "LA", "70112", "504"},  {"Houston", "TX", "77002", "713"},
    {"Austin", "TX", "78701", "512"},       {"Dallas", "TX", "75201", "214"},
    {"Phoenix", "AZ", "85004", "602"},      {"Denver", "CO", "80202", "303"},
    {"Chicago", "IL", "60601", "312"},      {"Columbus", "OH", "43215", "614"},
    {"Detroit", "MI", "48226", "313"},      {"Boston", "MA", "02108", "617"},
    {"New York", "NY", "10007", "212"},     {"Philadelphia", "PA", "19107", "215"},
    {"Baltimore", "MD", "21202", "410"},    {"Richmond", "VA", "23219", "804"},
    {"Seattle", "WA", "98101", "206"},      {"Portland", "OR", "97204", "503"},
    {"San Diego", "CA", "92101", "619"},    {"Sacramento", "CA", "95814", "916"},
    {"Salt Lake City", "UT", "84111", "801"}, {"Minneapolis", "MN", "55401", "612"},
    {"Kansas City", "MO", "64106", "816"},  {"Omaha", "NE", "68102", "402"},
    {"Louisville", "KY", "40202", "502"},   {"Indianapolis", "IN", "46204", "317"},
    {"Milwaukee", "WI", "53202", "414"},    {"Albuquerque", "NM", "87102", "505"},
    {"Las Vegas", "NV", "89101", "702"},    {"Boise", "ID", "83702", "208"},
    {"Anchorage", "AK", "99501", "907"},    {"Honolulu", "HI", "96813", "808"},
    {"Hartford", "CT", "06103", "860"},     {"Providence", "RI", "02903", "401"},
    {"Burlington", "VT", "05401", "802"},   {"Portland", "ME", "04101", "207"},
    {"Manchester", "NH", "03101", "603"},   {"Wilmington", "DE", "19801", "302"},
    {"Charleston", "WV", "25301", "304"},   {"Little Rock", "AR", "72201", "501"},
    {"Jackson", "MS", "39201", "601"},      {"Oklahoma City", "OK", "73102", "405"},
    {"Wichita", "KS", "67202", "316"},      {"Des Moines", "IA", "50309", "515"},
    {"Fargo", "ND", "58102", "701"},        {"Sioux Falls", "SD", "57104", "605"},
    {"Billings", "MT", "59101", "406"},     {"Cheyenne", "WY", "82001", "307"},
    {"Newark", "NJ", "07102", "973"},
};
constexpr int kFloridaCities = 10;

constexpr const char* kFirstNames[] = {
    "James", "Mary", "Robert", "Patricia", "John", "Jennifer", "Michael", "Linda", "David", "Elizabeth",
    "William", "Barbara", "Richard", "Susan", "Joseph", "Jessica", "Thomas", "Sarah", "Carlos", "Karen",
    "Daniel", "Lisa", "Matthew", "Nancy", "Anthony", "Betty", "Mark", "Maria", "Donald", "Sandra",
    "Steven", "Ashley", "Andrew", "Kimberly", "Luis", "Emily", "Kevin", "Donna", "Brian", "Michelle",
    "George", "Carol", "Edward", "Amanda", "Ronald", "Melissa", "Timothy", "Deborah", "Jason", "Rosa",
};
constexpr const char* kLastNames[] = {
    "Smith", "Johnson", "Williams", "Brown", "Jones", "Garcia", "Miller", "Davis", "Rodriguez", "Martinez",
    "Hernandez", "Lopez", "Gonzalez", "Wilson", "Anderson", "Thomas", "Taylor", "Moore", "Jackson", "Martin",
    "Lee", "Perez", "Thompson", "White", "Harris", "Sanchez", "Clark", "Ramirez", "Lewis", "Robinson",
    "Walker", "Young", "Allen", "King", "Wright", "Scott", "Torres", "Nguyen", "Hill", "Flores",
    "Green", "Adams", "Nelson", "Baker", "Hall", "Rivera", "Campbell", "Mitchell", "Carter", "Roberts",
    "McDonald", "MacDonald", "DeLeon", "deLeon", "O'Brien", "Van Buren", "van Buren", "St. John",
};
constexpr const char* kCompanyWords[] = {
    "Sunrise", "Coastal", "Harbor", "Summit", "Pioneer", "Keystone", "Bayside", "Evergreen", "Liberty",
    "Magnolia", "Pelican", "Atlas", "Beacon", "Cypress", "Heritage", "Lakeside", "Orchid", "Palmetto",
    "Redwood", "Silverline", "Tidewater", "Meridian", "Northstar", "Gator", "Citrus",
};
constexpr const char* kCompanyKinds[] = {
    "Dental", "Realty", "Law Group", "Printing", "Motors", "Insurance", "Clinic", "Academy", "Builders",
    "Travel", "Marine", "Bakery", "Logistics", "Design", "Florist", "Accounting", "Services", "Media",
};
constexpr const char* kStreets[] = {
    "Palm", "Oak", "Orange Blossom", "Magnolia", "Cypress", "Lake", "Bay", "Pine", "Maple", "Cedar",
    "Main", "Church", "Washington", "Park", "Hillcrest", "Sunset", "Ocean", "River", "Highland", "Elm",
    "Colonial", "Sand Lake", "Mills", "Dixie", "Lincoln",
};
constexpr const char* kStreetKinds[] = {"St", "Ave", "Blvd", "Dr", "Rd", "Ln", "Ct", "Way", "Pkwy", "Trl"};
constexpr const char* kUnits[] = {"Suite", "Apt", "Unit", "Floor", "Bldg"};
constexpr const char* kPhoneTypes[] = {"Home", "Business", "Mobile", "Fax"};
constexpr const char* kNotes[] = {
    "Leave at the front desk",
    "Call before delivery",
    "Rush order - customer waiting",
    "Deliver to loading dock B",
    "Gift: no prices on the packing slip",
    "Partial shipment accepted",
    "Customer picks up at the warehouse",
    "Signature required on delivery",
    "Deliver after 10 AM only",
    "Quote ref. per phone call with sales",
};

struct ProductRow {
  const char* sku;
  const char* description;
  int price_cents;
};

constexpr ProductRow kProducts[] = {
    {"PAP-1001", "Copy Paper, Letter, 500 Sheets", 649},
    {"PAP-1002", "Copy Paper, Legal, 500 Sheets", 899},
    {"PAP-1003", "Cardstock, White, 250 Sheets", 1249},
    {"PAP-1004", "Bright Colour Paper, 500 Sheets", 1399},
    {"PAP-1005", "Laser Labels, 30 per Sheet, 100", 2499},
    {"PAP-1006", "Index Cards, 3 x 5, 500", 499},
    {"PAP-1007", "Sticky Notes, 3 x 3, 12 Pads", 899},
    {"PAP-1008", "Spiral Notebook, College Ruled", 249},
    {"PAP-1009", "Legal Pads, Yellow, 12 Pack", 1299},
    {"PAP-1010", "Envelopes, #10, 500", 2199},
    {"PEN-2001", "Ballpoint Pens, Blue, 12", 399},
    {"PEN-2002", "Ballpoint Pens, Black, 12", 399},
    {"PEN-2003", "Gel Pens, Assorted, 10", 1149},
    {"PEN-2004", "Highlighters, Yellow, 12", 699},
    {"PEN-2005", "Permanent Markers, Black, 12", 949},
    {"PEN-2006", "Dry Erase Markers, 8 Colours", 1099},
    {"PEN-2007", "Mechanical Pencils, 0.7 mm, 12", 799},
    {"PEN-2008", "Wood Pencils, #2, 24", 549},
    {"DSK-3001", "Stapler, Full Strip, Black", 1599},
    {"DSK-3002", "Staples, Standard, 5000", 349},
    {"DSK-3003", "Tape Dispenser with Tape", 799},
    {"DSK-3004", "Scissors, 8 inch, Stainless", 699},
    {"DSK-3005", "Desk Organizer, Mesh, 5 Parts", 2499},
    {"DSK-3006", "Paper Clips, Jumbo, 1000", 599},
    {"DSK-3007", "Binder Clips, Medium, 72", 749},
    {"DSK-3008", "Three-Hole Punch, 20 Sheets", 1899},
    {"DSK-3009", "Calculator, 12 Digit, Solar", 1499},
    {"DSK-3010", "Letter Tray, Stackable, Black", 899},
    {"FIL-4001", "File Folders, Letter, 100", 1499},
    {"FIL-4002", "Hanging Folders, Letter, 25", 1799},
    {"FIL-4003", "Ring Binder, 1 inch, White", 449},
    {"FIL-4004", "Ring Binder, 3 inch, Black", 999},
    {"FIL-4005", "Sheet Protectors, 100", 1199},
    {"FIL-4006", "Tab Dividers, 8 Tab, 6 Sets", 799},
    {"FIL-4007", "Storage Boxes, Letter/Legal, 10", 4299},
    {"FIL-4008", "Filing Cabinet, 2 Drawer", 14999},
    {"TEC-5001", "Toner Cartridge, Black", 7999},
    {"TEC-5002", "Ink Cartridge, Tri-Colour", 3499},
    {"TEC-5003", "USB Flash Drive, 64 GB", 1299},
    {"TEC-5004", "Wireless Mouse", 2499},
    {"TEC-5005", "Keyboard, Full Size, USB", 2999},
    {"TEC-5006", "Surge Protector, 8 Outlet", 2799},
    {"TEC-5007", "Label Maker, Handheld", 4999},
    {"TEC-5008", "Laminator, 9 inch", 5999},
    {"TEC-5009", "Paper Shredder, Cross Cut", 8999},
    {"TEC-5010", "Webcam, 1080p", 5499},
    {"FUR-6001", "Task Chair, Mesh Back", 12999},
    {"FUR-6002", "Folding Table, 6 ft", 8999},
    {"FUR-6003", "Bookcase, 5 Shelf, Cherry", 10999},
    {"FUR-6004", "Whiteboard, 4 x 3 ft", 6999},
    {"FUR-6005", "Monitor Stand, Adjustable", 3999},
    {"FUR-6006", "Desk Lamp, LED", 3299},
    {"BRK-7001", "Coffee, Ground, 2 lb", 1899},
    {"BRK-7002", "Paper Cups, 12 oz, 50", 799},
    {"BRK-7003", "Paper Towels, 12 Rolls", 2199},
    {"BRK-7004", "Hand Soap, Refill, 1 gal", 1499},
    {"BRK-7005", "Trash Bags, 33 gal, 40", 1699},
    {"BRK-7006", "Bottled Water, 24 Pack", 599},
    {"BRK-7007", "Disinfecting Wipes, 3 Pack", 1099},
    {"BRK-7008", "First Aid Kit, 100 Pieces", 2999},
};

template <size_t N>
const char* pick(SeedRandom& rng, const char* const (&list)[N]) {
  return list[rng.below(N)];
}

std::string digits(SeedRandom& rng, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += char('0' + rng.below(10));
  return s;
}

struct Address {
  std::string line1, line2, city, state, zip, area;
};

Address randomAddress(SeedRandom& rng) {
  Address a;
  const CityRow& c = rng.chance(45) ? kCities[rng.below(kFloridaCities)]
                                    : kCities[rng.below(uint32_t(std::size(kCities)))];
  a.line1 = std::to_string(100 + rng.below(9800)) + " " + pick(rng, kStreets) + " " + pick(rng, kStreetKinds);
  if (rng.chance(25)) a.line2 = std::string(pick(rng, kUnits)) + " " + std::to_string(1 + rng.below(450));
  a.city = c.city;
  a.state = c.state;
  a.zip = std::string(c.zip) + (rng.chance(60) ? "-" + digits(rng, 4) : "");
  a.area = c.area;
  return a;
}

int taxRateX100(std::string_view code) {
  for (const StateRow& s : kStates)
    if (code == s.code) return s.tax_percent_x100;
  return 0;
}

}  // namespace

bool holdsData(Database& db) {
  BrowseOptions one;
  one.limit = 1;
  // Keys that hold every record of their file (no exclusion condition).
  return db.count(Key::CusKeyCompany, one) + db.count(Key::ProKeyProductNumber, one) +
                 db.count(Key::OrdInvoiceNumberKey, one) + db.count(Key::StaStateCodeKey, one) >
             0 ||
         db.company().has_value();
}

SeedSummary seedDemoData(Database& db, const SeedOptions& options) {
  if (holdsData(db))
    throw DataError(DataError::Kind::Usage, "\"" + db.path().string() + "\" already holds data; nothing was added.");
  SeedRandom rng(options.seed);
  SeedSummary summary;
  Database::Transaction tx(db);

  db.setCompany(Company{0, "Gulf Coast Supply Co", "2750 N Orange Blossom Trl, Ste 100", "Orlando", "FL",
                        "32804-4811", "4075550142"});

  for (const StateRow& s : kStates) {
    State st{0, s.code, s.name};
    db.insert(st);
    ++summary.states;
  }

  std::vector<Product> products;
  const int product_rows = int(std::size(kProducts));
  for (int i = 0; i < options.products; ++i) {
    const ProductRow& row = kProducts[i % product_rows];
    const int round = i / product_rows;  // beyond the list: case packs of 12
    Product p;
    p.productsku = round == 0 ? row.sku : std::string(row.sku) + "-" + char('A' + (round - 1) % 26);
    p.description = round == 0 ? row.description : cutTo(std::string(row.description), 26) + ", Case 12";
    const int64_t price = round == 0 ? row.price_cents : row.price_cents * 11;
    p.price = Money::fromMinor(price);
    p.cost = Money::fromMinor(price * (55 + rng.below(16)) / 100);
    p.quantityinstock = Quantity::fromUnits(rng.below(500));
    p.reorderquantity = Quantity::fromUnits(25 + 5 * rng.below(16));
    p.picturefile = p.productsku + ".jpg";
    db.insert(p);
    products.push_back(p);
    ++summary.products;
  }

  std::vector<Customer> customers;
  for (int i = 0; i < options.customers; ++i) {
    Customer c;
    c.firstname = pick(rng, kFirstNames);
    c.mi = rng.chance(70) ? std::string(1, char('A' + rng.below(26))) : "";
    c.lastname = pick(rng, kLastNames);
    if (rng.chance(65))
      c.company = cutTo(rng.chance(50) ? std::string(pick(rng, kCompanyWords)) + " " + pick(rng, kCompanyKinds)
                                       : c.lastname + " " + pick(rng, kCompanyKinds),
                        20);
    const Address a = randomAddress(rng);
    c.address1 = a.line1;
    c.address2 = a.line2;
    c.city = a.city;
    c.state = a.state;
    c.zipcode = a.zip;
    // 555-0100 .. 555-0199 are set aside for fiction: no real line rings.
    c.phonenumber = a.area + "55501" + digits(rng, 2);
    c.phonetype = pick(rng, kPhoneTypes);
    if (c.phonetype == "Business" && rng.chance(40)) c.extension = std::to_string(100 + rng.below(900));
    db.insert(c);
    customers.push_back(c);
    ++summary.customers;
  }

  // Orders over two years in date order, so invoice numbers rise with dates.
  // About one customer in ten never orders (an empty orders browse).
  const int32_t first_day = dayNumber(2024, 1, 2);
  const int32_t span = 730;
  const uint32_t ordering = std::max<uint32_t>(1, uint32_t(customers.size() * 9 / 10));
  for (int i = 0; options.orders > 0 && !customers.empty() && i < options.orders; ++i) {
    // A third of the orders come from the first third of the customers: the
    // regulars.
    const uint32_t r = rng.chance(30) ? rng.below(std::max<uint32_t>(1, ordering / 3)) : rng.below(ordering);
    const Customer& c = customers[r];
    Order o;
    o.custnumber = c.custnumber;
    o.orderdate = first_day + int32_t(int64_t(i) * span / options.orders);
    o.samename = rng.chance(85);
    o.shiptoname = o.samename ? cutTo(c.firstname + " " + c.lastname, 45)
                              : cutTo(std::string(pick(rng, kFirstNames)) + " " + pick(rng, kLastNames), 45);
    o.sameadd = rng.chance(80);
    if (o.sameadd) {
      o.shipaddress1 = c.address1;
      o.shipaddress2 = c.address2;
      o.shipcity = c.city;
      o.shipstate = c.state;
      o.shipzip = c.zipcode;
    } else {
      const Address a = randomAddress(rng);
      o.shipaddress1 = a.line1;
      o.shipaddress2 = a.line2;
      o.shipcity = a.city;
      o.shipstate = a.state;
      o.shipzip = a.zip;
    }
    const bool recent = o.orderdate > first_day + span - 30;
    o.ordershipped = recent ? rng.chance(40) : rng.chance(98);
    if (rng.chance(20)) o.ordernote = pick(rng, kNotes);
    db.insert(o);
    ++summary.orders;

    const int lines = 1 + int(rng.below(uint32_t(std::max(1, options.max_lines))));
    std::vector<uint32_t> used;
    const Rate tax_rate = Rate::fromMinor(int64_t(taxRateX100(o.shipstate)) * 100);
    for (int l = 0; l < lines && used.size() < products.size(); ++l) {
      uint32_t pi;
      do pi = rng.below(uint32_t(products.size()));
      while (std::find(used.begin(), used.end(), pi) != used.end());
      used.push_back(pi);
      const Product& p = products[pi];
      Detail d;
      d.custnumber = o.custnumber;
      d.ordernumber = o.ordernumber;
      d.productnumber = p.productnumber;
      d.quantityordered = Quantity::fromUnits(1 + rng.below(p.price.minor() > 5000 ? 3 : 24));
      if (rng.chance(8)) d.quantityordered += Quantity::fromMinor(50);
      d.backordered = rng.chance(4);
      d.price = p.price;
      d.taxrate = tax_rate;
      d.discountrate = rng.chance(12) ? Rate::fromUnits(rng.chance(50) ? 5 : 10) : Rate{};
      const LineAmounts a = lineAmounts(d.price, d.quantityordered, d.taxrate, d.discountrate);
      d.taxpaid = a.tax;
      d.discount = a.discount;
      d.savings = a.savings;
      d.totalcost = a.total;
      db.insert(d);
      ++summary.lines;
    }
  }
  tx.commit();
  return summary;
}

}  // namespace pyra::demo
