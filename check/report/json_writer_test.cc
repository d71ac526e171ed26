#include "check/report/json_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace pomvarin::check {
namespace {

TEST(JsonWriterTest, EscapesWhatJsonMustAndKeepsUtf8) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"C:\\Disc\\setup.exe", "\"C:\\\\Disc\\\\setup.exe\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {std::string("a\tb\nc\x01\x7f", 7), "\"a\\u0009b\\u000ac\\u0001\\u007f\""},
      {"caf\xC3\xA9", "\"caf\xC3\xA9\""},        // UTF-8 stays
      {"\xF0\x9F\x92\xBF", "\"\xF0\x9F\x92\xBF\""},
      {"caf\xE9", "\"caf\\u00e9\""},             // a code-page byte
      {"\xC3", "\"\\u00c3\""},                   // a cut sequence
      {"\xE2\x82", "\"\\u00e2\\u0082\""},
      {"\xC0\xAF", "\"\\u00c0\\u00af\""},        // an overlong form
      // Lead bytes that are UTF-8 with a second byte out of their range:
      // overlong three- and four-byte forms, a surrogate, past U+10FFFF.
      {"\xE0\x9F\xBF", "\"\\u00e0\\u009f\\u00bf\""},
      {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},
      {"\xF0\x8F\xBF\xBF", "\"\\u00f0\\u008f\\u00bf\\u00bf\""},
      {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},
      {"\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
       "\"\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\""},  // their edges
  };
  for (const auto& c : cases) {
    JsonWriter json;
    EXPECT_EQ(json.String(c.text).Document(), c.json + "\n") << c.text;
    JsonWriter key;
    EXPECT_EQ(key.BeginObject().Key(c.text).Null().EndObject().Document(),
              "{" + c.json + ": null}\n")
        << c.text;
  }
}

TEST(JsonWriterTest, PlacesCommasAndLinesByEachContainersLayout) {
  const struct {
    const char* name;
    void (*write)(JsonWriter& json);
    std::string document;
  } cases[] = {
      {"values on one line",
       [](JsonWriter& json) {
         json.BeginArray().Number(-3).Number(0).Bool(true).Bool(false).Null();
         json.StringOrNull("").StringOrNull("x").Strings({"a", "b"});
         json.Strings({}).EndArray();
       },
       "[-3, 0, true, false, null, null, \"x\", [\"a\", \"b\"], []]\n"},
      {"members on one line",
       [](JsonWriter& json) {
         json.BeginObject().Key("a").Number(1).Key("b").BeginObject();
         json.EndObject().Key("c").BeginArray(JsonLayout::kLinePerItem);
         json.EndArray().EndObject();
       },
       "{\"a\": 1, \"b\": {}, \"c\": []}\n"},
      {"a line per member and per entry",
       [](JsonWriter& json) {
         json.BeginObject(JsonLayout::kLinePerItem).Key("entries");
         json.BeginArray(JsonLayout::kLinePerItem);
         json.BeginObject().Key("n").Number(1).Key("v").Strings({"x"});
         json.EndObject();
         json.BeginObject().Key("n").Number(2).EndObject();
         json.EndArray();
         json.Key("none").BeginArray(JsonLayout::kLinePerItem).EndArray();
         json.Key("box").Bool(false).EndObject();
       },
       "{\n"
       "  \"entries\": [\n"
       "    {\"n\": 1, \"v\": [\"x\"]},\n"
       "    {\"n\": 2}\n"
       "  ],\n"
       "  \"none\": [],\n"
       "  \"box\": false\n"
       "}\n"},
      {"a line per item inside a one-line object",
       [](JsonWriter& json) {
         json.BeginObject().Key("devices").BeginArray(JsonLayout::kLinePerItem);
         json.Strings({"a", "b"}).Strings({}).EndArray().EndObject();
       },
       "{\"devices\": [\n"
       "  [\"a\", \"b\"],\n"
       "  []\n"
       "]}\n"},
  };
  for (const auto& c : cases) {
    JsonWriter json;
    c.write(json);
    EXPECT_EQ(json.Document(), c.document) << c.name;
  }
}

}  // namespace
}  // namespace pomvarin::check
