// A JSON document written value by value. The writer places the commas,
// escapes the strings and lays the document out, so that no report does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pomvarin::check {

// How a container's items are laid out: all on the container's own line,
// or each on a line of its own, two blanks deeper than the line the
// container closes on. An empty container is "[]" or "{}" either way.
enum class JsonLayout { kInline, kLinePerItem };

class JsonWriter {
 public:
  JsonWriter& BeginObject(JsonLayout layout = JsonLayout::kInline);
  JsonWriter& EndObject();
  JsonWriter& BeginArray(JsonLayout layout = JsonLayout::kInline);
  JsonWriter& EndArray();

  // Names the value written next, in an object.
  JsonWriter& Key(const std::string& name);

  // Bytes that are not UTF-8 (a Windows code page's letters) are written as
  // the characters of the same number.
  JsonWriter& String(const std::string& text);
  JsonWriter& StringOrNull(const std::string& text);  // null when empty
  JsonWriter& Strings(const std::vector<std::string>& items);  // inline
  JsonWriter& Number(std::int64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // The document, ended by a newline, once every container is closed.
  std::string Document() const;

 private:
  struct Container {
    JsonLayout layout;
    bool empty;
  };

  void BeforeValue();
  JsonWriter& Begin(char open, JsonLayout layout);
  JsonWriter& End(char close);
  std::string Indent() const;

  std::string json_;
  std::vector<Container> open_;
  int linePerItemDepth_ = 0;  // open containers laid out a line per item
  bool keyWritten_ = false;   // the next value is that key's
};

}  // namespace pomvarin::check
