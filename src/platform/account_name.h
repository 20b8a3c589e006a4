#pragma once
// The name of the account this program runs under, as the operating system knows it; "" when
// it cannot tell.

#include <string>

namespace zarnik {

std::string AccountName();

}  // namespace zarnik
