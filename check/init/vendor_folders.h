// The vendor folders of a disc: a folder with a setup program that has, at
// or below it, .inf packages listing PCI devices, one entry's worth each.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "check/packages/inf_walk.h"
#include "check/init/setup_programs.h"

namespace pomvarin::check {

// A vendor whose devices a folder's packages list.
struct FolderVendor {
  // The narrowest text every first hardware ID of the devices they serve
  // holds: "VEN_xxxx", and "&DEV_xxxx" (and "&SUBSYS_xxxxxxxx") where they
  // all list the same.
  std::string venId;
  std::vector<std::string> makers;  // named by those packages, each once
};

struct VendorFolder {
  SetupProgram setup;
  std::vector<FolderVendor> vendors;  // in the order first listed
  std::set<std::string> ids;        // the PCI IDs its packages list
  std::vector<std::string> unreadPackages;  // .inf paths Windows refuses
};

// A folder with a setup that gets no entry, or a package that no entry's
// setup comes with, and why, for people.
struct LeftOut {
  std::string folder;
  std::string why;
};

// Whether a VenID occurs in the first hardware ID of some device that an
// upper-case PCI ID of a package may serve.
bool MayServe(const std::string& venId, const std::string& id);

// A folder below disc as SetupFileRootDir names it: the rest of its path,
// from the "\" after disc's own path.
std::string RootDirValue(const std::string& disc, const std::string& folder);

struct VendorFolders {
  std::vector<VendorFolder> kept;  // by path
  std::vector<LeftOut> leftOut;
};

// The vendor folders among the folders of setups. A setup below another
// vendor folder is that folder's own (such as one per Windows version
// beside a setup that picks among them). Folders whose packages serve the
// same devices are one vendor's setups for different Windows versions: the
// launcher cannot choose among them, so the newest is kept.
VendorFolders FindVendorFolders(const std::string& disc,
                                const std::vector<SetupProgram>& setups,
                                const std::map<std::string, Package>& packages);

}  // namespace pomvarin::check
