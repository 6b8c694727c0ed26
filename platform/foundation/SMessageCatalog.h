// The message catalog behind SResString.
#pragma once

#include <cstdint>

// The text of a message number, or null when the catalog has none.
const char16_t* SMessageCatalogLookup(uint32_t messageNumber);
