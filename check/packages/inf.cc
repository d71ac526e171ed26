// One .inf read as Windows reads it, into the PCI IDs its models list.
#include "check/packages/inf.h"

#include <algorithm>
#include <map>
#include <utility>

#include "check/input/file_text.h"
#include "check/packages/inf_lines.h"
#include "check/packages/inf_strings.h"
#include "check/packages/inf_target.h"
#include "common/ascii.h"

namespace pomvarin::check {

namespace {

bool IsPciId(const std::string& id) {
  return id.size() > 4 && LowerAscii(id.substr(0, 4)) == "pci\\";
}

// The signatures that make a file an .inf file to Windows, in lower case.
const char* const kSignatures[] = {"$windows nt$", "$chicago$", "$windows 95$"};

// The first reading: every line checked, the [Manufacturer] lines and the
// [Version] signature kept, and the strings section chosen.
class ManufacturerReader : public InfLineSink {
 public:
  void Section(const std::string& lowerName) override {
    inManufacturer_ = lowerName == "manufacturer";
    inVersion_ = lowerName == "version";
    stringsSection_.See(lowerName);
  }

  void Line(InfLine line) override {
    if (inVersion_ && !signatureLine_ && LowerAscii(line.key) == "signature") {
      signatureLine_ = line.number;
      signature_ = line.values[0];
    }
    if (inManufacturer_) lines_.push_back(std::move(line));
  }

  // False, with the reason, when the file has none of the signatures.
  bool Signed(InfProblem* refusal) const {
    for (const char* known : kSignatures)
      if (LowerAscii(signature_) == known) return true;
    *refusal = InfProblem{
        signatureLine_ ? signatureLine_ : 1,
        (signatureLine_ ? "the [Version] Signature \"" + signature_ +
                              "\" is not"
                        : std::string("no [Version] Signature of")) +
            " \"$Windows NT$\", \"$Chicago$\" or \"$Windows 95$\": Windows "
            "reads no other file as an .inf file"};
    return false;
  }

  const std::vector<InfLine>& lines() const { return lines_; }
  const StringsSectionChoice& stringsSection() const { return stringsSection_; }

 private:
  bool inManufacturer_ = false;
  bool inVersion_ = false;
  int signatureLine_ = 0;
  std::string signature_;
  std::vector<InfLine> lines_;
  StringsSectionChoice stringsSection_;
};

// The models sections one [Manufacturer] line makes Windows read, and what
// is wrong with the line itself.
struct ModelsNaming {
  int line = 0;
  std::vector<std::string> names;
  // names[0], the undecorated section, may be absent beside decorated ones.
  bool firstMayBeAbsent = false;
  std::vector<InfProblem> problems;
};

ModelsNaming NameModels(const InfLine& line, const InfStrings& strings,
                        const InfTarget* target) {
  ModelsNaming naming;
  naming.line = line.number;
  std::vector<std::string> fields;
  for (const std::string& value : line.values)
    fields.push_back(
        Substitute(strings, value, line.number, &naming.problems));
  const ModelsChoice choice = ChooseModels(
      fields[0], std::vector<std::string>(fields.begin() + 1, fields.end()),
      target);
  for (const std::string& none : choice.notDecorations)
    naming.problems.push_back(InfProblem{
        line.number, "\"" + none + "\" is no decoration such as NTamd64 or "
                     "NTx86.6.1"});
  naming.names = choice.sections;
  naming.firstMayBeAbsent = choice.undecorated && fields.size() > 1;
  return naming;
}

// Where an ID first comes in the package: the package takes a models
// section's IDs in file order at the first [Manufacturer] line naming it.
struct IdPlace {
  std::size_t naming;  // the order of its section's first naming
  std::size_t listed;  // the order in which the file lists it
  bool operator<(const IdPlace& other) const {
    return naming != other.naming ? naming < other.naming
                                  : listed < other.listed;
  }
};

// What the readings keep of a package.
struct Models {
  std::vector<ModelsNaming> namings;  // of [Manufacturer], in file order
  std::vector<std::string> manufacturers;
  // The named models sections that are there, by lower-case name, with the
  // problems of their tokens: every line naming a section meets them anew.
  std::map<std::string, std::vector<InfProblem>> sections;
  std::map<std::string, IdPlace> ids;  // the PCI IDs they list
  std::string stringsSection;  // see InfPackage
};

// The third reading: the models sections that are named, each read once
// however many lines name it.
class ModelsReader : public InfLineSink {
 public:
  ModelsReader(const std::map<std::string, std::size_t>& firstNamings,
               const InfStrings& strings, Models* models)
      : firstNamings_(firstNamings), strings_(strings), models_(models) {}

  void Section(const std::string& lowerName) override {
    const auto named = firstNamings_.find(lowerName);
    if (named == firstNamings_.end()) {
      problems_ = nullptr;
      return;
    }
    problems_ = &models_->sections[lowerName];
    naming_ = named->second;
  }

  void Line(InfLine line) override {
    if (!problems_) return;
    for (std::size_t v = 1; v < line.values.size(); ++v) {
      std::string id = UpperAscii(
          Substitute(strings_, line.values[v], line.number, problems_));
      if (!IsPciId(id)) continue;
      const IdPlace place{naming_, listed_++};
      const auto [kept, fresh] = models_->ids.try_emplace(std::move(id), place);
      if (!fresh && place < kept->second) kept->second = place;
    }
  }

 private:
  const std::map<std::string, std::size_t>& firstNamings_;
  const InfStrings& strings_;
  Models* models_;
  std::vector<InfProblem>* problems_ = nullptr;  // of the current section
  std::size_t naming_ = 0;
  std::size_t listed_ = 0;
};

// False, with the reason, for a file Windows refuses.
bool ReadModels(std::string_view text, const InfTarget* target,
                Models* models, InfProblem* refusal) {
  ManufacturerReader manufacturer;
  if (!ReadInfLines(text, manufacturer, refusal) ||
      !manufacturer.Signed(refusal))
    return false;
  const StringsSectionChoice& choice = manufacturer.stringsSection();
  if (choice.localised()) models->stringsSection = choice.chosen();
  const InfStrings strings = ReadInfStrings(text, choice.chosen());
  // Each models section named, by lower-case name, and when it is first.
  std::map<std::string, std::size_t> firstNamings;
  for (const InfLine& line : manufacturer.lines()) {
    if (line.values[0].empty()) continue;
    models->namings.push_back(NameModels(line, strings, target));
    // A maker's name serves only to name it: a token it lacks is no fault.
    std::vector<InfProblem> ignored;
    std::string maker = Substitute(strings, line.key, line.number, &ignored);
    if (std::find(models->manufacturers.begin(), models->manufacturers.end(),
                  maker) == models->manufacturers.end())
      models->manufacturers.push_back(std::move(maker));
    for (const std::string& name : models->namings.back().names)
      firstNamings.try_emplace(LowerAscii(name), firstNamings.size());
  }
  // The first reading took the whole text: this one refuses no line.
  ModelsReader reader(firstNamings, strings, models);
  ReadInfLines(text, reader, refusal);
  return true;
}

void Append(const std::vector<InfProblem>& problems, InfPackage* package) {
  package->problems.insert(package->problems.end(), problems.begin(),
                           problems.end());
}

}  // namespace

InfPackage ReadInf(const std::string& bytes, const InfTarget* target) {
  InfPackage package;
  // Windows reads UTF-16 .inf files in little-endian order only.
  std::string decoded, fault;
  std::string_view text;
  int faultLine = 0;
  if (!DecodeFileText(bytes, Utf16Orders::kLittleEndian, &decoded, &text,
                      &faultLine, &fault)) {
    package.problems.push_back(InfProblem{faultLine, fault});
    package.parsed = false;
    return package;
  }
  // The text is read three times, each reading keeping only what the next
  // needs, so that what is held grows with the package, not the file.
  Models models;
  InfProblem refusal;
  if (!ReadModels(text, target, &models, &refusal)) {
    package.problems.push_back(refusal);
    package.parsed = false;
    return package;
  }
  package.stringsSection = models.stringsSection;
  for (const ModelsNaming& naming : models.namings) {
    Append(naming.problems, &package);
    for (std::size_t i = 0; i < naming.names.size(); ++i) {
      const auto section = models.sections.find(LowerAscii(naming.names[i]));
      if (section != models.sections.end()) {
        Append(section->second, &package);
      } else if (i > 0 || !naming.firstMayBeAbsent) {
        package.problems.push_back(InfProblem{
            naming.line, "[" + naming.names[i] + "] is named but not there"});
      }
    }
  }
  package.manufacturers = std::move(models.manufacturers);
  std::vector<std::pair<IdPlace, const std::string*>> ids;
  for (const auto& [id, place] : models.ids) ids.emplace_back(place, &id);
  std::sort(ids.begin(), ids.end());
  for (const auto& [place, id] : ids) package.ids.push_back(*id);
  return package;
}

}  // namespace pomvarin::check
