// The application shell exists on Windows only (the handset and the desktop);
// elsewhere this file is empty.
#ifdef _WIN32

#include "shell/trace_file.h"

TraceFile::TraceFile() : file_(INVALID_HANDLE_VALUE) {}

TraceFile::~TraceFile() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

int TraceFile::OpenExisting(const std::wstring& path) {
  if (path.empty()) return 0;
  // Emptied on opening: each traced run rewrites the file. A file that is
  // missing, read-only or locked is left as it is.
  file_ = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, TRUNCATE_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, NULL);
  return file_ != INVALID_HANDLE_VALUE;
}

int TraceFile::Append(const char* bytes, size_t count) {
  while (count > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(count);
    if (!WriteFile(file_, bytes, chunk, &written, NULL) || written == 0) return 0;
    bytes += written;
    count -= written;
  }
  return 1;
}

int TraceFile::Flush() { return FlushFileBuffers(file_) ? 1 : 0; }

#endif
