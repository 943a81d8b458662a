#include "dbase/deletionscan.h"

#include <csetjmp>
#include <csignal>
#include <sys/mman.h>
#include <unistd.h>

#include "dbase/error.h"
#include "dbase/fileio.h"

namespace dbase {
namespace {

constexpr uint64_t kWindow = 16u << 20;

thread_local sigjmp_buf* tJump = nullptr;
// The window mapped at the moment, for the SIGBUS path to unmap.
thread_local void* volatile tMapped = nullptr;
thread_local volatile size_t tMappedLen = 0;

void onSigbus(int) {
    if (tJump) siglongjmp(*tJump, 1);
    std::signal(SIGBUS, SIG_DFL);
    std::raise(SIGBUS);
}

// The one loop that touches mapped memory. No objects with destructors live here, so leaving it
// by siglongjmp is safe.
uint32_t countWindow(const char* base, uint32_t recs, uint32_t recLen, uint8_t* live) {
    uint32_t del = 0;
    for (uint32_t i = 0; i < recs; ++i) {
        const bool gone = base[size_t(i) * recLen] == '*';
        live[i] = !gone;
        del += gone;
    }
    return del;
}

// Maps the table window by window and counts; false when a window cannot be mapped. Kept out of
// the function that calls sigsetjmp so that nothing this loop changes lives in that frame.
[[gnu::noinline]] bool scanWindows(const File& file, uint64_t headerLen, uint32_t recLen, uint32_t count,
                                   uint8_t* out, uint32_t* deleted) {
    const long page = ::sysconf(_SC_PAGESIZE);
    const uint64_t pageSize = page > 0 ? static_cast<uint64_t>(page) : 4096;
    const uint32_t perWindow = std::max<uint32_t>(1, static_cast<uint32_t>(kWindow / recLen));
    uint32_t del = 0;
    for (uint32_t first = 1; first <= count;) {
        const uint32_t n = std::min<uint32_t>(perWindow, count - first + 1);
        const uint64_t start = headerLen + uint64_t(first - 1) * recLen;
        const uint64_t aligned = start - start % pageSize;
        const uint64_t len = (start - aligned) + uint64_t(n - 1) * recLen + 1;
        void* p = ::mmap(nullptr, len, PROT_READ, MAP_SHARED, file.fd(), static_cast<off_t>(aligned));
        if (p == MAP_FAILED) return false;
        tMapped = p;
        tMappedLen = len;
        del += countWindow(static_cast<const char*>(p) + (start - aligned), n, recLen, out + (first - 1));
        ::munmap(p, len);
        tMapped = nullptr;
        first += n;
    }
    *deleted = del;
    return true;
}

} // namespace

namespace {

// Runs scanWindows with a SIGBUS handler that turns a table cut short under the mapping into an
// error. Only plain values set before sigsetjmp live in this frame.
[[gnu::noinline]] bool guardedScan(const File& file, uint64_t headerLen, uint32_t recLen, uint32_t count,
                                   uint8_t* out, uint32_t* deleted) {
    struct sigaction sa {
    }, old{};
    sa.sa_handler = onSigbus;
    sigemptyset(&sa.sa_mask);
    if (::sigaction(SIGBUS, &sa, &old) != 0) return false;
    sigjmp_buf jump;
    tMapped = nullptr;
    tMappedLen = 0;
    sigjmp_buf* const savedJump = tJump;
    if (sigsetjmp(jump, 1) != 0) {
        if (tMapped) ::munmap(tMapped, tMappedLen);
        tMapped = nullptr;
        tJump = savedJump;
        ::sigaction(SIGBUS, &old, nullptr);
        throw DbError("The table " + file.path() + " was cut short by another program while it was read");
    }
    tJump = &jump;
    const bool ok = scanWindows(file, headerLen, recLen, count, out, deleted);
    tJump = savedJump;
    ::sigaction(SIGBUS, &old, nullptr);
    return ok;
}

} // namespace

bool scanDeletionBytes(const File& file, uint64_t headerLen, uint32_t recLen, uint32_t count,
                       std::vector<uint8_t>& live, uint32_t& deleted) {
    if (count == 0) {
        live.clear();
        deleted = 0;
        return true;
    }
    std::vector<uint8_t> out(count);
    uint32_t del = 0;
    if (!guardedScan(file, headerLen, recLen, count, out.data(), &del)) return false;
    live.swap(out);
    deleted = del;
    return true;
}

} // namespace dbase
