#include "codecs/codecs.h"

namespace zarnik {

// Not built yet: the registry skips a table without a descriptor.
const TTableCodec* QuickConferenceCodec() { return nullptr; }

}  // namespace zarnik
