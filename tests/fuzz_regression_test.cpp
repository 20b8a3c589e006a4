// Faults the fuzz targets found, each kept from coming back. The inputs themselves are in the
// fuzz corpora, which every build replays.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "codecs/table_codec.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

// A direct-call number the station sends behind a filler nibble ("0B1" as 0A B1) once went back
// packed from the left, where its first byte is the marker of the "002" form: a read and an
// unchanged write turned the line's direct call into "0021". The digits must survive any number
// of decodes and encodes, on both board families.
TEST(FuzzFindings, DirectCallStartingWithAMarkerByteKeepsItsDigits) {
    struct TCase {
        std::uint8_t Byte8, Byte9;
        const char* Number;
    };
    const TCase cases[] = {
        {0xB1, 0x0A, "0B1"},    // filler, 0, B, 1
        {0xAB, 0x00, "0B"},     // the digits in byte 8 alone
        {0xC7, 0x0A, "0C7"},    // the "003" marker
        {0x15, 0xAB, "00215"},  // the marker form itself
        {0x34, 0x12, "1234"},
    };
    for (const char* model : {"Cedar", "Alder"}) {
        test::TLoadedStation station(model);
        TMainClass& session = station.Session;
        TDataStream& store = *station.Store;
        const TTableCodec& codec = *FindCodec(ETable::SubscriberLines);
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::string(model) + " " + c.Number);
            TRawSlot& slot = session.Area(ETable::SubscriberLines).Slots[0];
            slot.Bytes[8] = c.Byte8;
            slot.Bytes[9] = c.Byte9;
            codec.Decode(session, store);
            ASSERT_EQ(store.Lines[0].ALDirectCall, c.Number);
            for (int round = 0; round < 2; ++round) {
                ASSERT_GE(codec.Encode(session, store), 0);
                codec.Decode(session, store);
                EXPECT_EQ(store.Lines[0].ALDirectCall, c.Number) << "after round " << round;
            }
        }
    }
}

}  // namespace
}  // namespace zarnik
