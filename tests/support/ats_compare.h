#pragma once
// Comparing two configuration files, or what they load as, with short failure reports.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "files/config_flows.h"
#include "support/offline_session.h"

namespace zarnik::test {

// Bytes 1 to 4 of a configuration file are the station clock at the moment of the read
// (identification bytes 0 to 3): two reads of one configuration differ there and nowhere else.
inline std::string WithoutClock(std::string bytes) {
    for (std::size_t i = 1; i <= 4 && i < bytes.size(); ++i) bytes[i] = 0;
    return bytes;
}

// Where two byte strings first differ, and the offending bytes, instead of both in full.
inline std::string FirstDifference(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    std::ostringstream out;
    out << "sizes " << a.size() << " and " << b.size();
    if (i < a.size() || i < b.size()) {
        out << ", first difference at offset " << i << ":" << std::hex;
        for (const std::string* s : {&a, &b}) {
            out << "\n ";
            for (std::size_t k = i; k < s->size() && k < i + 12; ++k)
                out << ' ' << static_cast<int>(static_cast<unsigned char>((*s)[k]));
        }
    }
    return out.str();
}

inline void ExpectSameBytes(const std::string& expected, const std::string& actual,
                            const std::string& what) {
    EXPECT_TRUE(expected == actual) << what << ": " << FirstDifference(expected, actual);
}

// Every table's slots as a file loads them into a fresh session: the same tables whatever
// form a record took (a blank routing record, for one, carries no blocks at all, while a
// station read gives one empty block per table).
inline void ExpectSameLoadedTables(const std::string& expectedFile, const std::string& actualFile) {
    TTableTicks all;
    all.fill(true);
    TOfflineSession a;
    TOfflineSession b;
    TFileList fa;
    TFileList fb;
    ASSERT_TRUE(LoadConfiguration(a.Session, *a.Store, fa, all, expectedFile));
    ASSERT_TRUE(LoadConfiguration(b.Session, *b.Store, fb, all, actualFile));
    for (ETable t : kAllTables) {
        const auto& slotsA = a.Session.Area(t).Slots;
        const auto& slotsB = b.Session.Area(t).Slots;
        ASSERT_EQ(slotsA.size(), slotsB.size());
        for (std::size_t i = 0; i < slotsA.size(); ++i) {
            const auto va = slotsA[i].Valid();
            const auto vb = slotsB[i].Valid();
            EXPECT_TRUE(std::equal(va.begin(), va.end(), vb.begin(), vb.end()))
                << "table " << SelectionIndex(t) << " slot " << i << ": lengths " << va.size()
                << " and " << vb.size();
        }
    }
}

}  // namespace zarnik::test
