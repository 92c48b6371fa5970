#pragma once
// The stored layout of the billbook database, version by version.
namespace pyra::demo {

// Creates every table and index of the current version (run inside a transaction).
const char* schemaSql();

// Statements that bring a database of version v (index v - 1) to version v + 1.
// Version 1 is the first; nothing to upgrade yet.
inline constexpr const char* kUpgrades[] = {nullptr};

}  // namespace pyra::demo
