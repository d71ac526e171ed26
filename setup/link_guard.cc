#include "setup/link_guard.h"

namespace pomvarin {

namespace {

// Enough for the folders behind a link on a typical disc without growing.
constexpr std::uint32_t kFirstCapacity = 64;

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

// File numbers of one volume differ in their low bits, which the product
// spreads over the table.
std::uint32_t Hash(const platform::FolderIdentity& identity) {
  return static_cast<std::uint32_t>(identity.file ^ identity.file >> 32 ^
                                    identity.volume) *
         0x9E3779B1u;
}

}  // namespace

// Open addressing: the slot of identity, or the free slot where it belongs.
LinkedFolders::Slot* LinkedFolders::Find(
    Slot* slots, std::uint32_t capacity,
    const platform::FolderIdentity& identity) const {
  for (std::uint32_t at = Hash(identity);; ++at) {
    Slot& slot = slots[at & (capacity - 1)];
    if (!slot.used || SameFolder(slot.identity, identity)) return &slot;
  }
}

bool LinkedFolders::Grow() {
  const std::uint32_t capacity = capacity_ ? capacity_ * 2 : kFirstCapacity;
  if (capacity > UINT32_MAX / sizeof(Slot)) return false;
  platform::ScopedBuffer grown(platform::AllocateZeroed(capacity * sizeof(Slot)));
  if (!grown) return false;
  Slot* slots = reinterpret_cast<Slot*>(grown.get());
  const Slot* old = reinterpret_cast<const Slot*>(table_.get());
  for (std::uint32_t i = 0; i < capacity_; ++i) {
    if (old[i].used) *Find(slots, capacity, old[i].identity) = old[i];
  }
  table_.reset(grown.release());
  capacity_ = capacity;
  return true;
}

bool LinkedFolders::AddNew(const platform::FolderIdentity& identity) {
  // At most half full, so that every search ends at a free slot soon.
  if (2 * (count_ + 1) > capacity_ && !Grow()) return false;
  Slot* slot = Find(reinterpret_cast<Slot*>(table_.get()), capacity_, identity);
  if (slot->used) return false;
  *slot = Slot{identity, true};
  ++count_;
  return true;
}

FolderOnPath FolderBelow(FolderOnPath* parent, const char* path,
                         std::uint32_t attributes, LinkedFolders* linked) {
  const bool link = (attributes & platform::kAttributeLink) != 0;
  return FolderOnPath{path, parent, parent ? parent->linked : linked,
                      link || (parent && parent->behindLink), false, {}};
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
  return folder.linked->AddNew(folder.identity);
}

}  // namespace pomvarin
