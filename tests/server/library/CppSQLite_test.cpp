#include "server/library/sqlite/CppSQLite.h"

#include "tests/server/library/LibraryTestSupport.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(CppSQLiteException, NamesEveryCodeInItsText) {
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {{0, "SQLITE_OK[0]: m"},         {5, "SQLITE_BUSY[5]: m"},
                          {14, "SQLITE_CANTOPEN[14]: m"}, {19, "SQLITE_CONSTRAINT[19]: m"},
                          {25, "SQLITE_RANGE[25]: m"},    {100, "SQLITE_ROW[100]: m"},
                          {101, "SQLITE_DONE[101]: m"},   {1000, "CPPSQLITE_ERROR[1000]: m"},
                          {26, "UNKNOWN_ERROR[26]: m"},   {-1, "UNKNOWN_ERROR[-1]: m"}};
    for (const Case& c : cases) {
        CppSQLiteException e(c.code, "m");
        EXPECT_EQ(e.ErrorMessage(), c.text) << c.code;
        EXPECT_EQ(e.ErrorCode(), c.code);
    }
    EXPECT_STREQ(CppSQLiteException(1, nullptr).what(), "SQLITE_ERROR[1]: ");
    CppSQLiteException original(8, "read only");
    CppSQLiteException copy = original;
    EXPECT_EQ(copy.ErrorMessage(), original.ErrorMessage());
}

// Misuse of the wrapper surfaces as its own code with the fixed texts.
TEST(CppSQLiteWrapper, MisuseRaisesTheWrapperMessages) {
    auto expectThrow = [](auto&& action, const std::string& text) {
        try {
            action();
            ADD_FAILURE() << "no exception for " << text;
        } catch (const CppSQLiteException& e) {
            EXPECT_EQ(e.ErrorMessage(), text);
        }
    };
    CppSQLiteConnection closed;
    expectThrow([&] { closed.ExecDML("select 1;"); }, "CPPSQLITE_ERROR[1000]: Database not open");
    expectThrow([&] { closed.ExecQuery("select 1;"); }, "CPPSQLITE_ERROR[1000]: Database not open");
    expectThrow([&] { closed.CompileStatement("select 1;"); },
                "CPPSQLITE_ERROR[1000]: Database not open");

    CppSQLiteCommand empty;
    expectThrow([&] { empty.ExecDML(); }, "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer");
    expectThrow([&] { empty.Bind(1, std::string("x")); },
                "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer");

    test::TempFolder folder;
    CppSQLiteConnection db;
    db.Open(folder.File("w.db"));
    db.ExecDML("create table t(a INTEGER, b VARCHAR(10));");
    CppSQLiteCursor cursor = db.ExecQuery("select 1, 2;");
    expectThrow([&] { cursor.FieldValue(2); },
                "CPPSQLITE_ERROR[1000]: Invalid field index requested");
    expectThrow([&] { cursor.FieldValue(-1); },
                "CPPSQLITE_ERROR[1000]: Invalid field index requested");
    CppSQLiteCommand insert = db.CompileStatement("insert into t values(?, ?);");
    expectThrow([&] { insert.Bind(3, std::string("x")); },
                "SQLITE_RANGE[25]: Error binding parameter");
}

TEST(CppSQLiteWrapper, CommandsAreReusableAndCursorsWalkAllRows) {
    test::TempFolder folder;
    CppSQLiteConnection db;
    db.Open(folder.File("rows.db"));
    db.ExecDML("create table t(id INTEGER PRIMARY KEY, name VARCHAR(10));");
    CppSQLiteCommand insert = db.CompileStatement("insert into t values(?, ?);");
    for (int i = 1; i <= 3; ++i) {
        insert.Bind(1, static_cast<int64_t>(i));
        insert.Bind(2, "it's " + std::to_string(i));
        EXPECT_EQ(insert.ExecDML(), 1);
        insert.Reset();
    }
    // A duplicate key fails, and the command stays usable afterwards.
    insert.Bind(1, static_cast<int64_t>(1));
    insert.Bind(2, std::string("dup"));
    EXPECT_THROW(insert.ExecDML(), CppSQLiteException);
    insert.Bind(1, static_cast<int64_t>(4));
    insert.Bind(2, std::string("four"));
    EXPECT_EQ(insert.ExecDML(), 1);

    EXPECT_EQ(db.ExecDML("update t set name = 'x' where id > 2;"), 2);
    CppSQLiteCursor cursor = db.ExecQuery("select id, name from t order by id;");
    std::vector<std::string> names;
    while (!cursor.Eof()) {
        names.push_back(cursor.FieldValue(0) + ":" + cursor.FieldValue(1));
        cursor.NextRow();
    }
    EXPECT_EQ(names, (std::vector<std::string>{"1:it's 1", "2:it's 2", "3:x", "4:x"}));

    CppSQLiteCommand select = db.CompileStatement("select name from t where id = ?;");
    for (int round = 0; round < 2; ++round) {
        select.Bind(1, static_cast<int64_t>(2));
        CppSQLiteCursor row = select.ExecQuery();
        ASSERT_FALSE(row.Eof());
        EXPECT_EQ(row.FieldValue(0), "it's 2");
        select.Reset();
    }
    EXPECT_THROW(db.ExecDML("not sql at all"), CppSQLiteException);
}

TEST(CppSQLiteWrapper, OpeningAnImpossibleFileRaisesCantOpen) {
    CppSQLiteConnection db;
    try {
        db.Open("/nonexistent-folder-for-vantor/x/library.db");
        FAIL() << "opened";
    } catch (const CppSQLiteException& e) {
        EXPECT_EQ(e.ErrorCode(), 14);
        EXPECT_EQ(e.ErrorMessage(), "SQLITE_CANTOPEN[14]: unable to open database file");
    }
    EXPECT_FALSE(db.IsOpen());
}

}  // namespace
}  // namespace vantor
