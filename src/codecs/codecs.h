#pragma once
// The descriptor of every table codec, one function per codec file.

#include "codecs/table_codec.h"

namespace zarnik {

const TTableCodec* TimeSettingsCodec();
const TTableCodec* SystemSettingsCodec();
const TTableCodec* GlobalPhoneBookCodec();
const TTableCodec* RedirectionCodec();
const TTableCodec* ProgramNumberCodec();
const TTableCodec* FlashCodec();
const TTableCodec* RoutingTableCodec();
const TTableCodec* TrunkLineCodec();
const TTableCodec* SubscriberLineCodec();
const TTableCodec* GroupCodec();
const TTableCodec* DoorPhoneCodec();
const TTableCodec* GroupPhoneBookCodec();
const TTableCodec* LoudspeakerCodec();
const TTableCodec* StaButtonCodec();
const TTableCodec* QuickConferenceCodec();
const TTableCodec* BlackWhiteListCodec();

}  // namespace zarnik
