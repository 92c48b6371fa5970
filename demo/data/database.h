#pragma once
// The billbook store: the six files as tables of one SQLite database, with
// the dictionary's keys, relations, automatic numbers and field rules.
//
// One Database object is one connection; use it from one thread at a time.
// Every browse window or report thread opens its own (the files are per
// thread, as the record buffers are). Writes from several connections are
// serialised by SQLite; readers never wait for a writer (WAL).
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "demo/data/data_error.h"
#include "demo/data/dictionary.h"
#include "demo/data/records.h"

struct sqlite3;
struct sqlite3_stmt;

namespace pyra::demo {

class Database;

// One filter condition on a field of the browsed file.
struct Condition {
  enum class Op { Eq, Ne, Lt, Le, Gt, Ge, BeginsWith };
  std::string field;  // "CUS:LASTNAME" (case-insensitive)
  Op op = Op::Eq;
  Value value;        // BeginsWith compares without regard to letter case
};

struct BrowseOptions {
  // Range limit: the key's leading components equal these values, e.g. {custnumber}
  // for one customer's orders in ORD:KeyCustOrderNumber.
  std::vector<Value> equal;
  // Range limit on the component after `equal`, both ends inclusive, each optional.
  std::optional<Value> low, high;
  // Filter: every condition must hold.
  std::vector<Condition> filter;
  // Start point. Without seek_position: the first record whose leading key
  // components (as many as given) are at or after `seek` (at or before it when
  // browsing backward): an incremental locator. With seek_position (and a value
  // for every component): strictly after (before) that record, for paging on
  // from the last row shown; see keyValues().
  std::vector<Value> seek;
  int64_t seek_position = 0;
  bool backward = false;
  int64_t limit = 0;  // at most this many rows; 0 = all
};

// A browse in progress. Rows are read from the file as next() is called;
// nothing is loaded ahead. Until it reaches the end or is destroyed it reads
// one snapshot of the file (saves made meanwhile by others are not seen, and
// the write-ahead log cannot be folded back past it), so a window keeps a
// cursor for one page of rows, not for its lifetime. Must not outlive its
// Database.
template <class R>
class Cursor {
 public:
  Cursor(Cursor&& other) noexcept;
  Cursor& operator=(Cursor&& other) noexcept;
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;
  ~Cursor();
  // The next record into `out`; false at the end.
  bool next(R& out);

 private:
  friend class Database;
  Cursor(Database& db, sqlite3_stmt* stmt) : db_(&db), stmt_(stmt) {}
  Database* db_;
  sqlite3_stmt* stmt_;
};

// Sums over an order's lines, exact.
struct OrderTotals {
  int64_t lines = 0;
  Money subtotal;  // Σ price × quantity
  Money discount;  // Σ DTL:DISCOUNT
  Money tax;       // Σ DTL:TAXPAID
  Money total;     // Σ DTL:TOTALCOST
};

class Database {
 public:
  static constexpr int kSchemaVersion = 1;
  static constexpr uint32_t kApplicationId = 0x42494C42;  // "BILB" in the file header
  static constexpr const char* kFileName = "billbook.sqlite";

  // Opens the database file, creating it (and its folder) when missing and
  // upgrading an older schema. A file that is not a billbook database, or one
  // written by a newer version, is refused with DataError and left untouched.
  static std::unique_ptr<Database> open(const std::filesystem::path& file);
  // The database kFileName inside `folder`.
  static std::unique_ptr<Database> openFolder(const std::filesystem::path& folder);

  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Records with the values a new record starts with: a customer in "FL";
  // an order dated today shipping to "FL".
  Customer newCustomer() const;
  Order newOrder() const;

  // Adds a record: fills the automatic numbers that are 0, checks the field
  // rules and unique keys, stores it and sets `position`. Trailing blanks of
  // texts are not kept (texts are blank-padded fields).
  template <class R> void insert(R& record);
  // Saves a changed record identified by its position.
  template <class R> void update(R& record);
  // Deletes a record by its position, following the relations: an order takes
  // its lines with it; a customer with orders, a state or product in use is refused.
  template <class R> void remove(const R& record);

  // The single company record (invoice headings), if set.
  std::optional<Company> company();
  void setCompany(Company company);

  template <class R> Cursor<R> browse(Key key, const BrowseOptions& options = {});
  int64_t count(Key key, const BrowseOptions& options = {});
  // The first record whose leading key components equal `key_values`.
  template <class R> std::optional<R> find(Key key, const std::vector<Value>& key_values);
  // The record at `position` as it is stored now (a form's refresh after a save).
  template <class R> std::optional<R> fetch(int64_t position);
  // The key's component values of a record (for BrowseOptions::seek).
  template <class R> static std::vector<Value> keyValues(Key key, const R& record);
  // SQLite's plan for a browse, for diagnostics and tests.
  std::string queryPlan(Key key, const BrowseOptions& options = {});

  OrderTotals orderTotals(int32_t custnumber, int32_t ordernumber);

  // Groups writes into one atomic commit: all of them or none survive a crash.
  // Nested transactions become savepoints. Rolled back unless commit() is called.
  class Transaction {
   public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

   private:
    Database& db_;
    int level_;
    bool done_ = false;
  };

  // Only open() makes a Database; the key keeps the constructor out of reach.
  class Passkey {
    friend class Database;
    Passkey() = default;
  };
  Database(Passkey, std::filesystem::path path, sqlite3* db) : path_(std::move(path)), db_(db) {}

 private:
  template <class> friend class Cursor;
  void initialise();
  sqlite3_stmt* cached(const std::string& sql);
  void exec(const char* sql);
  void insertRow(Table table, std::vector<Value>& values, int64_t& position);
  void updateRow(Table table, std::vector<Value>& values, int64_t position);
  void removeRow(Table table, int64_t position);
  std::optional<std::vector<Value>> readRow(Table table, int64_t position);
  void checkRecord(Table table, std::vector<Value>& values, int64_t position, bool adding);
  sqlite3_stmt* prepareBrowse(Key key, const BrowseOptions& options, const char* what);

  std::filesystem::path path_;
  sqlite3* db_;
  std::map<std::string, sqlite3_stmt*> cache_;
  int depth_ = 0;  // open transactions and savepoints
};

}  // namespace pyra::demo
