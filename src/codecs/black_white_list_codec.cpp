#include "codecs/codecs.h"

namespace zarnik {

// Not built yet: the registry skips a table without a descriptor.
const TTableCodec* BlackWhiteListCodec() { return nullptr; }

}  // namespace zarnik
