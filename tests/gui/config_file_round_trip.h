#pragma once
// The file round trip every editing window must pass: the configuration saved before and after
// one change made in the window, each file loaded into a fresh program, and the two compared:
// exactly that change, every other byte of the file the same.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cli/store_json.h"
#include "files/config_flows.h"
#include "support/file_test_helpers.h"
#include "support/loaded_station.h"
#include "support/offline_session.h"

namespace zarnik::test {

inline std::string SavedFile(TMainClass& session, TDataStream& store, const std::string& path) {
    TFileList file;
    EXPECT_TRUE(SaveConfiguration(session, store, file, AllTicks(), path)) << path;
    return ReadBytes(path);
}

// A file loaded into a program of its own, as its store's tables read.
inline nlohmann::json LoadedTables(const std::string& path) {
    TOfflineSession fresh;
    TFileList file;
    EXPECT_TRUE(LoadConfiguration(fresh.Session, *fresh.Store, file, AllTicks(), path)) << path;
    return cli::StoreToJson(fresh.Session, *fresh.Store, AllTicks());
}

// `before` and `after` are the files saved before and after the window's change to `changed`.
// Every other record and the header are the same bytes; the loaded tables are the same except
// where `expectChange` (applied to the tables loaded from `before`) says.
inline void ExpectOnlyThisChange(const std::string& beforePath, const std::string& afterPath,
                                 ETable changed,
                                 const std::function<void(nlohmann::json&)>& expectChange) {
    const std::string before = ReadBytes(beforePath);
    const std::string after = ReadBytes(afterPath);
    const std::vector<std::uint8_t> b(before.begin(), before.end());
    const std::vector<std::uint8_t> a(after.begin(), after.end());
    ASSERT_GE(b.size(), kFileHeaderSize);
    ASSERT_GE(a.size(), kFileHeaderSize);
    EXPECT_TRUE(std::equal(b.begin(), b.begin() + kFileHeaderSize, a.begin())) << "header";
    const auto recordsBefore = RecordsOf(b);
    const auto recordsAfter = RecordsOf(a);
    ASSERT_EQ(recordsBefore.size(), recordsAfter.size());
    bool sawChanged = false;
    for (std::size_t i = 0; i < recordsBefore.size(); ++i) {
        ASSERT_EQ(recordsBefore[i].Id, recordsAfter[i].Id);
        const bool isChanged = recordsBefore[i].Id == FileId(changed);
        sawChanged = sawChanged || isChanged;
        const bool same = RecordData(b, recordsBefore[i]) == RecordData(a, recordsAfter[i]);
        if (isChanged)
            EXPECT_FALSE(same) << "the change did not reach the file";
        else
            EXPECT_TRUE(same) << "record " << int(recordsBefore[i].Id) << " changed";
    }
    EXPECT_TRUE(sawChanged);
    nlohmann::json expected = LoadedTables(beforePath);
    expectChange(expected);
    const nlohmann::json loaded = LoadedTables(afterPath);
    const nlohmann::json difference = nlohmann::json::diff(expected, loaded);
    EXPECT_TRUE(difference.empty()) << "loaded tables differ from the expected change: "
                                    << difference.dump(1);
}

}  // namespace zarnik::test
