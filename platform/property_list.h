// Property lists in the ordinary XML file format.
//
// A value is a boolean (<true/>, <false/>), an integer (<integer>), a real
// (<real>), a string (<string>, UTF-8), bytes (<data>, base64), a date
// (<date>, kept as its text), an array or a dictionary with string keys. The
// preferences store keeps one such file per domain. Files are read with the
// host layer's XML tree and written whole: to a temporary file in the same
// folder that is then renamed over the old one, so a crash leaves either the
// old file or the new one, never half of one.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace plat {

class PlistValue {
 public:
  enum class Type { kBoolean, kInteger, kReal, kString, kData, kDate, kArray, kDictionary };

  PlistValue() = default;  // an empty dictionary
  static PlistValue Boolean(bool value);
  static PlistValue Integer(int64_t value);
  static PlistValue Real(double value);
  static PlistValue String(const std::string& utf8);
  static PlistValue Data(const std::vector<uint8_t>& bytes);
  static PlistValue Date(const std::string& text);
  static PlistValue Array();
  static PlistValue Dictionary();

  Type type() const { return type_; }
  [[nodiscard]] bool boolean() const { return boolean_; }
  int64_t integer() const { return integer_; }
  double real() const { return real_; }
  const std::string& text() const { return text_; }  // string or date
  const std::vector<uint8_t>& data() const { return data_; }
  const std::vector<PlistValue>& items() const { return items_; }
  std::vector<PlistValue>& items() { return items_; }
  const std::map<std::string, PlistValue>& entries() const { return entries_; }

  // Dictionary access (no effect on other types).
  [[nodiscard]] const PlistValue* Find(const std::string& key) const;
  void Set(const std::string& key, const PlistValue& value);
  void Remove(const std::string& key);

  bool operator==(const PlistValue& other) const;

 private:
  Type type_ = Type::kDictionary;
  bool boolean_ = false;
  int64_t integer_ = 0;
  double real_ = 0;
  std::string text_;
  std::vector<uint8_t> data_;
  std::vector<PlistValue> items_;
  std::map<std::string, PlistValue> entries_;
};

// The text of a property-list file holding `value`.
std::string SerializePropertyList(const PlistValue& value);

// Parses the text of a property-list file; false (out untouched) when it is
// not one, with the reason in `*message` when given.
[[nodiscard]] bool ParsePropertyList(const std::string& text, PlistValue* out, std::string* message = nullptr);

// Reads a property-list file. False with `*fileError` = errno when the file
// cannot be read (ENOENT when it does not exist), or with `*fileError` = 0
// when it is not a property list.
[[nodiscard]] bool ReadPropertyListFile(const std::string& hostPath, PlistValue* out, int* fileError);

// Writes the file atomically (temporary file, flush, rename); the folder must
// exist. A path that is a symbolic link (or a chain of them) writes the file
// the link leads to, and the link stays; a file that is replaced keeps its
// owner and mode (a new one is readable by its owner alone). False with
// errno in `*fileError` (ENOENT for a link that leads nowhere); the old
// file is then untouched.
[[nodiscard]] bool WritePropertyListFile(const std::string& hostPath, const PlistValue& value, int* fileError);

// Writes bytes to a file atomically, as above.
[[nodiscard]] bool WriteFileAtomically(const std::string& hostPath, const std::string& bytes, int* fileError);

// A string value of the application bundle's Contents/Info.plist ("" when
// the file, the key or a string under it is missing).
std::string BundleInfoString(const std::string& key);

}  // namespace plat
