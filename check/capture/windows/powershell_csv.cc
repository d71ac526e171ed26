// PowerShell's Export-Csv of device objects: a "#TYPE ..." line unless
// -NoTypeInformation (the default from PowerShell 6), then a quoted header
// and one quoted record per object, a quote inside a value doubled, a
// value's line ends kept inside its quotes. A list property is written as
// its type's name, System.String[]: it carries no IDs.
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/capture/capture_formats.h"
#include "check/capture/windows/powershell_object.h"

namespace pomvarin::check::capture {

namespace {

const char kFormat[] = "Export-Csv";

// The records of a CSV text one after another, each into fields reused
// from one record to the next.
class CsvRecords {
 public:
  explicit CsvRecords(std::string_view text) : text_(text) {}

  // Reads the next record that is not a blank line; false at the end, or
  // with *fault set for a quote that is never closed or text after one.
  bool Next(std::vector<std::string>* fields, std::string* fault) {
    while (at_ < text_.size() && (text_[at_] == '\r' || text_[at_] == '\n'))
      line_ += text_[at_++] == '\n';
    if (at_ == text_.size()) return false;
    firstLine_ = line_;
    fields->clear();
    for (;;) {
      fields->emplace_back();
      std::string& field = fields->back();
      if (at_ < text_.size() && text_[at_] == '"') {
        ++at_;
        for (;;) {
          const std::size_t quote = text_.find('"', at_);
          if (quote == std::string_view::npos) {
            *fault = "expected the closing quote of a value";
            return false;
          }
          for (std::size_t i = at_; i < quote; ++i) line_ += text_[i] == '\n';
          field.append(text_.substr(at_, quote - at_));
          at_ = quote + 1;
          if (at_ < text_.size() && text_[at_] == '"') {
            field += '"';
            ++at_;
          } else {
            break;
          }
        }
      } else {
        const std::size_t end =
            std::min(text_.find_first_of(",\r\n", at_), text_.size());
        field.append(text_.substr(at_, end - at_));
        at_ = end;
      }
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == '\r') ++at_;
      if (at_ == text_.size() || text_[at_] == '\n') return true;
      *fault = "expected a comma or the line's end after a closing quote";
      return false;
    }
  }

  // Where the record read last began, from 1.
  int firstLine() const { return firstLine_; }
  // Where reading stands.
  int line() const { return line_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
  int firstLine_ = 1;
};

bool IsTypeLine(std::string_view line) {
  return line.substr(0, 6) == "#TYPE ";
}

bool HasIdColumn(const std::vector<std::string>& header) {
  for (const std::string& name : header) {
    const PowerShellProperty property = PowerShellPropertyOf(name);
    if (property != PowerShellProperty::kOther &&
        property != PowerShellProperty::kComputer)
      return true;
  }
  return false;
}

}  // namespace

// "#TYPE ..." or a quoted header.
bool LooksLikePowerShellCsv(const LineCursor& first) {
  const std::string_view line = first.line();
  if (IsTypeLine(line)) return true;
  if (line.empty() || line[0] != '"') return false;
  std::vector<std::string> header;
  std::string fault;
  CsvRecords records(line);
  return records.Next(&header, &fault) && HasIdColumn(header);
}

bool ReadPowerShellCsv(std::string_view text, CapturedMachines* machines,
                       CaptureError* error) {
  PowerShellMachines collected;
  LineCursor first(text);
  first.Next();
  CsvRecords records(text);
  std::vector<std::string> header, fields;
  std::string fault;
  if (IsTypeLine(first.line())) {
    // The type line holds no comma of its own to be read by: it is passed.
    const std::size_t end = std::min(text.find('\n'), text.size());
    records = CsvRecords(text.substr(end));
  }
  if (!records.Next(&header, &fault) || !HasIdColumn(header))
    return Fail(records.line(),
                fault.empty()
                    ? std::string("expected a header of quoted property names "
                                  "with ") +
                          kPowerShellIdProperties + " (Export-Csv)"
                    : fault + " (Export-Csv)",
                error);
  std::vector<PowerShellProperty> columns;
  for (const std::string& name : header)
    columns.push_back(PowerShellPropertyOf(name));
  while (records.Next(&fields, &fault)) {
    const int line = records.firstLine();
    if (fields.size() != header.size())
      return Fail(line,
                  "expected " + std::to_string(header.size()) +
                      " values as the header has (Export-Csv), found " +
                      std::to_string(fields.size()),
                  error);
    PowerShellObject object(line);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const std::string_view value = Trim(fields[i]);
      if (columns[i] != PowerShellProperty::kHardwareId) {
        object.SetText(columns[i], value);
      } else if (value == "System.String[]") {
        object.SetHardwareIdsUnwritten();
      } else {
        // A list joined before the export (-join ' ', ',' or ';').
        std::vector<std::string> ids;
        std::size_t from = 0;
        while (from < value.size()) {
          const std::size_t end =
              std::min(value.find_first_of(" \t,;", from), value.size());
          if (end > from) ids.emplace_back(value.substr(from, end - from));
          from = end + 1;
        }
        object.SetHardwareIds(std::move(ids), false, line);
      }
    }
    if (!object.AddTo(&collected, kFormat, error)) return false;
  }
  if (!fault.empty())
    return Fail(records.line(), fault + " (Export-Csv)", error);
  if (!collected.AnyDevice())
    return Fail(records.line(),
                "expected at least one PCI device (an instance ID beginning "
                "PCI\\), found none",
                error);
  *machines = collected.Take();
  return true;
}

}  // namespace pomvarin::check::capture
