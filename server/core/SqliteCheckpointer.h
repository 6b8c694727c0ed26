// Checkpoints the WAL of one SQLite file on a thread of its own, so that no
// request waits while the WAL is copied into the database file and synced.
//
// The store's connections hand their checkpoints over (attach): after each
// commit they report how many frames the WAL holds, and each time that has
// grown by kFramesPerCheckpoint the thread is woken.  The thread also
// checkpoints whatever was committed since its last run once per
// kIdlePeriod, and once more when it stops.  Checkpoints are PASSIVE: they
// copy what no reader still needs and never wait for or block a writer, also
// of other server processes sharing the file.
//
// A checkpoint lets the WAL be written again from its start only when no
// commit came while it ran.  Under a steady stream of commits the WAL would
// grow, so once it passes kFramesInline the committing connection
// checkpoints itself, on the request path, while the writes that would share
// its next transaction wait; the WAL then starts over.  That pause is the
// one cost of checkpointing that requests see: the rest of the copy, the
// checkpoint's two syncs and, at the next commit, SQLite's sync of the new
// WAL header, some milliseconds in all.  Hence the high thresholds: with
// an add's 5 frames the pause comes once in about 3,000 adds, for a WAL file
// of at most about 33 MB (66 MB with 4 KiB pages).
//
// Durability is unchanged by this: a commit is in the WAL, in the operating
// system's hands, before its request is answered; checkpoints only move it
// into the database file.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "server/core/SqliteConnection.h"

namespace lumo_server {

class SqliteCheckpointer {
public:
    static constexpr int kFramesPerCheckpoint = 4000;
    static constexpr int kFramesInline = 4 * kFramesPerCheckpoint;
    static constexpr std::chrono::milliseconds kIdlePeriod{1000};

    SqliteCheckpointer(std::string path, SqliteLocking locking);
    ~SqliteCheckpointer();
    SqliteCheckpointer(const SqliteCheckpointer&) = delete;
    SqliteCheckpointer& operator=(const SqliteCheckpointer&) = delete;

    // Makes the connection report its commits here instead of checkpointing
    // itself.  The checkpointer must outlive the connection.
    void attach(SqliteConnection& connection);

    // Checkpoints run so far (tests).
    int checkpoints() const;

private:
    static bool committed(void* self, int frames);
    void run();

    const std::string m_path;
    const SqliteLocking m_locking;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_due = false;        // the WAL grew past m_dueAtFrames
    int m_dueAtFrames = kFramesPerCheckpoint;
    int m_lastFrames = 0;      // the WAL's size at the last commit
    bool m_pending = false;    // something was committed since the last checkpoint
    bool m_stopping = false;
    int m_checkpoints = 0;
    std::thread m_thread;
};

}  // namespace lumo_server
