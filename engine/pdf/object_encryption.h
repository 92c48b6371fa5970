#pragma once
// What the writer needs of a security handler: the per-object encryption of
// strings and streams, and the encryption dictionary.
#include <cstdint>
#include <string>
#include <vector>

namespace pyra::pdf {

class ObjectEncryption {
 public:
  virtual ~ObjectEncryption() = default;
  // Encrypts `bytes` with the key of object `number` (generation 0). The
  // size may grow (AES adds an IV and padding).
  virtual void encrypt(int32_t number, std::vector<uint8_t>& bytes) const = 0;
  // The /Encrypt dictionary's entries, without "<<" and ">>".
  virtual std::string dictionaryEntries() const = 0;
  // The header version this handler needs, e.g. "1.4"; empty for none.
  virtual std::string minimumVersion() const = 0;
  // Entries the catalog must carry (an extension level), or empty.
  virtual std::string catalogEntries() const { return {}; }
};

}  // namespace pyra::pdf
