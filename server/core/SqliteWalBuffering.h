// A SQLite VFS that hands the frames of a WAL commit to the kernel in one
// write instead of two per page.
//
// SQLite appends a commit to the WAL as a 24-byte frame header and then the
// page for each changed page, one write call each: a comment added is
// about a dozen writes.  On this VFS a WAL file keeps frames appended one
// after another in memory, and writes them all at once when the commit frame
// (the header whose "database size after commit" is not zero) has its page.
// That is still before SQLite publishes the commit in the WAL index, so
// another connection, also in another process, never finds a committed frame
// missing from the file, and a commit that SQLite reports done is in the
// operating system's hands as before: it survives a killed process.
//
// Anything that is not the next frame in line (the WAL header, a page
// rewritten in place, a header alone) is written through at once, after
// what is held; so is everything held before the WAL file is read, synced,
// truncated, measured or closed.  Writes reach the file in the order SQLite
// made them.  Files other than WALs are the base VFS's own, untouched.
#pragma once

namespace lumo_server {

// The name of the VFS above SQLite's "unix" one (or, processExclusive, its
// "unix-excl" one: the first connection locks the file for its process),
// registered on first use (not as the default).  Null, for SQLite's default,
// when it cannot be.
const char* sqliteWalBufferingVfs(bool processExclusive = false);

// Registers a WAL-buffering VFS called `name` above the VFS `baseName` (a
// test puts one above a VFS that counts writes).  Returns false when the
// base VFS is not found.  Registering the same name twice is an error of the
// caller.
bool registerSqliteWalBuffering(const char* name, const char* baseName);

}  // namespace lumo_server
