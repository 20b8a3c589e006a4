#include <algorithm>

#include "codecs/codecs.h"

namespace zarnik {

const std::vector<const TTableCodec*>& RegisteredCodecs() {
    static const std::vector<const TTableCodec*> kCodecs = [] {
        std::vector<const TTableCodec*> all;
        for (const TTableCodec* c :
             {TimeSettingsCodec(), SystemSettingsCodec(), GlobalPhoneBookCodec(),
              RedirectionCodec(), ProgramNumberCodec(), FlashCodec(), RoutingTableCodec(),
              TrunkLineCodec(), SubscriberLineCodec(), GroupCodec(), DoorPhoneCodec(),
              GroupPhoneBookCodec(), LoudspeakerCodec(), StaButtonCodec(),
              QuickConferenceCodec(), BlackWhiteListCodec()})
            if (c != nullptr) all.push_back(c);
        std::sort(all.begin(), all.end(), [](const TTableCodec* a, const TTableCodec* b) {
            return SelectionIndex(a->Table) < SelectionIndex(b->Table);
        });
        return all;
    }();
    return kCodecs;
}

const TTableCodec* FindCodec(ETable t) {
    for (const TTableCodec* c : RegisteredCodecs())
        if (c->Table == t) return c;
    return nullptr;
}

}  // namespace zarnik
