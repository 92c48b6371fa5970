#include "demo/data/database.h"

#include <sqlite3.h>

#include <charconv>
#include <system_error>
#include <type_traits>

#include "demo/data/day_number.h"
#include "demo/data/schema.h"

namespace pyra::demo {
namespace fs = std::filesystem;
using Kind = DataError::Kind;

namespace {

// Resets a cached statement when the scope that used it ends, error or not,
// so it neither holds a read lock nor keeps its bindings.
struct StmtUse {
  sqlite3_stmt* s;
  ~StmtUse() {
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
  }
};

[[noreturn]] void storageError(sqlite3* db, const std::string& what) {
  throw DataError(Kind::Storage, what + ": " + sqlite3_errmsg(db));
}

std::string clipped(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

// Characters in a UTF-8 text, or -1 when the bytes are not UTF-8 (or hold a
// NUL, which SQLite's length() and the C callers would cut at).
int64_t utf8Characters(std::string_view s) {
  int64_t chars = 0;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n;
    uint32_t cp;
    if (c == 0) return -1;
    if (c < 0x80) { n = 1; cp = c; }
    else if ((c & 0xE0) == 0xC0) { n = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { n = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { n = 4; cp = c & 0x07; }
    else return -1;
    if (i + n > s.size()) return -1;
    for (size_t k = 1; k < n; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return -1;
      cp = (cp << 6) | (d & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    i += n;
    ++chars;
  }
  return chars;
}

std::string decimalText(int64_t minor, int scale) {
  if (scale == 4) return Fixed<4>::fromMinor(minor).toString();
  if (scale == 2) return Fixed<2>::fromMinor(minor).toString();
  return std::to_string(minor);
}

std::optional<int64_t> parseNumber(std::string_view text, const FieldInfo& f) {
  text = std::string_view(text.data(), clipped(text).size());
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (f.type == FieldType::Decimal) {
    if (f.scale == 2) {
      if (auto v = Fixed<2>::parse(text)) return v->minor();
      return std::nullopt;
    }
    if (auto v = Fixed<4>::parse(text)) return v->minor();
    return std::nullopt;
  }
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return v;
}

// A value as the field stores it: texts for text fields, integers (minor units
// for decimals) for the rest.
Value fieldValue(const FieldInfo& f, const Value& v, bool clip_text) {
  if (f.type == FieldType::String) {
    if (const auto* s = std::get_if<std::string>(&v)) return clip_text ? clipped(*s) : *s;
    return std::to_string(std::get<int64_t>(v));
  }
  if (const auto* i = std::get_if<int64_t>(&v)) return *i;
  if (auto n = parseNumber(std::get<std::string>(v), f)) return *n;
  throw DataError(Kind::Usage, "Value \"" + std::get<std::string>(v) + "\" for " + f.label + " is not a number",
                  f.label);
}

void bindValue(sqlite3* db, sqlite3_stmt* s, int index, const Value& v) {
  int rc;
  if (const auto* i = std::get_if<int64_t>(&v))
    rc = sqlite3_bind_int64(s, index, *i);
  else {
    const std::string& t = std::get<std::string>(v);
    rc = sqlite3_bind_text(s, index, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  }
  if (rc != SQLITE_OK) storageError(db, "binding a value");
}

std::vector<Value> columnValues(sqlite3_stmt* s, const TableInfo& t, int first_column) {
  std::vector<Value> values;
  values.reserve(t.fields.size());
  for (size_t i = 0; i < t.fields.size(); ++i) {
    const int col = first_column + static_cast<int>(i);
    if (t.fields[i].type == FieldType::String) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
      const int bytes = sqlite3_column_bytes(s, col);
      values.emplace_back(text ? std::string(text, size_t(bytes)) : std::string());
    } else {
      values.emplace_back(static_cast<int64_t>(sqlite3_column_int64(s, col)));
    }
  }
  return values;
}

template <class R>
std::vector<Value> toValues(R record) {
  std::vector<Value> values;
  visitFields(record, [&](auto& f) {
    using T = std::decay_t<decltype(f)>;
    if constexpr (std::is_same_v<T, std::string>)
      values.emplace_back(f);
    else if constexpr (std::is_integral_v<T>)
      values.emplace_back(static_cast<int64_t>(f));
    else
      values.emplace_back(static_cast<int64_t>(f.minor()));
  });
  return values;
}

template <class R>
R fromValues(int64_t position, const std::vector<Value>& values) {
  R record;
  record.position = position;
  size_t i = 0;
  visitFields(record, [&](auto& f) {
    using T = std::decay_t<decltype(f)>;
    const Value& v = values[i++];
    if constexpr (std::is_same_v<T, std::string>)
      f = std::get<std::string>(v);
    else if constexpr (std::is_same_v<T, bool>)
      f = std::get<int64_t>(v) != 0;
    else if constexpr (std::is_integral_v<T>)
      f = static_cast<T>(std::get<int64_t>(v));
    else
      f = T::fromMinor(std::get<int64_t>(v));
  });
  return record;
}

std::string columnList(const TableInfo& t) {
  std::string s;
  for (const FieldInfo& f : t.fields) {
    if (!s.empty()) s += ", ";
    s += f.column;
  }
  return s;
}

// Texts lose trailing blanks; every value must fit its field.
void checkWidths(const TableInfo& t, std::vector<Value>& values) {
  for (size_t i = 0; i < t.fields.size(); ++i) {
    const FieldInfo& f = t.fields[i];
    if (f.type == FieldType::String) {
      std::string& s = std::get<std::string>(values[i]);
      s = clipped(s);
      const int64_t chars = utf8Characters(s);
      if (chars < 0)
        throw DataError(Kind::Width, std::string("Value for ") + f.label + " is not valid UTF-8 text.", f.label);
      if (chars > f.width)
        throw DataError(Kind::Width,
                        std::string("Value for ") + f.label + " is longer than " + std::to_string(f.width) +
                            " characters.",
                        f.label);
      continue;
    }
    const int64_t v = std::get<int64_t>(values[i]);
    int64_t lo, hi;
    switch (f.type) {
      case FieldType::Short: lo = INT16_MIN, hi = INT16_MAX; break;
      case FieldType::Byte: lo = 0, hi = 1; break;
      case FieldType::Decimal: hi = pow10(f.digits) - 1, lo = -hi; break;
      default: lo = INT32_MIN, hi = INT32_MAX; break;
    }
    if (v < lo || v > hi)
      throw DataError(Kind::Width,
                      std::string("Value for ") + f.label + " does not fit its field (" +
                          decimalText(lo, f.scale) + " .. " + decimalText(hi, f.scale) + ").",
                      f.label);
  }
}

const char* opSql(Condition::Op op) {
  switch (op) {
    case Condition::Op::Eq: return " = ?";
    case Condition::Op::Ne: return " <> ?";
    case Condition::Op::Lt: return " < ?";
    case Condition::Op::Le: return " <= ?";
    case Condition::Op::Gt: return " > ?";
    case Condition::Op::Ge: return " >= ?";
    default: return "";
  }
}

struct BuiltQuery {
  std::string where;  // " WHERE ..." or empty
  std::string order;  // " ORDER BY ..."
  std::vector<Value> binds;
};

BuiltQuery buildQuery(Key key, const BrowseOptions& o) {
  const KeyInfo& k = keyInfo(key);
  const TableInfo& t = tableInfo(k.table);
  const size_t n = k.components.size();
  auto usage = [&](const std::string& what) {
    throw DataError(Kind::Usage, std::string("Browse by ") + k.label + ": " + what, k.label);
  };
  if (o.equal.size() > n) usage("more range values than key components");
  if ((o.low || o.high) && o.equal.size() >= n) usage("no key component left for the low/high range");
  if (o.seek.size() > n) usage("more seek values than key components");
  if (o.seek_position != 0 && o.seek.size() != n) usage("seeking past a record needs every key component");
  if (o.limit < 0) usage("negative limit");

  BuiltQuery q;
  std::vector<std::string> terms;
  if (*k.optional_sql) terms.emplace_back(k.optional_sql);
  auto component = [&](size_t i) -> const FieldInfo& { return t.fields[size_t(k.components[i])]; };
  for (size_t i = 0; i < o.equal.size(); ++i) {
    terms.push_back(std::string(component(i).column) + " = ?");
    q.binds.push_back(fieldValue(component(i), o.equal[i], true));
  }
  if (o.low) {
    terms.push_back(std::string(component(o.equal.size()).column) + " >= ?");
    q.binds.push_back(fieldValue(component(o.equal.size()), *o.low, true));
  }
  if (o.high) {
    terms.push_back(std::string(component(o.equal.size()).column) + " <= ?");
    q.binds.push_back(fieldValue(component(o.equal.size()), *o.high, true));
  }
  if (!o.seek.empty()) {
    const bool with_position = o.seek_position != 0 && !k.unique;
    std::string lhs = "(", rhs = "(";
    for (size_t i = 0; i < o.seek.size(); ++i) {
      lhs += (i ? ", " : "") + std::string(component(i).column);
      rhs += i ? ", ?" : "?";
      q.binds.push_back(fieldValue(component(i), o.seek[i], true));
    }
    if (with_position) {
      lhs += ", RECID";
      rhs += ", ?";
      q.binds.push_back(o.seek_position);
    }
    const bool strict = o.seek_position != 0;
    const char* op = o.backward ? (strict ? " < " : " <= ") : (strict ? " > " : " >= ");
    terms.push_back(lhs + ")" + op + rhs + ")");
  }
  for (const Condition& c : o.filter) {
    const int fi = findField(k.table, c.field);
    if (fi < 0) usage("no field " + c.field + " in " + t.label);
    const FieldInfo& f = t.fields[size_t(fi)];
    if (c.op == Condition::Op::BeginsWith) {
      // The locator compares in upper case; substr keeps % and _ literal.
      const std::string prefix = std::holds_alternative<std::string>(c.value)
                                     ? std::get<std::string>(c.value)
                                     : std::to_string(std::get<int64_t>(c.value));
      const int64_t chars = utf8Characters(prefix);
      if (chars < 0) usage("filter text for " + c.field + " is not UTF-8");
      terms.push_back(std::string("substr(") + f.column + ", 1, ?) = ? COLLATE NOCASE");
      q.binds.push_back(chars);
      q.binds.push_back(prefix);
    } else {
      terms.push_back(std::string(f.column) + opSql(c.op));
      q.binds.push_back(fieldValue(f, c.value, true));
    }
  }
  for (size_t i = 0; i < terms.size(); ++i) q.where += (i ? " AND " : " WHERE ") + terms[i];

  const char* dir = o.backward ? " DESC" : "";
  q.order = " ORDER BY ";
  for (size_t i = 0; i < n; ++i) q.order += (i ? ", " : "") + std::string(component(i).column) + dir;
  // Records with equal values in a key that allows duplicates keep the order
  // they were added in, so paging from a row never skips or repeats one.
  if (!k.unique) q.order += std::string(", RECID") + dir;
  return q;
}

[[noreturn]] void constraintError(sqlite3* db, const std::string& what) {
  const int ext = sqlite3_extended_errcode(db);
  const std::string msg = what + ": " + sqlite3_errmsg(db);
  switch (ext) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY: throw DataError(Kind::Duplicate, msg);
    case SQLITE_CONSTRAINT_FOREIGNKEY: throw DataError(Kind::Restricted, msg);
    case SQLITE_CONSTRAINT_CHECK:
    case SQLITE_CONSTRAINT_NOTNULL:
    case SQLITE_CONSTRAINT_DATATYPE: throw DataError(Kind::Width, msg);
    default: throw DataError(Kind::Storage, msg);
  }
}

}  // namespace

// ---------------------------------------------------------------- opening

std::unique_ptr<Database> Database::open(const fs::path& file) {
  std::error_code ec;
  const auto status = fs::status(file, ec);
  const bool existed = fs::exists(status);
  if (existed && !fs::is_regular_file(status))
    throw DataError(Kind::NotADatabase, "\"" + file.string() + "\" is not a billbook database (not a file).");
  if (!existed && file.has_parent_path()) {
    fs::create_directories(file.parent_path(), ec);
    if (ec)
      throw DataError(Kind::Storage,
                      "Cannot create the data folder \"" + file.parent_path().string() + "\": " + ec.message());
  }
  sqlite3* raw = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_EXRESCODE | (existed ? 0 : SQLITE_OPEN_CREATE);
  const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
  auto db = std::make_unique<Database>(Passkey{}, file, raw);
  if (rc != SQLITE_OK)
    throw DataError(Kind::Storage, "Cannot open \"" + file.string() + "\": " +
                                       (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
  db->initialise();
  return db;
}

std::unique_ptr<Database> Database::openFolder(const fs::path& folder) { return open(folder / kFileName); }

Database::~Database() {
  for (auto& [sql, s] : cache_) sqlite3_finalize(s);
  sqlite3_close_v2(db_);
}

void Database::exec(const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errmsg(db_);
    sqlite3_free(err);
    throw DataError(Kind::Storage, "\"" + path_.string() + "\": " + msg);
  }
}

sqlite3_stmt* Database::cached(const std::string& sql) {
  if (auto it = cache_.find(sql); it != cache_.end()) return it->second;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
    storageError(db_, "preparing " + sql);
  cache_.emplace(sql, s);
  return s;
}

void Database::initialise() {
  sqlite3_extended_result_codes(db_, 1);
  // Another connection writing (a second browse thread, the seed tool) makes
  // us wait rather than fail at once.
  sqlite3_busy_timeout(db_, 10000);
  // A hostile file must not be able to run code or corrupt itself through us.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  exec("PRAGMA foreign_keys = ON");

  // Look before writing anything: a file that is not ours, or is newer than
  // we understand, must be left exactly as it was.
  const std::string name = "\"" + path_.string() + "\"";
  auto probe = [&](const char* sql) -> int64_t {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &s, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(s);
    const int64_t v = rc == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
    const int ext = sqlite3_extended_errcode(db_);
    const std::string msg = sqlite3_errmsg(db_);
    sqlite3_finalize(s);
    if (rc == SQLITE_ROW) return v;
    if ((ext & 0xFF) == SQLITE_NOTADB || (ext & 0xFF) == SQLITE_CORRUPT)
      throw DataError(Kind::NotADatabase, name + " is not a billbook database (" + msg + ").");
    throw DataError(Kind::Storage, "Cannot read " + name + ": " + msg);
  };
  const int64_t application_id = probe("PRAGMA application_id");
  const int64_t version = probe("PRAGMA user_version");
  const int64_t objects = probe("SELECT count(*) FROM sqlite_schema");
  const bool empty = objects == 0 && application_id == 0;
  if (!empty && (application_id != kApplicationId || version < 1))
    throw DataError(Kind::NotADatabase, name + " is not a billbook database (an SQLite database of another program).");
  if (version > kSchemaVersion)
    throw DataError(Kind::NewerSchema, name + " was written by a newer version of billbook (data version " +
                                           std::to_string(version) + "; this program reads versions up to " +
                                           std::to_string(kSchemaVersion) + "). The file was left unchanged.");
  if (!empty) {
    const int64_t tables = probe(
        "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN "
        "('Customers', 'Orders', 'Detail', 'Products', 'Company', 'States')");
    if (tables != 6)
      throw DataError(Kind::NotADatabase, name + " is a damaged billbook database (tables are missing).");
  }

  // WAL: browse and report threads read while a form saves, without waiting.
  // synchronous=FULL: each commit is on disk before the save returns, so a
  // power cut loses no saved order; commits are user-paced (one per form
  // save), and batch loads run in one transaction, so the cost is one fsync.
  exec("PRAGMA journal_mode = WAL");
  exec("PRAGMA synchronous = FULL");
  // Browsing by a key whose order differs from the rows' order (orders by
  // customer) revisits table pages; 8 MiB of page cache per connection halves
  // that cost and still bounds what a browse holds, however large the file.
  exec("PRAGMA cache_size = -8192");

  if (empty || version < kSchemaVersion) {
    Transaction t(*this);
    // Someone else may have created or upgraded it while we waited for the lock.
    const int64_t now_objects = probe("SELECT count(*) FROM sqlite_schema");
    const int64_t now_version = probe("PRAGMA user_version");
    if (now_objects == 0) {
      exec(schemaSql());
      exec(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    } else {
      for (int64_t v = now_version; v < kSchemaVersion; ++v)
        if (kUpgrades[v - 1]) exec(kUpgrades[v - 1]);
    }
    exec(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
    t.commit();
  }
}

// ---------------------------------------------------------------- transactions

Database::Transaction::Transaction(Database& db) : db_(db), level_(db.depth_) {
  if (level_ == 0)
    db_.exec("BEGIN IMMEDIATE");
  else
    db_.exec(("SAVEPOINT sp" + std::to_string(level_)).c_str());
  ++db_.depth_;
}

void Database::Transaction::commit() {
  if (done_) return;
  if (level_ == 0)
    db_.exec("COMMIT");
  else
    db_.exec(("RELEASE sp" + std::to_string(level_)).c_str());
  done_ = true;
  --db_.depth_;
}

Database::Transaction::~Transaction() {
  if (done_) return;
  const std::string sql =
      level_ == 0 ? std::string("ROLLBACK")
                  : "ROLLBACK TO sp" + std::to_string(level_) + "; RELEASE sp" + std::to_string(level_);
  sqlite3_exec(db_.db_, sql.c_str(), nullptr, nullptr, nullptr);
  --db_.depth_;
}

// ---------------------------------------------------------------- records

Customer Database::newCustomer() const {
  Customer c;
  c.state = "FL";
  return c;
}

Order Database::newOrder() const {
  Order o;
  o.orderdate = today();
  o.shipstate = "FL";
  return o;
}

std::optional<std::vector<Value>> Database::readRow(Table table, int64_t position) {
  const TableInfo& t = tableInfo(table);
  sqlite3_stmt* s = cached("SELECT " + columnList(t) + " FROM " + t.label + " WHERE RECID = ?");
  StmtUse use{s};
  sqlite3_bind_int64(s, 1, position);
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE) return std::nullopt;
  if (rc != SQLITE_ROW) storageError(db_, std::string("reading ") + t.label);
  return columnValues(s, t, 0);
}

void Database::checkRecord(Table table, std::vector<Value>& values, int64_t position, bool adding) {
  const TableInfo& t = tableInfo(table);
  auto integer = [&](int field) { return std::get<int64_t>(values[size_t(field)]); };

  // Automatic numbers: the highest in the key for the same leading
  // components, plus one.
  for (Key key : kAllKeys) {
    const KeyInfo& k = keyInfo(key);
    if (k.table != table || k.numbered < 0) continue;
    const FieldInfo& f = t.fields[size_t(k.numbered)];
    if (adding && integer(k.numbered) == 0) {
      std::string sql = std::string("SELECT coalesce(max(") + f.column + "), 0) FROM " + t.label;
      size_t leading = 0;
      for (; k.components[leading] != k.numbered; ++leading)
        sql += std::string(leading ? " AND " : " WHERE ") + t.fields[size_t(k.components[leading])].column + " = ?";
      sqlite3_stmt* s = cached(sql);
      StmtUse use{s};
      for (size_t i = 0; i < leading; ++i) bindValue(db_, s, int(i + 1), values[size_t(k.components[i])]);
      if (sqlite3_step(s) != SQLITE_ROW) storageError(db_, std::string("numbering ") + f.label);
      const int64_t highest = sqlite3_column_int64(s, 0);
      const int64_t limit = f.type == FieldType::Short ? INT16_MAX : INT32_MAX;
      if (highest >= limit)
        throw DataError(Kind::Width, std::string("No free number left for ") + f.label + ".", f.label);
      values[size_t(k.numbered)] = highest + 1;
    }
    // The line number has a rule of its own with its own message.
    if (integer(k.numbered) < 1 && table != Table::Detail)
      throw DataError(Kind::FieldRule, std::string("Value for ") + f.label + " must be 1 or more.", f.label);
  }

  // Range rules come before the width check: a quantity of 100000 gets the
  // rule's message, not the packed field's limits.
  auto range = [&](int field, int64_t lo, int64_t hi, const char* description, const char* text) {
    const int64_t v = integer(field);
    if (v < lo || v > hi)
      throw DataError(Kind::FieldRule, std::string("Value for ") + description + " must be in the range " + text + ".",
                      t.fields[size_t(field)].label);
  };
  if (table == Table::Detail) {
    // 1 .. 99999.99 compared on the integer line number.
    range(2, 1, 99999, "Line number", "1 .. 99999.99");
    range(4, 100, 9999900, "Quantity of product ordered", "1 .. 99999");
  }
  checkWidths(t, values);

  auto lookup = [&](int field, Table looked, const char* description, const char* file) {
    const TableInfo& lt = tableInfo(looked);
    const char* column = lt.fields[0].column;  // STATECODE, CUSTNUMBER, PRODUCTNUMBER: the looked-up key
    sqlite3_stmt* s = cached(std::string("SELECT 1 FROM ") + lt.label + " WHERE " + column + " = ? LIMIT 1");
    StmtUse use{s};
    bindValue(db_, s, 1, values[size_t(field)]);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) return;
    if (rc != SQLITE_DONE) storageError(db_, std::string("checking ") + t.fields[size_t(field)].label);
    throw DataError(Kind::FieldRule,
                    std::string("Value for ") + description + " must be found in the " + file + " file.",
                    t.fields[size_t(field)].label);
  };
  switch (table) {
    case Table::Customers:
      lookup(8, Table::States, "Customer's State", "States");
      break;
    case Table::Orders:
      lookup(0, Table::Customers, "Customer's Identification Number", "Customers");
      lookup(10, Table::States, "State to ship to", "States");
      break;
    case Table::Detail: {
      lookup(3, Table::Products, "Product Identification Number", "Products");
      // Lines belong to an order; the relation refuses lines of no order.
      sqlite3_stmt* s = cached("SELECT 1 FROM Orders WHERE CUSTNUMBER = ? AND ORDERNUMBER = ? LIMIT 1");
      StmtUse use{s};
      bindValue(db_, s, 1, values[0]);
      bindValue(db_, s, 2, values[1]);
      const int rc = sqlite3_step(s);
      if (rc == SQLITE_DONE)
        throw DataError(Kind::Restricted, "Unable to save this Detail record: there is no related record in Orders.",
                        "DTL:KeyDetails");
      if (rc != SQLITE_ROW) storageError(db_, "checking the order of a line");
      break;
    }
    default:
      break;
  }

  for (Key key : kAllKeys) {
    const KeyInfo& k = keyInfo(key);
    if (k.table != table || !k.unique) continue;
    std::string sql = std::string("SELECT 1 FROM ") + t.label + " WHERE RECID <> ?";
    for (int c : k.components) sql += std::string(" AND ") + t.fields[size_t(c)].column + " = ?";
    if (*k.optional_sql) sql += std::string(" AND ") + k.optional_sql;
    sql += " LIMIT 1";
    sqlite3_stmt* s = cached(sql);
    StmtUse use{s};
    sqlite3_bind_int64(s, 1, position);
    for (size_t i = 0; i < k.components.size(); ++i) bindValue(db_, s, int(i + 2), values[size_t(k.components[i])]);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW)
      throw DataError(Kind::Duplicate,
                      std::string(adding ? "Adding" : "Saving") + " this record would create a duplicate entry in the key " +
                          k.label + ".",
                      k.label);
    if (rc != SQLITE_DONE) storageError(db_, std::string("checking ") + k.label);
  }
}

namespace {
bool childrenExist(sqlite3* db, sqlite3_stmt* s, const RelationInfo& r, const std::vector<Value>& parent) {
  StmtUse use{s};
  for (size_t i = 0; i < r.parent_fields.size(); ++i) bindValue(db, s, int(i + 1), parent[size_t(r.parent_fields[i])]);
  const int rc = sqlite3_step(s);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) storageError(db, "checking related records");
  return rc == SQLITE_ROW;
}

std::string childWhere(const RelationInfo& r) {
  const TableInfo& ct = tableInfo(r.child);
  std::string w;
  for (size_t i = 0; i < r.child_fields.size(); ++i)
    w += std::string(i ? " AND " : " WHERE ") + ct.fields[size_t(r.child_fields[i])].column + " = ?";
  return w;
}
}  // namespace

void Database::insertRow(Table table, std::vector<Value>& values, int64_t& position) {
  const TableInfo& t = tableInfo(table);
  Transaction tx(*this);
  checkRecord(table, values, 0, true);
  std::string marks;
  for (size_t i = 0; i < values.size(); ++i) marks += i ? ", ?" : "?";
  sqlite3_stmt* s = cached(std::string("INSERT INTO ") + t.label + "(" + columnList(t) + ") VALUES(" + marks + ")");
  {
    StmtUse use{s};
    for (size_t i = 0; i < values.size(); ++i) bindValue(db_, s, int(i + 1), values[i]);
    if (sqlite3_step(s) != SQLITE_DONE) constraintError(db_, std::string("Adding to ") + t.label);
  }
  position = sqlite3_last_insert_rowid(db_);
  tx.commit();
}

void Database::updateRow(Table table, std::vector<Value>& values, int64_t position) {
  const TableInfo& t = tableInfo(table);
  Transaction tx(*this);
  const auto old = readRow(table, position);
  if (!old)
    throw DataError(Kind::NotFound, std::string("The record to change is no longer in the ") + t.label + " file.");
  checkRecord(table, values, position, false);
  for (const RelationInfo& r : relations()) {
    if (r.parent != table) continue;
    bool changed = false;
    for (int f : r.parent_fields) changed |= (*old)[size_t(f)] != values[size_t(f)];
    if (!changed) continue;
    const TableInfo& ct = tableInfo(r.child);
    if (childrenExist(db_, cached(std::string("SELECT 1 FROM ") + ct.label + childWhere(r) + " LIMIT 1"), r, *old))
      throw DataError(Kind::Restricted, std::string("Unable to change the linking fields of this ") + t.label +
                                            " record: related records exist in " + ct.label + ".");
  }
  std::string sets;
  for (const FieldInfo& f : t.fields) sets += (sets.empty() ? "" : ", ") + std::string(f.column) + " = ?";
  sqlite3_stmt* s = cached(std::string("UPDATE ") + t.label + " SET " + sets + " WHERE RECID = ?");
  {
    StmtUse use{s};
    for (size_t i = 0; i < values.size(); ++i) bindValue(db_, s, int(i + 1), values[i]);
    sqlite3_bind_int64(s, int(values.size() + 1), position);
    if (sqlite3_step(s) != SQLITE_DONE) constraintError(db_, std::string("Saving to ") + t.label);
  }
  tx.commit();
}

void Database::removeRow(Table table, int64_t position) {
  const TableInfo& t = tableInfo(table);
  Transaction tx(*this);
  const auto old = readRow(table, position);
  if (!old)
    throw DataError(Kind::NotFound, std::string("The record to delete is no longer in the ") + t.label + " file.");
  for (const RelationInfo& r : relations()) {
    if (r.parent != table) continue;
    const TableInfo& ct = tableInfo(r.child);
    if (r.on_delete == OnDelete::Restrict) {
      if (childrenExist(db_, cached(std::string("SELECT 1 FROM ") + ct.label + childWhere(r) + " LIMIT 1"), r, *old))
        throw DataError(Kind::Restricted, std::string("Unable to delete this ") + t.label +
                                              " record: related records exist in " + ct.label + ".");
    } else {
      sqlite3_stmt* s = cached(std::string("DELETE FROM ") + ct.label + childWhere(r));
      StmtUse use{s};
      for (size_t i = 0; i < r.parent_fields.size(); ++i)
        bindValue(db_, s, int(i + 1), (*old)[size_t(r.parent_fields[i])]);
      if (sqlite3_step(s) != SQLITE_DONE) constraintError(db_, std::string("Deleting from ") + ct.label);
    }
  }
  sqlite3_stmt* s = cached(std::string("DELETE FROM ") + t.label + " WHERE RECID = ?");
  {
    StmtUse use{s};
    sqlite3_bind_int64(s, 1, position);
    if (sqlite3_step(s) != SQLITE_DONE) constraintError(db_, std::string("Deleting from ") + t.label);
  }
  tx.commit();
}

template <class R>
void Database::insert(R& record) {
  auto values = toValues(record);
  int64_t position = 0;
  insertRow(R::kTable, values, position);
  record = fromValues<R>(position, values);
}

template <class R>
void Database::update(R& record) {
  auto values = toValues(record);
  updateRow(R::kTable, values, record.position);
  record = fromValues<R>(record.position, values);
}

template <class R>
void Database::remove(const R& record) {
  removeRow(R::kTable, record.position);
}

template <class R>
std::optional<R> Database::fetch(int64_t position) {
  if (auto v = readRow(R::kTable, position)) return fromValues<R>(position, *v);
  return std::nullopt;
}

std::optional<Company> Database::company() {
  if (auto v = readRow(Table::Company, 1)) return fromValues<Company>(1, *v);
  return std::nullopt;
}

void Database::setCompany(Company company) {
  const TableInfo& t = tableInfo(Table::Company);
  auto values = toValues(company);
  checkWidths(t, values);
  Transaction tx(*this);
  sqlite3_stmt* s = cached("INSERT OR REPLACE INTO Company(RECID, " + columnList(t) + ") VALUES(1, ?, ?, ?, ?, ?, ?)");
  {
    StmtUse use{s};
    for (size_t i = 0; i < values.size(); ++i) bindValue(db_, s, int(i + 1), values[i]);
    if (sqlite3_step(s) != SQLITE_DONE) constraintError(db_, "Saving the Company record");
  }
  tx.commit();
}

// ---------------------------------------------------------------- browsing

sqlite3_stmt* Database::prepareBrowse(Key key, const BrowseOptions& options, const char* what) {
  const KeyInfo& k = keyInfo(key);
  const TableInfo& t = tableInfo(k.table);
  BuiltQuery q = buildQuery(key, options);
  std::string sql = std::string(what) == "count"
                        ? std::string("SELECT count(*) FROM (SELECT 1 FROM ") + t.label + q.where
                        : "SELECT RECID, " + columnList(t) + " FROM " + t.label + q.where + q.order;
  if (options.limit > 0) {
    sql += " LIMIT ?";
    q.binds.push_back(options.limit);
  }
  if (std::string(what) == "count") sql += ")";
  if (std::string(what) == "plan") sql = "EXPLAIN QUERY PLAN " + sql;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) storageError(db_, "preparing a browse");
  try {
    for (size_t i = 0; i < q.binds.size(); ++i) bindValue(db_, s, int(i + 1), q.binds[i]);
  } catch (...) {
    sqlite3_finalize(s);
    throw;
  }
  return s;
}

template <class R>
Cursor<R> Database::browse(Key key, const BrowseOptions& options) {
  if (keyInfo(key).table != R::kTable)
    throw DataError(Kind::Usage, std::string(keyInfo(key).label) + " is not a key of " + tableInfo(R::kTable).label,
                    keyInfo(key).label);
  return Cursor<R>(*this, prepareBrowse(key, options, "browse"));
}

int64_t Database::count(Key key, const BrowseOptions& options) {
  sqlite3_stmt* s = prepareBrowse(key, options, "count");
  const int rc = sqlite3_step(s);
  const int64_t n = rc == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
  sqlite3_finalize(s);
  if (n < 0) storageError(db_, "counting");
  return n;
}

std::string Database::queryPlan(Key key, const BrowseOptions& options) {
  sqlite3_stmt* s = prepareBrowse(key, options, "plan");
  std::string plan;
  while (sqlite3_step(s) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 3));
    plan += std::string(text ? text : "") + "\n";
  }
  sqlite3_finalize(s);
  return plan;
}

template <class R>
std::optional<R> Database::find(Key key, const std::vector<Value>& key_values) {
  BrowseOptions o;
  o.equal = key_values;
  o.limit = 1;
  Cursor<R> c = browse<R>(key, o);
  R r;
  if (c.next(r)) return r;
  return std::nullopt;
}

template <class R>
std::vector<Value> Database::keyValues(Key key, const R& record) {
  const KeyInfo& k = keyInfo(key);
  if (k.table != R::kTable)
    throw DataError(Kind::Usage, std::string(k.label) + " is not a key of " + tableInfo(R::kTable).label, k.label);
  const auto all = toValues(record);
  std::vector<Value> out;
  for (int c : k.components) out.push_back(all[size_t(c)]);
  return out;
}

OrderTotals Database::orderTotals(int32_t custnumber, int32_t ordernumber) {
  sqlite3_stmt* s = cached(
      "SELECT PRICE, QUANTITYORDERED, DISCOUNT, TAXPAID, TOTALCOST FROM Detail "
      "WHERE CUSTNUMBER = ? AND ORDERNUMBER = ?");
  StmtUse use{s};
  sqlite3_bind_int64(s, 1, custnumber);
  sqlite3_bind_int64(s, 2, ordernumber);
  OrderTotals t;
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    ++t.lines;
    t.subtotal += multiply<2>(Money::fromMinor(sqlite3_column_int64(s, 0)), Quantity::fromMinor(sqlite3_column_int64(s, 1)));
    t.discount += Money::fromMinor(sqlite3_column_int64(s, 2));
    t.tax += Money::fromMinor(sqlite3_column_int64(s, 3));
    t.total += Money::fromMinor(sqlite3_column_int64(s, 4));
  }
  if (rc != SQLITE_DONE) storageError(db_, "summing an order's lines");
  return t;
}

// ---------------------------------------------------------------- cursor

template <class R>
Cursor<R>::Cursor(Cursor&& other) noexcept : db_(other.db_), stmt_(other.stmt_) {
  other.stmt_ = nullptr;
}

template <class R>
Cursor<R>& Cursor<R>::operator=(Cursor&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    db_ = other.db_;
    stmt_ = other.stmt_;
    other.stmt_ = nullptr;
  }
  return *this;
}

template <class R>
Cursor<R>::~Cursor() {
  sqlite3_finalize(stmt_);
}

template <class R>
bool Cursor<R>::next(R& out) {
  if (!stmt_) return false;
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) {
    out = fromValues<R>(sqlite3_column_int64(stmt_, 0), columnValues(stmt_, tableInfo(R::kTable), 1));
    return true;
  }
  if (rc == SQLITE_DONE) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    return false;
  }
  storageError(db_->db_, std::string("browsing ") + tableInfo(R::kTable).label);
}

#define PYRA_DEMO_INSTANTIATE(R)                                                        \
  template class Cursor<R>;                                                             \
  template void Database::insert<R>(R&);                                                \
  template void Database::update<R>(R&);                                                \
  template void Database::remove<R>(const R&);                                          \
  template Cursor<R> Database::browse<R>(Key, const BrowseOptions&);                    \
  template std::optional<R> Database::find<R>(Key, const std::vector<Value>&);          \
  template std::optional<R> Database::fetch<R>(int64_t);                                \
  template std::vector<Value> Database::keyValues<R>(Key, const R&);
PYRA_DEMO_INSTANTIATE(Customer)
PYRA_DEMO_INSTANTIATE(Order)
PYRA_DEMO_INSTANTIATE(Detail)
PYRA_DEMO_INSTANTIATE(Product)
PYRA_DEMO_INSTANTIATE(State)
#undef PYRA_DEMO_INSTANTIATE

}  // namespace pyra::demo
