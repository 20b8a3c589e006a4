#pragma once
// The file round trip every editing window has to pass: the configuration saved before and
// after one change made in the window differs only inside that table's record, and a fresh
// program that loads the file gets exactly that configuration (saving it again gives the very
// same bytes).

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "files/config_flows.h"
#include "support/loaded_station.h"

namespace zarnik::test {

inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A table's raw area as comparable bytes: each slot's length and bytes, and the count.
inline std::vector<std::uint8_t> RawImage(const TRawArea& area) {
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(area.Count & 0xFF),
                                  static_cast<std::uint8_t>(area.Count >> 8)};
    for (const TRawSlot& slot : area.Slots) {
        out.push_back(static_cast<std::uint8_t>(slot.Length & 0xFF));
        out.push_back(static_cast<std::uint8_t>(slot.Length >> 8));
        out.insert(out.end(), slot.Bytes.begin(), slot.Bytes.end());
    }
    return out;
}

// Every table of the session saved to `path`; the file's bytes.
inline std::vector<std::uint8_t> SaveEveryTable(TMainClass& session, TDataStream& store,
                                                const std::string& path) {
    TFileList file;
    EXPECT_TRUE(SaveConfiguration(session, store, file, AllTicks(), path)) << path;
    return FileBytes(path);
}

// The two files differ only inside the record of `table`, and there they do differ.
inline void ExpectOnlyTableChanged(const std::vector<std::uint8_t>& before,
                                   const std::vector<std::uint8_t>& after, ETable table) {
    ASSERT_GE(before.size(), kFileHeaderSize);
    ASSERT_GE(after.size(), kFileHeaderSize);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + kFileHeaderSize, after.begin()))
        << "the header changed";
    const std::vector<TRecordAt> a = RecordsOf(before);
    const std::vector<TRecordAt> b = RecordsOf(after);
    ASSERT_EQ(a.size(), b.size());
    bool seen = false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        ASSERT_EQ(a[k].Id, b[k].Id);
        const bool changed = RecordData(before, a[k]) != RecordData(after, b[k]);
        if (a[k].Id == FileId(table)) {
            seen = true;
            EXPECT_TRUE(changed) << "record " << int{a[k].Id} << " is as it was";
        } else {
            EXPECT_FALSE(changed) << "record " << int{a[k].Id} << " changed";
        }
    }
    EXPECT_TRUE(seen) << "no record " << FileId(table);
}

// A fresh program of the model with the file loaded, every table ticked. Saving it again must
// give the same bytes: nothing of the file was lost on the way in.
inline std::unique_ptr<TOfflineSession> LoadedFresh(const std::string& model,
                                                    const std::string& path) {
    auto fresh = std::make_unique<TOfflineSession>(model);
    TFileList file;
    EXPECT_TRUE(LoadConfiguration(fresh->Session, *fresh->Store, file, AllTicks(), path));
    const std::string again = fresh->Dir.Path + "/again.ats";
    EXPECT_EQ(SaveEveryTable(fresh->Session, *fresh->Store, again), FileBytes(path));
    return fresh;
}

}  // namespace zarnik::test
