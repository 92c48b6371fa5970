#pragma once
// The one exception the billbook data layer throws. Callers (a browse form,
// a report) show what() to the user and may branch on kind().
#include <stdexcept>
#include <string>

namespace pyra::demo {

class DataError : public std::runtime_error {
 public:
  enum class Kind {
    NotADatabase,   // the file is not an SQLite database, or not billbook's
    NewerSchema,    // written by a newer billbook; left untouched
    Storage,        // SQLite failed (disk full, locked, read-only, ...)
    Width,          // a value does not fit its field
    FieldRule,      // a field rule refused the value
    Duplicate,      // a unique key already holds this value
    Restricted,     // a relation refuses the delete or the change
    NotFound,       // the record to change or delete is gone
    Usage,          // a call that cannot work: wrong key for the file, unknown field
  };
  DataError(Kind kind, std::string message, std::string subject = {})
      : std::runtime_error(std::move(message)), kind_(kind), subject_(std::move(subject)) {}
  Kind kind() const { return kind_; }
  // The field or key label the error is about ("CUS:STATE", "PRO:KeyProductSKU"), when there is one.
  const std::string& subject() const { return subject_; }

 private:
  Kind kind_;
  std::string subject_;
};

}  // namespace pyra::demo
