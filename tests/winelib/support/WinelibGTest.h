// GoogleTest inside a Winelib program.  Include this header first, before
// any Windows header.
#pragma once

#include "platform/com/UnixHeadersBegin.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include "platform/com/UnixHeadersEnd.h"
