#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvex {

// The few descriptor calls that settings files need, alike on POSIX and
// Windows. An open gives -1 on failure. Only regular files are opened: a fifo
// would keep a reader waiting for good, and a device's content never ends.

// Read and write, created when missing, never truncated, and held so that no
// second open can share it, in this process or another, until it is closed.
int openExclusive(const std::string& path);
void closeDescriptor(int descriptor);

// The whole file, from its start, when it holds at most maxBytes. A longer
// file fails after maxBytes + 1 bytes, whatever length it claims.
bool readFromStart(int descriptor, std::size_t maxBytes, std::string& content);
// Makes bytes the whole content of the file.
bool replaceFromStart(int descriptor, std::string_view bytes);
bool flushToDisk(int descriptor);

// As readFromStart, on a file opened for reading only: nothing is created,
// locked or written, so a file the user may only read reads all the same.
bool readWholeFile(const std::string& path, std::size_t maxBytes, std::string& content);

} // namespace orvex
