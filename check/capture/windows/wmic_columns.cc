// wmic's column forms: /format:csv ("Node,Property,..." then a line of
// values for each object, nothing quoted, each machine's objects under its
// node's name) and the default table (a header of property names, each
// column as wide as its longest value).
#include <string>
#include <vector>

#include "check/capture/capture_formats.h"
#include "check/capture/windows/wmic.h"

namespace pomvarin::check::capture {

namespace {

const char kCsv[] = "wmic /format:csv";
const char kTable[] = "wmic table";

// The next field of a CSV line, up to a comma outside an array's braces;
// more tells whether a comma ended it, and so another field follows.
std::string_view NextCsvField(std::string_view* rest, bool* more) {
  std::size_t at = 0;
  int depth = 0;
  for (; at < rest->size(); ++at) {
    const char c = (*rest)[at];
    if (c == '{') ++depth;
    if (c == '}' && depth > 0) --depth;
    if (c == ',' && depth == 0) break;
  }
  const std::string_view field = rest->substr(0, at);
  *more = at < rest->size();
  rest->remove_prefix(*more ? at + 1 : at);
  return field;
}

bool IsCsvHeader(std::string_view line) {
  if (line.substr(0, 5) != "Node,") return false;
  line.remove_prefix(5);
  for (bool more = true; more;)
    if (!IsWmicPropertyName(NextCsvField(&line, &more))) return false;
  return true;
}

}  // namespace

bool LooksLikeWmicCsv(const LineCursor& first) {
  return IsCsvHeader(Trim(first.line()));
}

bool ReadWmicCsv(std::string_view text, CapturedMachines* machines,
                 CaptureError* error) {
  LineCursor lines(text);
  while (lines.Next() && Trim(lines.line()).empty()) {
  }
  // The header's property names, views into it.
  std::vector<std::string_view> names;
  std::string_view header = Trim(lines.line());
  for (bool more = true; more;) names.push_back(NextCsvField(&header, &more));
  MachineDevices found;
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty()) continue;
    // A header again, as wmic may write before each node's objects.
    if (IsCsvHeader(line)) continue;
    WmicRecord record;
    record.line = lines.number();
    std::string_view rest = line, node;
    std::size_t count = 0;
    for (bool more = true; more; ++count) {
      const std::string_view value = NextCsvField(&rest, &more);
      if (count == 0) node = value;
      if (count > 0 && count < names.size())
        TakeWmicProperty(names[count], value, &record);
    }
    if (count != names.size())
      return Fail(lines.number(),
                  "expected " + std::to_string(names.size()) +
                      " values separated by commas as the header names (" +
                      kCsv + "), found " + std::to_string(count) +
                      ": a value holds a comma, or the line was cut; get only "
                      "DeviceID,HardwareID",
                  error);
    if (node.empty())
      return Fail(lines.number(),
                  std::string("expected the machine's name in the first "
                              "column, Node (") + kCsv + "), found none",
                  error);
    if (!AddWmicRecord(record, kCsv, &found.Of(node), error)) return false;
  }
  if (!found.AnyDevice())
    return FailWithoutPciDevice(lines.number(), kCsv, error);
  *machines = found.Take();
  return true;
}

namespace {

// A header of the table: property names and blanks, one of them naming
// devices. The names are English on every system.
bool IsTableHeader(std::string_view line) {
  std::string_view word;
  bool namesDevices = false;
  while (NextWord(&line, &word)) {
    if (!IsWmicPropertyName(word)) return false;
    WmicRecord record;
    namesDevices = TakeWmicProperty(word, "x", &record) || namesDevices;
  }
  return namesDevices;
}

// Where each column starts, in characters: the table is padded in
// characters, and a value's letters may take more than one byte of UTF-8.
struct Column {
  std::string_view name;
  std::size_t start;
};

// The byte offset of the character at, or the line's size past its end.
std::size_t OffsetOf(std::string_view line, std::size_t character) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < line.size(); ++at) {
    if ((static_cast<unsigned char>(line[at]) & 0xC0) == 0x80) continue;
    if (seen++ == character) return at;
  }
  return at;
}

}  // namespace

bool LooksLikeWmicTable(const LineCursor& first) {
  return IsTableHeader(first.line());
}

bool ReadWmicTable(std::string_view text, Devices* devices,
                   CaptureError* error) {
  LineCursor lines(text);
  while (lines.Next() && Trim(lines.line()).empty()) {
  }
  std::vector<Column> columns;
  const std::string_view header = lines.line();
  for (std::size_t at = 0; at < header.size();) {
    if (IsBlank(header[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < header.size() && !IsBlank(header[end])) ++end;
    columns.push_back(Column{header.substr(at, end - at), at});
    at = end;
  }
  PciDevices found;
  while (lines.Next()) {
    const std::string_view line = lines.line();
    if (Trim(line).empty()) continue;
    WmicRecord record;
    record.line = lines.number();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::size_t from = OffsetOf(line, columns[c].start);
      const std::size_t to = c + 1 < columns.size()
                                 ? OffsetOf(line, columns[c + 1].start)
                                 : line.size();
      if (from > 0 && from < line.size() && !IsBlank(line[from - 1]))
        return Fail(lines.number(),
                    "expected the values in the header's columns (" +
                        std::string(kTable) + "), found " +
                        QuotedExcerpt(Trim(line)) + " across the column of " +
                        std::string(columns[c].name),
                    error);
      TakeWmicProperty(columns[c].name, Trim(line.substr(from, to - from)),
                       &record);
    }
    if (!AddWmicRecord(record, kTable, &found, error)) return false;
  }
  if (found.empty()) return FailWithoutPciDevice(lines.number(), kTable, error);
  *devices = found.Take();
  return true;
}

}  // namespace pomvarin::check::capture
