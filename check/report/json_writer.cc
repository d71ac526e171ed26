#include "check/report/json_writer.h"

#include <cstdio>

#include "check/report/utf8.h"

namespace pomvarin::check {

namespace {

void AppendEscapedByte(std::string& json, unsigned char c) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04x", c);
  json += escape;
}

void AppendQuoted(std::string& json, const std::string& text) {
  json += '"';
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      AppendEscapedByte(json, c);
    } else if (c < 0x80) {
      json += static_cast<char>(c);
    } else if (const std::size_t length = Utf8SequenceLength(text, i)) {
      json.append(text, i, length);
      i += length - 1;
    } else {
      AppendEscapedByte(json, c);
    }
  }
  json += '"';
}

}  // namespace

std::string JsonWriter::Indent() const {
  return std::string(2 * linePerItemDepth_, ' ');
}

void JsonWriter::BeforeValue() {
  if (keyWritten_) {
    keyWritten_ = false;
    return;
  }
  if (open_.empty()) return;
  Container& container = open_.back();
  if (!container.empty) json_ += ',';
  if (container.layout == JsonLayout::kLinePerItem)
    json_ += '\n' + Indent();
  else if (!container.empty)
    json_ += ' ';
  container.empty = false;
}

JsonWriter& JsonWriter::Begin(char open, JsonLayout layout) {
  BeforeValue();
  json_ += open;
  open_.push_back(Container{layout, true});
  if (layout == JsonLayout::kLinePerItem) ++linePerItemDepth_;
  return *this;
}

JsonWriter& JsonWriter::End(char close) {
  const Container container = open_.back();
  open_.pop_back();
  if (container.layout == JsonLayout::kLinePerItem) {
    --linePerItemDepth_;
    if (!container.empty) json_ += '\n' + Indent();
  }
  json_ += close;
  return *this;
}

JsonWriter& JsonWriter::BeginObject(JsonLayout layout) {
  return Begin('{', layout);
}

JsonWriter& JsonWriter::EndObject() { return End('}'); }

JsonWriter& JsonWriter::BeginArray(JsonLayout layout) {
  return Begin('[', layout);
}

JsonWriter& JsonWriter::EndArray() { return End(']'); }

JsonWriter& JsonWriter::Key(const std::string& name) {
  BeforeValue();
  AppendQuoted(json_, name);
  json_ += ": ";
  keyWritten_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(const std::string& text) {
  BeforeValue();
  AppendQuoted(json_, text);
  return *this;
}

JsonWriter& JsonWriter::StringOrNull(const std::string& text) {
  return text.empty() ? Null() : String(text);
}

JsonWriter& JsonWriter::Strings(const std::vector<std::string>& items) {
  BeginArray();
  for (const std::string& item : items) String(item);
  return EndArray();
}

JsonWriter& JsonWriter::Number(std::int64_t value) {
  BeforeValue();
  json_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  json_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  json_ += "null";
  return *this;
}

std::string JsonWriter::Document() const { return json_ + '\n'; }

}  // namespace pomvarin::check
