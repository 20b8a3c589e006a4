// Configuration files that are cut short or corrupted: each gives one clear message and changes
// nothing, or loads correctly. Never a crash, and never a half-changed session or store.

#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "support/loaded_station.h"

namespace zarnik {
namespace {

using test::AllTicks;
using test::RecordData;
using test::RecordsOf;
using test::TLoadedStation;

constexpr const char* kRefused = "Файл конфигурации не прочитан: ";

class HostileFiles : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Good = test::BuiltinFile("Dogwood");
        Target = new TLoadedStation("Cedar");
        Target->Session.Identified = false;  // no model question
    }
    static void TearDownTestSuite() {
        delete Target;
        Target = nullptr;
    }
    void SetUp() override { Forget(); }

    // How much of the target a refused file is checked against; taking the whole store's
    // print costs far more than a load, so the tests choose where.
    enum class ECompare { Messages, SessionAndPorts, Everything };

    void Forget() {
        SessionBefore.reset();
        QuickStoreBefore.reset();
        StoreBefore.reset();
    }

    // Loads the bytes into the target. A refusal must show one message naming the fault and
    // leave the session and the store as they were. Returns whether the file loaded.
    bool Attempt(std::span<const std::uint8_t> bytes, ECompare compare, const std::string& what) {
        if (compare != ECompare::Messages && !SessionBefore) {
            SessionBefore = test::SessionPrint(Target->Session);
            QuickStoreBefore = test::QuickStorePrint(*Target->Store);
        }
        if (compare == ECompare::Everything && !StoreBefore)
            StoreBefore = test::StorePrint(Target->Session, *Target->Store);
        SCOPED_TRACE(what);
        auto& seen = Target->Dialogs.Seen;
        seen.clear();
        bool loaded = false;
        try {
            loaded =
                LoadConfigurationBytes(Target->Session, *Target->Store, File, AllTicks(), bytes);
        } catch (const TExitProgram&) {
            ADD_FAILURE() << "the program ended";
        }
        if (loaded) {
            EXPECT_TRUE(seen.empty()) << seen.front().Text;
            Forget();
            return true;
        }
        EXPECT_EQ(seen.size(), 1u);
        if (!seen.empty()) {
            EXPECT_EQ(seen[0].Caption, "Ошибка");
            EXPECT_EQ(seen[0].Text.rfind(kRefused, 0), 0u) << seen[0].Text;
            EXPECT_GT(seen[0].Text.size(), std::string(kRefused).size() + 10) << seen[0].Text;
        }
        if (compare != ECompare::Messages) {
            EXPECT_EQ(test::SessionPrint(Target->Session), *SessionBefore);
            EXPECT_EQ(test::QuickStorePrint(*Target->Store), *QuickStoreBefore);
        }
        if (compare == ECompare::Everything) {
            EXPECT_EQ(test::StorePrint(Target->Session, *Target->Store), *StoreBefore);
        }
        return false;
    }

    static inline TLoadedStation* Target = nullptr;
    static inline std::vector<std::uint8_t> Good;
    TFileList File;
    std::optional<std::string> SessionBefore;
    std::optional<std::string> QuickStoreBefore;
    std::optional<std::string> StoreBefore;
};

// Cut at every byte: only a cut at a record's end leaves a file that loads, and it then holds
// exactly the records before the cut.
TEST_F(HostileFiles, EveryTruncationPoint) {
    const auto records = RecordsOf(Good);
    ASSERT_EQ(records.size(), 16u);
    std::set<std::size_t> ends{kFileHeaderSize};
    for (const auto& r : records) ends.insert(r.End());
    // Every cut must give its message; the target is compared around each record's end and at
    // a spread of other cuts (all of them are refused by the same checks, before anything of
    // the session or the store is touched).
    std::set<std::size_t> nearEnd;
    for (std::size_t e : ends)
        for (std::size_t d : {1, 3}) nearEnd.insert(e - d), nearEnd.insert(e + d);
    auto compareAt = [&](std::size_t cut) {
        if (cut % 1409 == 0) return ECompare::Everything;
        if (cut % 97 == 0 || nearEnd.count(cut) != 0) return ECompare::SessionAndPorts;
        return ECompare::Messages;
    };

    for (std::size_t cut = 0; cut < Good.size(); ++cut) {
        const std::span<const std::uint8_t> bytes(Good.data(), cut);
        const bool boundary = ends.count(cut) != 0;
        const bool loaded = Attempt(bytes, compareAt(cut), "cut at " + std::to_string(cut));
        ASSERT_EQ(loaded, boundary) << "cut at " << cut;
        if (!loaded) continue;
        for (const auto& r : records) {
            const ETable* t = std::find_if(kAllTables.begin(), kAllTables.end(),
                                           [&](ETable x) { return FileId(x) == r.Id; });
            const auto packed = FindCodec(*t)->Pack(Target->Session);
            if (r.End() <= cut)
                EXPECT_EQ(packed, RecordData(Good, r)) << "cut at " << cut << ", id " << int{r.Id};
            else
                for (const TRawSlot& slot : Target->Session.Area(*t).Slots)
                    ASSERT_EQ(slot.Length, 0) << "cut at " << cut << ", id " << int{r.Id};
        }
    }
}

// What a corrupted file that still loads holds is a configuration in its own right: saving and
// loading it again gives the same bytes.
void ExpectStable(const TMainClass& session, const std::string& what) {
    SCOPED_TRACE(what);
    TFileList check;
    for (ETable t : kAllTables) {
        std::string why;
        ASSERT_TRUE(check.CopyToFile(session, t, &why)) << why;
    }
    check.CopyHeaderToFile(session);
    const auto once = check.Serialise(AllTicks());
    static test::TOfflineSession again("");
    TFileList file;
    ASSERT_TRUE(LoadConfigurationBytes(again.Session, *again.Store, file, AllTicks(), once));
    EXPECT_EQ(test::SavedBytes(again.Session), once);
}

void PutWord(std::vector<std::uint8_t>& b, std::size_t at, unsigned value) {
    b[at] = static_cast<std::uint8_t>(value & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

// Record ids whose data is a run of per-device blocks, each behind its length byte.
bool HasBlocks(std::uint8_t id) {
    for (int blocks : {1, 6, 7, 8, 14, 15, 16, 17, 18})
        if (id == blocks) return true;
    return false;
}

TEST_F(HostileFiles, SeededCorruptionOfLengthsAndIds) {
    std::mt19937 random(20240611);
    auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const auto records = RecordsOf(Good);
    const std::size_t n1 = Good[21] | Good[22] << 8;
    const std::size_t confAt = 25 + n1 + (Good[23 + n1] | Good[24 + n1] << 8);
    int loaded = 0;
    int refused = 0;
    constexpr int kCases = 160;
    for (int c = 0; c < kCases; ++c) {
        std::vector<std::uint8_t> b = Good;
        std::string what = "case " + std::to_string(c) + ":";
        const std::size_t mutations = 1 + pick(3);
        for (std::size_t m = 0; m < mutations; ++m) {
            const auto& r = records[pick(records.size())];
            const unsigned value = static_cast<unsigned>(random());
            switch (pick(8)) {
                case 0:
                    PutWord(b, r.Offset, value & 0xFFFF);
                    what += " length";
                    break;
                case 1:
                    PutWord(b, r.Offset, static_cast<unsigned>(r.Length + pick(7)) - 3);
                    what += " length+-3";
                    break;
                case 2:
                    b[r.Offset + 2] = static_cast<std::uint8_t>(value);
                    what += " id";
                    break;
                case 3:
                    PutWord(b, 21, value % 2 ? value & 0xFFFF : value % 201);
                    what += " N1";
                    break;
                case 4:
                    PutWord(b, 23 + n1, value % 2 ? value & 0xFFFF : value % 201);
                    what += " N2";
                    break;
                case 5:
                    b[value % 2 ? confAt : 0] = static_cast<std::uint8_t>(value >> 8);
                    what += " header length";
                    break;
                default: {
                    // A length byte of one of a record's blocks.
                    if (!HasBlocks(r.Id) || r.Length == 0) break;
                    std::vector<std::size_t> lengthBytes;
                    for (std::size_t at = r.Offset + 3; at < r.End(); at += 1 + b[at])
                        lengthBytes.push_back(at);
                    b[lengthBytes[pick(lengthBytes.size())]] = static_cast<std::uint8_t>(value);
                    what += " block length";
                    break;
                }
            }
        }
        if (Attempt(b, c % 40 == 0 ? ECompare::Everything : ECompare::SessionAndPorts, what)) {
            ++loaded;
            ExpectStable(Target->Session, what);
        } else {
            ++refused;
        }
        if (HasFatalFailure()) return;
    }
    // The corruption reaches both outcomes.
    EXPECT_GT(loaded, kCases / 10);
    EXPECT_GT(refused, kCases / 10);
}

// Each check names what is wrong.
TEST_F(HostileFiles, EachRefusalNamesItsFault) {
    const auto records = RecordsOf(Good);
    const std::size_t n1 = Good[21] | Good[22] << 8;
    const std::size_t n2At = 23 + n1;
    const std::size_t confAt = n2At + 2 + (Good[n2At] | Good[n2At + 1] << 8);
    auto record = [&](std::uint8_t id) {
        return *std::find_if(records.begin(), records.end(),
                             [id](const auto& r) { return r.Id == id; });
    };
    struct TCase {
        const char* Fault;
        std::function<void(std::vector<std::uint8_t>&)> Spoil;
    };
    const std::vector<TCase> cases{
        {"неверная длина статуса АТС в заголовке", [](auto& b) { b[0] = 19; }},
        {"слишком длинная таблица умолчаний временных установок",
         [](auto& b) { PutWord(b, 21, 101); }},
        {"слишком длинная таблица состава АТС", [&](auto& b) { PutWord(b, n2At, 101); }},
        {"неверная длина параметров конференций в заголовке",
         [&](auto& b) { PutWord(b, confAt, 4); }},
        // Lengths that each fit, but leave no room for the conference parameters before 200.
        {"неверная длина параметров конференций в заголовке",
         [&](auto& b) {
             PutWord(b, 21, 100);
             PutWord(b, 123, 72);
         }},
        {"файл короче заголовка (200 байт)", [](auto& b) { b.resize(199); }},
        {"запись таблицы обрезана концом файла", [](auto& b) { b.push_back(1); }},
        {"запись таблицы обрезана концом файла",
         [&](auto& b) {
             PutWord(b, records.back().Offset, static_cast<unsigned>(records.back().Length + 1));
         }},
        {"запись таблицы \"Таблицы домофонов\" длиннее допустимого",
         [&](auto& b) {
             const auto r = record(6);
             std::vector<std::uint8_t> big(129, 0);
             b.erase(b.begin() + static_cast<long>(r.Offset),
                     b.begin() + static_cast<long>(r.End()));
             const auto bytes = test::RecordBytes(6, big);
             b.insert(b.begin() + static_cast<long>(r.Offset), bytes.begin(), bytes.end());
         }},
        // A block longer than the station's slot for it (64 bytes for a door phone).
        {"запись таблицы \"Таблицы домофонов\" не помещается в таблицу",
         [&](auto& b) {
             const auto r = record(6);
             std::vector<std::uint8_t> data(1 + 65, 0);
             data[0] = 65;
             b.erase(b.begin() + static_cast<long>(r.Offset),
                     b.begin() + static_cast<long>(r.End()));
             const auto bytes = test::RecordBytes(6, data);
             b.insert(b.begin() + static_cast<long>(r.Offset), bytes.begin(), bytes.end());
         }},
    };
    for (const TCase& c : cases) {
        std::vector<std::uint8_t> b = Good;
        c.Spoil(b);
        EXPECT_FALSE(Attempt(b, ECompare::SessionAndPorts, c.Fault));
        ASSERT_FALSE(Target->Dialogs.Seen.empty());
        EXPECT_EQ(Target->Dialogs.Seen[0].Text, kRefused + std::string(c.Fault) + ".");
    }
}

}  // namespace
}  // namespace zarnik
