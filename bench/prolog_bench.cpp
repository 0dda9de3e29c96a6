// The input's DOCTYPE pre-check on inputs that open a comment and never close it, so that it
// reads every byte: its time beside reading the same file through the same stream in the same
// chunks and nothing else, measured in the same run, on 20, 100 and 200 MiB.
//
//   prolog_bench [rounds]     (default 5 per size, each a read and a pre-check, after a warm-up read)
//
// Time per MiB that stays the same across the sizes shows time in proportion to the input; the
// peak private memory after each size, memory that does not grow with it.
#include <windows.h>
// After windows.h, which it builds on.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "runtime/com/file_stream_win32.h"
#include "transform/input_doctype_win32.h"

namespace {

using bench::Clock;
using bench::MillisecondsSince;

constexpr int kSizesMiB[] = {20, 100, 200};
constexpr ULONG kChunk = 65536;  // the pre-check's own
constexpr DWORD kMiB = 1 << 20;

rt::ComPtr<rt::FileStream> OpenStream(const std::wstring& path) {
  DWORD error = 0;
  const rt::TextView name(reinterpret_cast<const char16_t*>(path.data()), path.size());
  return rt::FileStream::Open(name, rt::FileStream::Access::kRead, error);
}

// "<!--" and then never "-->".
bool WriteUnclosedComment(const std::wstring& path, int mebibytes) {
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string block(kMiB, 'x');
  block.replace(0, 4, "<!--");
  bool written = true;
  for (int i = 0; i < mebibytes && written; ++i) {
    DWORD count = 0;
    written = WriteFile(file, block.data(), kMiB, &count, nullptr) && count == kMiB;
    block.replace(0, 4, "xxxx");
  }
  CloseHandle(file);
  return written;
}

// The baseline: what the pre-check reads, read and dropped, and the stream back at its start.
double ReadThrough(const std::wstring& path) {
  const rt::ComPtr<rt::FileStream> stream = OpenStream(path);
  if (!stream) return -1;
  static char chunk[kChunk];
  ULONG read = 0;
  const Clock::time_point start = Clock::now();
  while (stream->Read(chunk, kChunk, &read) == S_OK && read > 0) {
  }
  LARGE_INTEGER origin{};
  stream->Seek(origin, STREAM_SEEK_SET, nullptr);
  return MillisecondsSince(start);
}

double PreCheck(const std::wstring& path, bool& doctype) {
  const rt::ComPtr<rt::FileStream> stream = OpenStream(path);
  if (!stream) return -1;
  const Clock::time_point start = Clock::now();
  doctype = rt::HasDoctype(*stream.get());
  return MillisecondsSince(start);
}

// Windows gives the commit charge's peak in PeakPagefileUsage too, Wine only there.
double PeakPrivateKiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakPagefileUsage) / 1024.0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  wchar_t temporary[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temporary);
  const std::wstring directory =
      std::wstring(temporary) + L"vexilate-prolog-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(directory.c_str(), nullptr);
  std::printf("medians of %d rounds; baseline: the same file read in the same %lu-byte chunks\n", rounds, kChunk);
  int status = 0;
  for (const int mebibytes : kSizesMiB) {
    const std::wstring path = directory + L"\\unclosed-comment-" + std::to_wstring(mebibytes) + L".xml";
    if (!WriteUnclosedComment(path, mebibytes)) {
      std::fprintf(stderr, "cannot write the %d MiB input\n", mebibytes);
      status = 1;
      break;
    }
    ReadThrough(path);  // in the system's cache for both from here on
    std::vector<double> baseline, measured;
    bool doctype = false;
    for (int round = 0; round < rounds; ++round) {
      baseline.push_back(ReadThrough(path));
      measured.push_back(PreCheck(path, doctype));
    }
    DeleteFileW(path.c_str());
    const double read = bench::Median(baseline), checked = bench::Median(measured);
    std::printf(
        "%3d MiB: read %7.1f ms (%.2f ms/MiB), pre-check %7.1f ms (%.2f ms/MiB), ratio %s; peak private %.0f KiB\n",
        mebibytes, read, read / mebibytes, checked, checked / mebibytes, bench::RatioText(checked, read).c_str(),
        PeakPrivateKiB());
    if (doctype) {
      std::fprintf(stderr, "the unclosed comment was taken for a DOCTYPE\n");
      status = 1;
    }
  }
  RemoveDirectoryW(directory.c_str());
  return status;
}
