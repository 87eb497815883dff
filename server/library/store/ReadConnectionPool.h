#pragma once

// Connections for the queries of one library file, kept open between queries: opening one
// reads the whole schema and starts with an empty page cache, which costs more than most
// queries. The file is replaced by renaming a new one over it; a kept connection still
// reads the file it opened, so it is used only while the path names that same file, and
// dropped otherwise.

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/library/sqlite/CppSQLite.h"

namespace vantor {

class CReadConnectionPool {
public:
    // `prepare` runs once on every connection the pool opens; at most `keep` idle
    // connections are kept.
    CReadConnectionPool(std::string path, int busyTimeoutMs,
                        std::function<void(CppSQLiteConnection&)> prepare, size_t keep = 8);

    // A connection for one query, given back when the lease ends.
    class Lease {
    public:
        Lease(Lease&&) noexcept = default;
        Lease& operator=(Lease&&) = delete;
        ~Lease();
        CppSQLiteConnection& operator*() const { return *m_connection; }
        CppSQLiteConnection* operator->() const { return m_connection.get(); }

    private:
        friend class CReadConnectionPool;
        struct FileIdentity {
            dev_t device = 0;
            ino_t inode = 0;
            bool known = false;
            bool operator==(const FileIdentity&) const = default;
        };
        Lease(CReadConnectionPool& pool, std::unique_ptr<CppSQLiteConnection> connection,
              FileIdentity file);
        CReadConnectionPool* m_pool;
        std::unique_ptr<CppSQLiteConnection> m_connection;
        FileIdentity m_file;
    };

    // Throws CppSQLiteException when the file cannot be opened.
    Lease Take();
    // Closes the idle connections, e.g. once the file has been replaced, so that the old
    // file's space is given back at once.
    void Clear();

private:
    using FileIdentity = Lease::FileIdentity;
    FileIdentity Identify() const;
    void GiveBack(std::unique_ptr<CppSQLiteConnection> connection, FileIdentity file);

    const std::string m_path;
    const int m_busyTimeoutMs;
    const std::function<void(CppSQLiteConnection&)> m_prepare;
    const size_t m_keep;
    std::mutex m_lock;
    struct Idle {
        std::unique_ptr<CppSQLiteConnection> connection;
        FileIdentity file;
    };
    std::vector<Idle> m_idle;
};

}  // namespace vantor
