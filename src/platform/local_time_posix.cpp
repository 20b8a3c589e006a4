#include "platform/local_time.h"

namespace zarnik {

std::tm LocalTime(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

}  // namespace zarnik
