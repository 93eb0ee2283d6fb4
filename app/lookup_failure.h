// Why no installation could be used, in the words the player reads.
#pragma once

#include <string>

#include "app/install_lookup.h"

// The text for a status other than Found; folder is the one asked for, if
// any.
std::wstring DescribeLookupFailure(LookupStatus status, const std::wstring& folder);
