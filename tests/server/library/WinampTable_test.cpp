#include "server/library/readers/winamp/WinampTable.h"
#include "server/library/readers/winamp/WinampMediaReader.h"
#include "tests/server/library/LibraryTestSupport.h"
#include "tests/server/library/ReaderTestSupport.h"
#include "tools/winamp-libgen/WinampLibraryWriter.h"
#include "tools/winamp-libgen/WinampTableWriter.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

namespace vantor {
namespace {

using tools::CWinampTableWriter;
using tools::WinampField;
using tools::WinampIntegerData;
using tools::WinampTextData;
using tools::WinampTextForm;

// The column ids the generated libraries use, with their hole at 13.
const std::vector<tools::WinampColumn> kColumns = {
    {0, kWinampFileName, "filename"}, {1, kWinampText, "title"},
    {2, kWinampText, "artist"},       {7, kWinampInteger, "trackno"},
    {9, kWinampInteger, "type"},      {14, kWinampInteger, "playcount"}};

struct Row {
    std::string title;
    std::string artist;
    std::string path;
    int32_t trackNumber = 0;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << row.title << " | " << row.artist << " | " << row.path << " | " << row.trackNumber;
}

std::vector<Row> Walk(CWinampTable& table) {
    std::vector<Row> rows;
    auto text = [&](const char* column) {
        const CWinampField* field = table.GetField(column);
        return field != nullptr && field->IsText() ? field->Text() : std::string();
    };
    for (table.First(); !table.AtEnd(); table.Next()) {
        const CWinampField* number = table.GetField("TrackNo");
        rows.push_back({text("title"), text("artist"), text("filename"),
                        number != nullptr && number->IsInteger() ? number->Integer() : 0});
    }
    return rows;
}

struct TablePair {
    std::string table;
    std::string index;
};

TablePair Files(const test::TempFolder& folder) {
    return {folder.File("main.dat"), folder.File("main.idx")};
}

std::unique_ptr<CWinampTable> OpenPair(const TablePair& pair, CLogger& logger) {
    return CWinampTable::Open(pair.table, pair.index, logger);
}

// A generated library read back record by record: updated fields appended at the end of the
// file, heads reached through one or two redirections, deleted records left in the file,
// file names of type 12, 64-bit sizes and binary fields skipped, names in four scripts.
TEST(WinampTable, ReadsGeneratedLibrariesThroughTheirChains) {
    for (bool eightBit : {false, true}) {
        test::TempFolder folder;
        test::TestLogger log;
        tools::WinampLibraryOptions options;
        options.records = 400;
        options.playlists = 0;
        options.eightBitTexts = eightBit;
        options.oldFileSize = eightBit;
        tools::WinampLibraryContent content;
        ASSERT_TRUE(tools::WriteWinampLibrary(options, folder.Path(), &content));

        auto table = CWinampTable::Open(folder.File("Plugins/ml/main.dat"),
                                        folder.File("Plugins/ml/main.idx"), log.logger);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->ColumnCount(), 41u);
        EXPECT_EQ(table->Columns()[14], "playcount");
        EXPECT_EQ(table->Columns()[13], "");
        EXPECT_EQ(table->IndexNames(), (std::vector<std::string>{"None", "filename"}));
        EXPECT_EQ(table->Entries(), 402);

        std::vector<Row> expected;
        for (const auto& track : content.tracks) {
            expected.push_back({track.title, track.artist, track.path, track.trackNumber});
        }
        EXPECT_EQ(Walk(*table), expected);

        // Spot checks of what the rows above cannot show.
        table->First();
        const CWinampField* path = table->GetField("filename");
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(path->Type(), kWinampFileName);
        EXPECT_EQ(path->IsUtf16(), !eightBit || !tools::FitsLatin1(content.tracks[0].path));
        for (int k = 0; k < 4; ++k) table->Next();  // record 4 was played twice
        ASSERT_NE(table->GetField("playcount"), nullptr);
        EXPECT_EQ(table->GetField("playcount")->Integer(), 2);
        EXPECT_EQ(table->GetField("Genre"), table->GetField("genre"));
        // Lengths (type 11) and dates (type 10) are integers; a 64-bit size (type 13) is not
        // one, while older libraries keep it as a 32-bit integer.
        EXPECT_EQ(table->GetField("length")->Integer(), 124);
        EXPECT_EQ(table->GetField("lastupd")->Integer(), 1200000004);
        EXPECT_EQ(table->GetField("filesize")->IsInteger(), eightBit);
        EXPECT_FALSE(log.sink.Contains("ERROR")) << log.sink.Lines()[0];
    }
}

TEST(WinampTable, TextFormsAndFieldRules) {
    test::TempFolder folder;
    test::TestLogger log;
    CWinampTableWriter writer(kColumns, 0);
    const std::string name = "Café Ünïcode";
    writer.AddRecord({{1, kWinampText, WinampTextData(name, WinampTextForm::kUtf16)}});
    writer.AddRecord({{1, kWinampText, WinampTextData(name, WinampTextForm::kEightBit)}});
    writer.AddRecord({{1, kWinampText, WinampTextData(name, WinampTextForm::kUtf16BigEndian)}});
    // The same column twice in one chain: the first one counts.
    writer.AddRecord(
        {{1, kWinampText, WinampTextData("first")}, {1, kWinampText, WinampTextData("second")}});
    // A count that runs past the field's data, and an integer where a text is asked for.
    writer.AddRecord({{1, kWinampText,
                       std::string("\x10\x00"
                                   "ab",
                                   4)},
                      {2, kWinampInteger, WinampIntegerData(5)}});
    // Text after a zero is not part of the value.
    writer.AddRecord({{1, kWinampText, WinampTextData(std::string("end\0junk", 8))}});
    ASSERT_TRUE(writer.Write(folder.File("main.dat"), folder.File("main.idx")));

    auto table = OpenPair(Files(folder), log.logger);
    ASSERT_NE(table, nullptr);
    std::vector<Row> rows = Walk(*table);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].title, name);
    EXPECT_EQ(rows[1].title, name);
    EXPECT_EQ(rows[2].title, name);
    EXPECT_EQ(rows[3].title, "first");
    EXPECT_EQ(rows[4].title, "");
    EXPECT_EQ(rows[4].artist, "");
    EXPECT_EQ(rows[5].title, "end");
    table->First();
    EXPECT_TRUE(table->GetField("title")->IsUtf16());
    table->Next();
    EXPECT_FALSE(table->GetField("title")->IsUtf16());
}

TEST(WinampTable, EmptyLibraryEndsAtOnce) {
    test::TempFolder folder;
    test::TestLogger log;
    CWinampTableWriter writer(kColumns, 0);
    ASSERT_TRUE(writer.Write(folder.File("main.dat"), folder.File("main.idx")));
    auto table = OpenPair(Files(folder), log.logger);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Entries(), 2);
    table->First();
    EXPECT_TRUE(table->AtEnd());
    EXPECT_EQ(table->GetField("title"), nullptr);
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// Damage ends the damaged record (or, where the files cannot be walked at all, the open)
// with a log line; the records around it read as ever.
TEST(WinampTable, DamagedFilesEndTheRecordOrTheOpen) {
    struct Case {
        const char* name;
        std::function<void(CWinampTableWriter&, std::string& index)> damage;
        bool opens;
        std::vector<std::string> titles;  // of the walk
    };
    const uint8_t kTitle = 1;
    const std::vector<Case> cases = {
        {"field size over 65535",
         [&](CWinampTableWriter& w, std::string&) {
             Put32(w.Table(), w.FieldPosition(1, kTitle) + 2, 70000);
         },
         true,
         {"a", "", "c"}},
        {"chain that loops",
         [&](CWinampTableWriter& w, std::string&) {
             Put32(w.Table(), w.FieldPosition(1, kTitle) + 6, w.RecordPosition(1));
         },
         true,
         {"a", "b", "c"}},
        {"next field past the end",
         [&](CWinampTableWriter& w, std::string&) {
             Put32(w.Table(), w.FieldPosition(1, kTitle) + 6, 0x7FFFFFF0);
         },
         true,
         {"a", "b", "c"}},
        {"redirection to itself",
         [&](CWinampTableWriter& w, std::string&) {
             const uint32_t at = w.RecordPosition(1);
             w.Table()[at + 1] = kWinampRedirect;
             Put32(w.Table(), at + 2, at);
         },
         true,
         {"a", "", "c"}},
        {"record position past the end",
         [&](CWinampTableWriter& w, std::string& index) {
             Put32(index, 12 + 4 + 8 * 3, static_cast<uint32_t>(w.Table().size() + 100));
         },
         true,
         {"a", "", "c"}},
        {"table cut short",
         [&](CWinampTableWriter& w, std::string&) {
             w.Table().resize(w.FieldPosition(2, kTitle) + 16);
         },
         true,
         {"a", "b", ""}},
        {"more entries than the index file holds",
         [](CWinampTableWriter&, std::string& index) { Put32(index, 8, 0x7FFFFFFF); },
         false,
         {}},
        {"fewer than two entries",
         [](CWinampTableWriter&, std::string& index) { Put32(index, 8, 1); },
         false,
         {}},
        {"wrong signature",
         [](CWinampTableWriter& w, std::string&) { w.Table()[0] = 'X'; },
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWinampTableWriter writer(kColumns, 0);
        for (const char* title : {"a", "b", "c"}) {
            writer.AddRecord({{0, kWinampFileName, WinampTextData(std::string("/m/") + title)},
                              {kTitle, kWinampText, WinampTextData(title)},
                              {9, kWinampInteger, WinampIntegerData(0)}});
        }
        std::string index = writer.Index();
        c.damage(writer, index);
        test::TestLogger log;
        CMemoryByteSource tableSource(writer.Table());
        CMemoryByteSource indexSource(index);
        auto table = CWinampTable::OpenSources(tableSource, indexSource, log.logger);
        ASSERT_EQ(table != nullptr, c.opens);
        if (table) {
            std::vector<std::string> titles;
            for (const Row& row : Walk(*table)) titles.push_back(row.title);
            EXPECT_EQ(titles, c.titles);
        }
        EXPECT_TRUE(log.sink.Contains("ERROR: Winamp media library"));
    }
}

// Runs `command` as another program holding the lock file; stops it when done.
class LockHolder {
public:
    explicit LockHolder(const std::string& lockPath) {
        m_pid = fork();
        if (m_pid == 0) {
            setpgid(0, 0);  // flock and its sleep go together
            execlp("flock", "flock", "--exclusive", lockPath.c_str(), "sleep", "60", nullptr);
            _exit(127);
        }
        setpgid(m_pid, m_pid);
        // Held once a try of our own fails.
        for (int i = 0; i < 500; ++i) {
            const int fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
            const bool held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0;
            if (fd >= 0) close(fd);
            if (held) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~LockHolder() {
        if (m_pid <= 0) return;
        if (kill(-m_pid, SIGTERM) != 0) kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }

private:
    pid_t m_pid = -1;
};

// The library in `folder`'s "Plugins/ml", for the reader.
void WriteSmallLibrary(const test::TempFolder& folder) {
    std::filesystem::create_directories(folder.File("Plugins/ml"));
    CWinampTableWriter writer(kColumns, 0);
    writer.AddRecord({{0, kWinampFileName, WinampTextData("/m/a.mp3")},
                      {9, kWinampInteger, WinampIntegerData(0)}});
    ASSERT_TRUE(
        writer.Write(folder.File("Plugins/ml/main.dat"), folder.File("Plugins/ml/main.idx")));
}

constexpr const char* kOpenFailed = "ERROR: Unable to open Winamp media library for import";

// The lock file protocol: held by another program, the read waits about ten seconds (100
// tries, 100 ms apart) and fails; once let go the read succeeds and removes the lock file.
TEST(WinampTable, LockHeldByAnotherProgramMakesTheOpenWaitThenFail) {
    test::TempFolder folder;
    WriteSmallLibrary(folder);
    test::TestLogger log;
    test::CollectingOwner owner;
    CWinampMediaReader reader(log.logger, folder.Path());
    reader.SetOwner(&owner);
    const std::string lock = folder.File("Plugins/ml/main.dat.lock");
    {
        LockHolder holder(lock);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(reader.Read(), -1);
        const auto waited = std::chrono::steady_clock::now() - started;
        EXPECT_GE(waited, std::chrono::milliseconds(9900));
        EXPECT_LT(waited, std::chrono::seconds(40));
        EXPECT_TRUE(log.sink.Contains("is held by another program"));
        EXPECT_TRUE(log.sink.Contains(kOpenFailed));
    }
    EXPECT_EQ(reader.Read(), 0);
    EXPECT_EQ(owner.items.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(lock));
}

// Where the lock file cannot be created (a read-only folder) the read fails at once. Root
// may write anywhere, so then the try runs in a child that has given root up.
TEST(WinampTable, ReadOnlyFolderFailsAtOnce) {
    test::TempFolder folder;
    WriteSmallLibrary(folder);
    const auto readOnly = std::filesystem::perms(0555);
    std::filesystem::permissions(folder.Path(), std::filesystem::perms(0755));
    std::filesystem::permissions(folder.File("Plugins/ml"), readOnly);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) _exit(3);
        test::TestLogger log;
        CWinampMediaReader reader(log.logger, folder.Path());
        const auto started = std::chrono::steady_clock::now();
        const bool failed = reader.Read() == -1;
        const bool quick = std::chrono::steady_clock::now() - started < std::chrono::seconds(2);
        _exit(failed && quick && log.sink.Contains("Unable to create the lock file") &&
                      log.sink.Contains(kOpenFailed)
                  ? 0
                  : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    std::filesystem::permissions(folder.File("Plugins/ml"), std::filesystem::perms(0755));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace vantor
