#include "setup/link_guard.h"

namespace pomvarin {

namespace {

bool ReadIdentityOnce(FolderOnPath& folder) {
  if (!folder.identityRead)
    folder.identityRead =
        platform::ReadFolderIdentity(folder.path, &folder.identity);
  return folder.identityRead;
}

bool SameFolder(const platform::FolderIdentity& a,
                const platform::FolderIdentity& b) {
  return a.volume == b.volume && a.file == b.file;
}

}  // namespace

FolderOnPath FolderBelow(FolderOnPath* parent, const char* path,
                         std::uint32_t attributes) {
  const bool link = (attributes & platform::kAttributeLink) != 0;
  return FolderOnPath{path, parent, link || (parent && parent->behindLink),
                      false, {}};
}

bool MayEnter(FolderOnPath& folder) {
  if (!folder.parent) return ReadIdentityOnce(folder);
  if (!folder.behindLink) return true;
  if (!ReadIdentityOnce(folder)) return false;
  for (FolderOnPath* above = folder.parent; above; above = above->parent) {
    if (!ReadIdentityOnce(*above) ||
        SameFolder(above->identity, folder.identity))
      return false;
  }
  return true;
}

}  // namespace pomvarin
