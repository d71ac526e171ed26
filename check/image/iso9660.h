// ISO 9660 images: the tree Windows' CD file system reads (Joliet when its
// descriptor comes before anything that ends the scan, else the primary
// tree), listed as it lists them.
#pragma once

#include "check/image/image_read.h"

namespace pomvarin::check {

// Whether bytes look like ISO 9660: "CD001" in the descriptor at sector 16.
bool LooksLikeIso9660(ImageBytes& bytes);

void ReadIso9660(ImageBytes& bytes, std::size_t configurationLimit,
                 ImageRead* read);

}  // namespace pomvarin::check
