// The vendor folders of a disc and the narrowest VenID their devices share.
#include "check/init/vendor_folders.h"

#include <algorithm>
#include <cstring>

#include "common/ascii.h"

namespace pomvarin::check {

namespace {

bool Within(const std::string& upperFolder, const std::string& upperAncestor) {
  return upperFolder.compare(0, upperAncestor.size(), upperAncestor) == 0 &&
         (upperFolder.size() == upperAncestor.size() ||
          upperFolder[upperAncestor.size()] == '\\');
}

std::size_t Depth(const std::string& folder) {
  return std::count(folder.begin(), folder.end(), '\\');
}

// The fields of an upper-case PCI ID that a device it serves holds in the
// same places of its first hardware ID ("PCI\\VEN_v&DEV_d&SUBSYS_s&REV_r"):
// "VEN_v", then "DEV_d", then "SUBSYS_s", as far as the ID goes that way.
// Empty for an ID without a vendor (a compatible ID by class alone).
std::vector<std::string> LeadingFields(const std::string& id) {
  static const char* const kPlaces[] = {"VEN_", "DEV_", "SUBSYS_"};
  std::vector<std::string> fields;
  std::size_t start = 4;  // after "PCI\\"
  for (const char* place : kPlaces) {
    const std::size_t end = std::min(id.find('&', start), id.size());
    const std::string field = id.substr(start, end - start);
    if (field.compare(0, std::strlen(place), place) != 0) break;
    fields.push_back(field);
    if (end == id.size()) break;
    start = end + 1;
  }
  return fields;
}

std::string Joined(const std::vector<std::string>& fields) {
  std::string text;
  for (const std::string& field : fields) text += (text.empty() ? "" : "&") + field;
  return text;
}

void AddOnce(const std::string& text, std::vector<std::string>* list) {
  if (std::find(list->begin(), list->end(), text) == list->end())
    list->push_back(text);
}

// The packages at or below the setup's folder, taken into folder. The
// packages are kept by upper-case path, so those below one folder are
// neighbours.
void TakePackages(const std::map<std::string, Package>& packages,
                  VendorFolder* folder, bool* any) {
  const std::string below = UpperAscii(folder->setup.folder) + "\\";
  for (auto at = packages.lower_bound(below);
       at != packages.end() && at->first.compare(0, below.size(), below) == 0;
       ++at) {
    *any = true;
    const Package& package = at->second;
    if (!package.inf.parsed) {
      folder->unreadPackages.push_back(package.path);
      continue;
    }
    for (const std::string& id : package.inf.ids) {
      folder->ids.insert(id);
      const std::vector<std::string> fields = LeadingFields(id);
      if (fields.empty()) continue;
      auto vendor = std::find_if(
          folder->vendors.begin(), folder->vendors.end(),
          [&](const FolderVendor& known) {
            return known.venId.compare(0, fields[0].size(), fields[0]) == 0;
          });
      if (vendor == folder->vendors.end()) {
        vendor = folder->vendors.insert(vendor, FolderVendor{Joined(fields), {}});
      } else {
        // The fields both hold, from the vendor on.
        std::vector<std::string> common = LeadingFields("PCI\\" + vendor->venId);
        std::size_t same = 0;
        while (same < common.size() && same < fields.size() &&
               common[same] == fields[same])
          ++same;
        common.resize(same);
        vendor->venId = Joined(common);
      }
      for (const std::string& maker : package.inf.manufacturers)
        AddOnce(maker, &vendor->makers);
    }
  }
}

// How new the Windows a folder's name stands for is: XP, Vista, 7, 8, 8.1,
// 10, 11 in that order, and a 64-bit folder above a 32-bit one; -1 when the
// name tells neither.
double Newness(const std::string& name) {
  const std::string lower = LowerAscii(name);
  if (lower == "x64" || lower == "amd64" || lower == "64bit") return 0.64;
  if (lower == "x86" || lower == "i386" || lower == "32bit") return 0.32;
  if (lower.find("xp") != std::string::npos) return 5.1;
  if (lower.find("vista") != std::string::npos) return 6.0;
  const std::size_t digit = lower.find_first_of("0123456789");
  if (digit == std::string::npos) return -1;
  const std::size_t end = lower.find_first_not_of("0123456789", digit);
  const int number = std::stoi(lower.substr(digit, std::min<std::size_t>(end - digit, 4)));
  const bool pointOne = lower.compare(end == std::string::npos ? lower.size() : end, 2, ".1") == 0;
  if (number == 81 || (number == 8 && pointOne)) return 8.1;
  return number;
}

// The first folder names in which a and b differ.
std::pair<std::string, std::string> FirstDifference(const std::string& a,
                                                    const std::string& b) {
  std::size_t start = 0;
  while (true) {
    const std::size_t endA = a.find('\\', start), endB = b.find('\\', start);
    const std::string nameA = a.substr(start, endA - start);
    const std::string nameB = b.substr(start, endB - start);
    if (!SameName(nameA, nameB) || endA == std::string::npos ||
        endB == std::string::npos)
      return {nameA, nameB};
    start = endA + 1;
  }
}

bool ServeTheSame(const VendorFolder& a, const VendorFolder& b) {
  for (const std::string& id : a.ids)
    if (b.ids.count(id)) return true;
  return false;
}

}  // namespace

bool MayServe(const std::string& venId, const std::string& id) {
  const std::string fields = Joined(LeadingFields(id));
  if (fields.empty()) return false;
  // The shorter agrees with the longer up to a field's end.
  const std::string& shorter = fields.size() < venId.size() ? fields : venId;
  const std::string& longer = fields.size() < venId.size() ? venId : fields;
  return longer.compare(0, shorter.size(), shorter) == 0 &&
         (longer.size() == shorter.size() || longer[shorter.size()] == '&');
}

std::string RootDirValue(const std::string& disc, const std::string& folder) {
  return folder.substr(disc.size());
}

VendorFolders FindVendorFolders(const std::string& disc,
                                const std::vector<SetupProgram>& setups,
                                const std::map<std::string, Package>& packages) {
  // Upper folders first, so that a setup below a vendor folder is met after it.
  std::vector<const SetupProgram*> byDepth;
  for (const SetupProgram& setup : setups) byDepth.push_back(&setup);
  std::stable_sort(byDepth.begin(), byDepth.end(),
                   [](const SetupProgram* a, const SetupProgram* b) {
                     return Depth(a->folder) < Depth(b->folder);
                   });
  VendorFolders found;
  std::vector<std::string> taken;  // upper-case vendor folders met so far
  for (const SetupProgram* setup : byDepth) {
    const std::string upper = UpperAscii(setup->folder);
    if (std::any_of(taken.begin(), taken.end(), [&](const std::string& folder) {
          return Within(upper, folder);
        }))
      continue;
    VendorFolder folder{*setup, {}, {}, {}};
    bool anyPackage = false;
    TakePackages(packages, &folder, &anyPackage);
    // A setup without packages is a tool's, or carries its drivers inside.
    if (!anyPackage) continue;
    taken.push_back(upper);
    if (folder.vendors.empty()) {
      found.leftOut.push_back(LeftOut{
          setup->folder, "its .inf files list no PCI device by vendor, and "
                         "the launcher starts setups for PCI devices only"});
      continue;
    }
    found.kept.push_back(std::move(folder));
  }
  // Packages no setup starts for are the author's to look at: the check
  // warns of them.
  for (const auto& byKey : packages) {
    const std::string& key = byKey.first;
    const Package& package = byKey.second;
    if (std::any_of(taken.begin(), taken.end(), [&](const std::string& folder) {
          return Within(key, folder);
        }))
      continue;
    if (!package.inf.parsed)
      found.leftOut.push_back(
          LeftOut{package.path, "an .inf Windows refuses (a broken package)"});
    else if (!package.inf.ids.empty())
      found.leftOut.push_back(LeftOut{
          package.path, "no folder at or above it holds a setup program, so "
                        "no entry starts for the PCI devices it lists"});
  }
  // One vendor's setups for several Windows versions: the newest stays.
  for (std::size_t i = 0; i < found.kept.size(); ++i) {
    for (std::size_t j = i + 1; j < found.kept.size();) {
      if (!ServeTheSame(found.kept[i], found.kept[j])) {
        ++j;
        continue;
      }
      const auto [nameI, nameJ] =
          FirstDifference(found.kept[i].setup.folder, found.kept[j].setup.folder);
      if (Newness(nameJ) > Newness(nameI)) std::swap(found.kept[i], found.kept[j]);
      found.leftOut.push_back(LeftOut{
          found.kept[j].setup.folder,
          "its packages serve devices that those of " +
              RootDirValue(disc, found.kept[i].setup.folder) +
              " serve too, kept instead as the newer: the launcher cannot "
              "choose a setup by Windows version, and would start both"});
      found.kept.erase(found.kept.begin() + j);
    }
  }
  // In the order of their paths: the same disc gives the same file, in
  // whatever order a system lists its folders.
  std::sort(found.kept.begin(), found.kept.end(),
            [](const VendorFolder& a, const VendorFolder& b) {
              return UpperAscii(a.setup.folder) < UpperAscii(b.setup.folder);
            });
  return found;
}

}  // namespace pomvarin::check
