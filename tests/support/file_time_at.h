// Instants for tests, written as a calendar date and time instead of a raw file time.
#pragma once

#include <cstdint>

#include "platform/platform.h"

FileTime fileTimeAt(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                    uint16_t minute, uint16_t second = 0);
