#pragma once
// A Dogwood of 30 boards, offline: ports 200..499, lines 1..300, twelve routing tables and ten
// quick conferences. Large enough that port numbers run past what one byte can carry.

#include "model/port.h"
#include "support/offline_session.h"

namespace zarnik::test {

struct TBigStation : TOfflineSession {
    TBigStation() : TOfflineSession("Dogwood", "24,8") {
        Store->CompositionCount = 30;
        for (std::size_t s = 0; s < 30; ++s)
            Store->Composition[s].BoardType = s == 1 ? "Volga" : "Neva";
        BuildPorts(*Store);
        Session.Identity.RoutingTableCount = 12;
        Session.ConferenceParams = {10, 0, 1, 0, 0};
        Session.Area(ETable::QuickConferences).Count = 10;
    }
};

}  // namespace zarnik::test
