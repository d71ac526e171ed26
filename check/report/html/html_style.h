// The HTML page's style sheet, written into the page itself so that the
// page needs nothing beside it.
#pragma once

namespace pomvarin::check {

extern const char kPageStyle[];

}  // namespace pomvarin::check
