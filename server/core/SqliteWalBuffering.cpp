#include "server/core/SqliteWalBuffering.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace lumo_server {
namespace {

constexpr int kFrameHeaderBytes = 24;
// A transaction larger than this (a spill of a big one) is written in parts;
// only a commit needs its frames in the file before it is published.
constexpr size_t kHoldLimitBytes = 512 * 1024;
// The unix VFS writes less than 128 KiB in one call (it was never asked for
// more than a page), so what is held goes out in parts of this size.
constexpr size_t kWriteBytes = 96 * 1024;

struct WalFile {
    sqlite3_file base;  // pMethods: kWalMethods
    sqlite3_file* real;  // the base VFS's file, placed right after this struct
    unsigned char* held;
    size_t heldBytes;
    size_t capacity;
    sqlite3_int64 heldOffset;
    // Past the last byte written (or held) through this handle since the WAL
    // last started over: a frame header from there on is an append, and its
    // page follows; one before it is a rewrite, and nothing may follow it.
    sqlite3_int64 appendEnd;
    bool frameOpen;  // the last write held was an appended frame header, its page comes next
    bool commitFrame;  // ... and that header marks a commit
};
static_assert(sizeof(WalFile) % 8 == 0, "the base VFS's file follows, aligned");

WalFile* walFile(sqlite3_file* file) { return reinterpret_cast<WalFile*>(file); }
sqlite3_vfs* baseOf(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

bool marksCommit(const void* header)
{
    const auto* bytes = static_cast<const unsigned char*>(header);
    return (bytes[4] | bytes[5] | bytes[6] | bytes[7]) != 0;
}

int writeHeld(WalFile* f)
{
    int rc = SQLITE_OK;
    for (size_t done = 0; done < f->heldBytes && rc == SQLITE_OK; done += kWriteBytes) {
        const size_t part = std::min(kWriteBytes, f->heldBytes - done);
        rc = f->real->pMethods->xWrite(
            f->real, f->held + done, static_cast<int>(part), f->heldOffset + static_cast<sqlite3_int64>(done));
    }
    f->heldBytes = 0;
    f->frameOpen = false;
    return rc;
}

// Holds the write after what is held, when it follows on; false when it
// cannot (not contiguous, or no memory), and nothing is changed.
bool hold(WalFile* f, const void* data, int amount, sqlite3_int64 offset)
{
    if (f->heldBytes != 0 && offset != f->heldOffset + static_cast<sqlite3_int64>(f->heldBytes)) return false;
    const size_t needed = f->heldBytes + static_cast<size_t>(amount);
    if (needed > f->capacity) {
        const size_t capacity = needed < 64 * 1024 ? 64 * 1024 : needed * 2;
        auto* grown = static_cast<unsigned char*>(std::realloc(f->held, capacity));
        if (!grown) return false;
        f->held = grown;
        f->capacity = capacity;
    }
    if (f->heldBytes == 0) f->heldOffset = offset;
    std::memcpy(f->held + f->heldBytes, data, static_cast<size_t>(amount));
    f->heldBytes = needed;
    return true;
}

int writeThrough(WalFile* f, const void* data, int amount, sqlite3_int64 offset)
{
    const int rc = writeHeld(f);
    if (rc != SQLITE_OK) return rc;
    return f->real->pMethods->xWrite(f->real, data, amount, offset);
}

void noteWritten(WalFile* f, int amount, sqlite3_int64 offset)
{
    const sqlite3_int64 end = offset + amount;
    f->appendEnd = offset == 0 ? end : std::max(f->appendEnd, end);
}

int walWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
{
    WalFile* f = walFile(file);
    const bool appendedHeader = amount == kFrameHeaderBytes && offset >= f->appendEnd;
    const bool pageOfHeader = f->frameOpen && amount != kFrameHeaderBytes;
    noteWritten(f, amount, offset);
    if (appendedHeader) {
        if (!hold(f, data, amount, offset)) {
            const int rc = writeHeld(f);
            if (rc != SQLITE_OK) return rc;
            if (!hold(f, data, amount, offset)) return f->real->pMethods->xWrite(f->real, data, amount, offset);
        }
        f->frameOpen = true;
        f->commitFrame = marksCommit(data);
        return SQLITE_OK;
    }
    if (!pageOfHeader || !hold(f, data, amount, offset)) return writeThrough(f, data, amount, offset);
    f->frameOpen = false;
    if (f->commitFrame || f->heldBytes >= kHoldLimitBytes) return writeHeld(f);
    return SQLITE_OK;
}

int walClose(sqlite3_file* file)
{
    WalFile* f = walFile(file);
    const int written = writeHeld(f);
    const int closed = f->real->pMethods->xClose(f->real);
    std::free(f->held);
    f->held = nullptr;
    f->capacity = 0;
    return written != SQLITE_OK ? written : closed;
}

int walRead(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset)
{
    WalFile* f = walFile(file);
    const int rc = writeHeld(f);
    return rc != SQLITE_OK ? rc : f->real->pMethods->xRead(f->real, data, amount, offset);
}

int walTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    WalFile* f = walFile(file);
    const int rc = writeHeld(f);
    f->appendEnd = std::min(f->appendEnd, size);
    return rc != SQLITE_OK ? rc : f->real->pMethods->xTruncate(f->real, size);
}

int walSync(sqlite3_file* file, int flags)
{
    WalFile* f = walFile(file);
    const int rc = writeHeld(f);
    return rc != SQLITE_OK ? rc : f->real->pMethods->xSync(f->real, flags);
}

int walFileSize(sqlite3_file* file, sqlite3_int64* size)
{
    WalFile* f = walFile(file);
    const int rc = writeHeld(f);
    return rc != SQLITE_OK ? rc : f->real->pMethods->xFileSize(f->real, size);
}

int walFileControl(sqlite3_file* file, int op, void* arg)
{
    WalFile* f = walFile(file);
    const int rc = writeHeld(f);
    return rc != SQLITE_OK ? rc : f->real->pMethods->xFileControl(f->real, op, arg);
}

int walLock(sqlite3_file* file, int level) { return walFile(file)->real->pMethods->xLock(walFile(file)->real, level); }
int walUnlock(sqlite3_file* file, int level)
{
    return walFile(file)->real->pMethods->xUnlock(walFile(file)->real, level);
}
int walCheckReservedLock(sqlite3_file* file, int* out)
{
    return walFile(file)->real->pMethods->xCheckReservedLock(walFile(file)->real, out);
}
int walSectorSize(sqlite3_file* file) { return walFile(file)->real->pMethods->xSectorSize(walFile(file)->real); }
int walDeviceCharacteristics(sqlite3_file* file)
{
    return walFile(file)->real->pMethods->xDeviceCharacteristics(walFile(file)->real);
}

// Version 1: a WAL file is neither shared memory nor memory-mapped.
const sqlite3_io_methods kWalMethods = { 1, walClose, walRead, walWrite, walTruncate, walSync, walFileSize, walLock,
    walUnlock, walCheckReservedLock, walFileControl, walSectorSize, walDeviceCharacteristics, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr };

int vfsOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    sqlite3_vfs* base = baseOf(vfs);
    if (!(flags & SQLITE_OPEN_WAL)) return base->xOpen(base, name, file, flags, outFlags);
    WalFile* f = walFile(file);
    std::memset(f, 0, sizeof(WalFile));
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    const int rc = base->xOpen(base, name, f->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (f->real->pMethods) f->real->pMethods->xClose(f->real);
        f->base.pMethods = nullptr;
        return rc;
    }
    f->base.pMethods = &kWalMethods;
    return SQLITE_OK;
}

int vfsDelete(sqlite3_vfs* vfs, const char* name, int syncDir)
{
    return baseOf(vfs)->xDelete(baseOf(vfs), name, syncDir);
}
int vfsAccess(sqlite3_vfs* vfs, const char* name, int flags, int* out)
{
    return baseOf(vfs)->xAccess(baseOf(vfs), name, flags, out);
}
int vfsFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out)
{
    return baseOf(vfs)->xFullPathname(baseOf(vfs), name, size, out);
}
void* vfsDlOpen(sqlite3_vfs* vfs, const char* name) { return baseOf(vfs)->xDlOpen(baseOf(vfs), name); }
void vfsDlError(sqlite3_vfs* vfs, int size, char* out) { baseOf(vfs)->xDlError(baseOf(vfs), size, out); }
void (*vfsDlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void)
{
    return baseOf(vfs)->xDlSym(baseOf(vfs), handle, symbol);
}
void vfsDlClose(sqlite3_vfs* vfs, void* handle) { baseOf(vfs)->xDlClose(baseOf(vfs), handle); }
int vfsRandomness(sqlite3_vfs* vfs, int size, char* out) { return baseOf(vfs)->xRandomness(baseOf(vfs), size, out); }
int vfsSleep(sqlite3_vfs* vfs, int microseconds) { return baseOf(vfs)->xSleep(baseOf(vfs), microseconds); }
int vfsCurrentTime(sqlite3_vfs* vfs, double* out) { return baseOf(vfs)->xCurrentTime(baseOf(vfs), out); }
int vfsGetLastError(sqlite3_vfs* vfs, int size, char* out)
{
    return baseOf(vfs)->xGetLastError ? baseOf(vfs)->xGetLastError(baseOf(vfs), size, out) : 0;
}
int vfsCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out)
{
    return baseOf(vfs)->xCurrentTimeInt64(baseOf(vfs), out);
}

}  // namespace

bool registerSqliteWalBuffering(const char* name, const char* baseName)
{
    sqlite3_vfs* base = sqlite3_vfs_find(baseName);
    if (!base || base->iVersion < 2) return false;
    // Registered for the life of the process: SQLite keeps the pointer.
    auto* vfs = new sqlite3_vfs{};
    vfs->iVersion = 2;
    vfs->szOsFile = static_cast<int>(sizeof(WalFile)) + base->szOsFile;
    vfs->mxPathname = base->mxPathname;
    vfs->zName = name;
    vfs->pAppData = base;
    vfs->xOpen = vfsOpen;
    vfs->xDelete = vfsDelete;
    vfs->xAccess = vfsAccess;
    vfs->xFullPathname = vfsFullPathname;
    vfs->xDlOpen = vfsDlOpen;
    vfs->xDlError = vfsDlError;
    vfs->xDlSym = vfsDlSym;
    vfs->xDlClose = vfsDlClose;
    vfs->xRandomness = vfsRandomness;
    vfs->xSleep = vfsSleep;
    vfs->xCurrentTime = vfsCurrentTime;
    vfs->xGetLastError = vfsGetLastError;
    vfs->xCurrentTimeInt64 = vfsCurrentTimeInt64;
    return sqlite3_vfs_register(vfs, 0) == SQLITE_OK;
}

const char* sqliteWalBufferingVfs(bool processExclusive)
{
    static const char kShared[] = "lumo-wal-buffering";
    static const char kExclusive[] = "lumo-wal-buffering-excl";
    static const bool shared = registerSqliteWalBuffering(kShared, "unix");
    static const bool exclusive = registerSqliteWalBuffering(kExclusive, "unix-excl");
    if (processExclusive) return exclusive ? kExclusive : "unix-excl";
    return shared ? kShared : nullptr;
}

}  // namespace lumo_server
