// Reading one value from an initialisation file, by the Windows reader's
// observable rules.
#pragma once

#include <cstddef>
#include <sys/stat.h>

#include "platform/platform.h"
#include "platform/posix/posix_common.h"

namespace pomvarin::platform::posix {

// Looks key up in section of the initialisation text data[0, size) and
// copies its value, cut to 259 characters, into value; fallback (nullptr:
// empty) when the section or key is absent.
//
// Lines end at LF, CRLF or a lone CR. Section and key names compare without
// ASCII case; white space (space, tab, CR, LF, VT, FF, 0x1A) around names and
// values does not count; a value wrapped in a matching pair of ' or " loses
// the pair; lines starting with ";" are comments; a section name runs to the
// last "]" of its line; only the first section of the name is searched, and
// the first key of the name in it wins. A line without "=" is a key without
// a value: it reads as absent and hides later keys of its name. NUL bytes
// are ordinary bytes, but a name or value holding one reads as cut there.
// Like the Windows reader, the fallback loses its trailing spaces.
void FindProfileValue(const char* data, std::size_t size, const char* section,
                      const char* key, const char* fallback, Text& value);

// The whole regular file at path (OS form), with size bytes in contents,
// and in status, when given, what the open file's status said before it
// was read. False when it cannot be opened or read, or is no regular file
// (a folder, a FIFO or a device).
bool ReadWholeFile(const char* path, HeapBlock* contents, std::size_t* size,
                   struct stat* status = nullptr);

}  // namespace pomvarin::platform::posix
